#include "engine/DeviceInstallBlock.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "backup/BackupUnit.h"
#include "store/BackupStore.h"
#include "engine/BlockRecord.h"
#include "engine/DeletionContext.h"
#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"

namespace tw {

namespace {

// The keys from SOFTWARE down to the list, each below the one before.
constexpr const wchar_t* kLevels[kBlockKeyDepth] = {L"Policies", L"Microsoft", L"Windows", L"DeviceInstall",
                                                     L"Restrictions", L"DenyDeviceIDs"};
constexpr std::size_t kDepth = kBlockKeyDepth;
constexpr const wchar_t* kSwitch = L"DenyDeviceIDs";
constexpr const wchar_t* kKind = L"device installation (";
constexpr const wchar_t* kRecordName = L"DenyDeviceIDs";

std::wstring levelPath(std::size_t depth) {
    std::wstring path = L"SOFTWARE";
    for (std::size_t i = 0; i < depth; ++i) path += std::wstring(L"\\") + kLevels[i];
    return path;
}
const std::wstring kRestrictions = levelPath(kDepth - 1), kList = levelPath(kDepth);
const std::wstring kSwitchText = L"HKLM\\" + kRestrictions + L"\\" + kSwitch;

using Value = RegistryData;
using Record = BlockRecord;
using NamedValues = std::vector<std::pair<std::wstring, Value>>;

// Opens (or makes) a key of the policy, refused through a registry link
// (OpenMachineKeyAsNamed). Policies are not redirected for 32-bit programs;
// the 64-bit view is asked for all the same.
plat::Error openKey(const std::wstring& path, std::uint32_t access, bool make, RegKeyHandle& out) {
    return OpenMachineKeyAsNamed(path, access, make, out);
}

std::optional<Value> readValue(plat::HKey key, const std::wstring& name) {
    Value v;
    std::uint32_t size = 0;
    if (!key || plat::regQueryValue(key, name, v.type, &v.data, size) != plat::kOk) return std::nullopt;
    return v;
}

NamedValues listValues(plat::HKey key) {
    NamedValues out;
    std::wstring name;
    for (std::uint32_t i = 0; key && plat::regEnumValue(key, i, name) == plat::kOk; ++i)
        if (auto v = readValue(key, name)) out.emplace_back(name, std::move(*v));
    return out;
}

// The text of a REG_SZ value; nothing for any other type.
std::optional<std::wstring> stringOf(const Value& v) {
    if (v.type != plat::kRegSz) return std::nullopt;
    return RegistryText(v.data);
}
bool isOn(const std::optional<Value>& v) {
    return v && v->type == plat::kRegDword && v->data == std::vector<std::uint8_t>{1, 0, 0, 0};
}

std::vector<std::wstring> recordFiles(const std::wstring& folder) {
    std::vector<plat::FindData> found;
    std::vector<std::wstring> files;
    plat::findEntries(folder + kRecordName + L"*.txt", found);
    for (const plat::FindData& e : found)
        if ((e.attributes & plat::kAttrDirectory) == 0) files.push_back(folder + e.name);
    return files;
}

// A record written as a new file of the item folder; false when it could not be.
bool writeRecord(const std::wstring& itemFolder, const Record& r) {
    const std::wstring folder = includeTrailingBackslash(itemFolder);
    if (!forceDirectories(folder)) return false;
    std::wstring file = folder + kRecordName + L".txt";
    for (int n = 2; fileExists(file); ++n) file = folder + kRecordName + L" (" + std::to_wstring(n) + L").txt";
    const std::string text = BlockRecordText(r);
    return plat::writeFileBytes(file, {text.begin(), text.end()}) == plat::kOk;
}

void line(TRunLog& log, const wchar_t* words, const std::wstring& text) { log.append(words + (kKind + text) + L")"); }

// ---- lifting ----

void liftRecord(const Record& r) {
    RegKeyHandle list, restrictions;
    const plat::Error listed = openKey(kList, plat::kKeyRead | plat::kKeySetValue, false, list);
    for (const auto& [name, id] : r.values) {
        const std::optional<Value> now = readValue(list.get(), name);
        if (listed != plat::kOk && listed != plat::kErrFileNotFound)
            line(RunLog(), L"Not unblocked ", id + L": " + plat::errorText(listed));
        else if (!now)
            continue;  // gone already
        else if (stringOf(*now) != id)
            line(RunLog(), L"Not unblocked ", id + L": changed since");
        else if (const plat::Error e = plat::regDeleteValue(list.get(), name); e != plat::kOk)
            line(RunLog(), L"Not unblocked ", id + L": " + plat::errorText(e));
        else
            line(RunLog(), L"Unblocked ", id);
    }
    if (r.switchSet) {
        std::wstring why;
        if (openKey(kRestrictions, plat::kKeyRead | plat::kKeySetValue, false, restrictions) != plat::kOk ||
            !isOn(readValue(restrictions.get(), kSwitch)))
            why = L": changed since";
        else if (!listValues(list.get()).empty())
            why = L": other entries of the list rely on it";
        else if ((r.previous ? plat::regSetValue(restrictions.get(), kSwitch, r.previous->type, r.previous->data)
                             : plat::regDeleteValue(restrictions.get(), kSwitch)) != plat::kOk)
            why = L": it could not be written";
        RunLog().append((why.empty() ? L"Restored Registry (" : L"Not Restored Registry (") + kSwitchText + why + L")");
    }
    list.reset(), restrictions.reset();
    // The keys the block made, deepest first, each only while it is empty.
    for (std::size_t depth = kDepth; depth > kDepth - r.made; --depth) {
        RegKeyHandle key;
        plat::KeyInfo info;
        if (openKey(levelPath(depth), plat::kKeyRead | plat::kKeyDelete, false, key) != plat::kOk ||
            plat::regQueryInfoKey(key.get(), info) != plat::kOk || info.subKeys != 0 || info.values != 0 ||
            plat::regDeleteOpenedKey(key.get()) != plat::kOk)
            break;
    }
}

Record readRecord(const std::wstring& file) {
    std::vector<std::uint8_t> bytes;
    if (plat::readFileBytes(file, bytes) != plat::kOk) return {};
    return ParseBlockRecord(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

void BlockDeviceInstallation(DeletionContext& context, const std::vector<std::wstring>& hardwareIds, const std::wstring& itemFolder) {
    const auto control = [](wchar_t c) { return c < 0x20; };
    std::vector<std::wstring> ids;
    for (const std::wstring& id : hardwareIds) {
        if (std::any_of(id.begin(), id.end(), control)) {  // it would break its record's lines
            std::wstring shown = id;
            std::replace_if(shown.begin(), shown.end(), control, L'?');
            NoteRefusal(shown, L"its hardware id holds a control character"), line(context.log, L"Not blocked ", shown);
            continue;
        }
        bool seen = id.empty();
        for (const std::wstring& other : ids) seen = seen || plat::sameNameIgnoreCase(id, other);
        if (!seen) ids.push_back(id);
    }
    if (ids.empty()) return;
    // The deepest key of the policy that is there, below which the rest is
    // made, must be what its path names: no link on the way leads elsewhere.
    Record record;
    plat::Error e = plat::kErrFileNotFound;
    for (RegKeyHandle level; record.made < kDepth && (e = openKey(levelPath(kDepth - record.made), plat::kKeyRead,
                                                                  false, level)) == plat::kErrFileNotFound;)
        ++record.made;
    RegKeyHandle restrictions, list;
    for (const plat::Error opened : {e, openKey(kRestrictions, plat::kKeyRead, false, restrictions),
                                     openKey(kList, plat::kKeyRead, false, list)})
        if (opened != plat::kOk && opened != plat::kErrFileNotFound) e = opened;
    std::wstring refusal;
    if (e == plat::kErrBadPathname)
        refusal = L"a key of the policy is not what its path names (a registry link)";
    else if (e != plat::kOk && e != plat::kErrFileNotFound)
        refusal = L"the policy cannot be read: " + plat::errorText(e);
    const NamedValues existing = listValues(list.get());
    record.previous = readValue(restrictions.get(), kSwitch);
    record.switchSet = !isOn(record.previous);
    if (refusal.empty() && record.switchSet && !existing.empty())
        refusal = L"the list is off and holds entries that turning it on would bring into force";
    unsigned long next = 1;
    for (const auto& [name, value] : existing)
        if (IsBlockValueName(name)) next = std::max(next, std::stoul(name) + 1);
    std::vector<std::wstring> already;
    for (const std::wstring& id : ids) {
        bool listed = false;
        for (const auto& [name, value] : existing)
            listed = listed || plat::sameNameIgnoreCase(stringOf(value).value_or(L""), id);
        if (listed)
            already.push_back(id);
        else
            record.values.emplace_back(std::to_wstring(next++), id);
    }
    // A tenth digit: its record would not be read back, and a restore would leave the value.
    if (refusal.empty() && !record.values.empty() && !IsBlockValueName(record.values.back().first))
        refusal = L"no number of at most nine digits is left after the highest of the list";
    if (refusal.empty() && !record.values.empty() && !context.Reporting() && !writeRecord(itemFolder, record))
        refusal = L"its record could not be written into the backup set";
    if (!refusal.empty()) {
        for (const std::wstring& id : ids) NoteRefusal(id, refusal), line(context.log, L"Not blocked ", id);
        return;
    }
    for (const std::wstring& id : already) line(context.log, L"Already blocked ", id);
    if (record.values.empty()) return;
    if (context.Reporting()) {
        for (const auto& [name, id] : record.values) line(context.log, L"Would block ", id);
        return;
    }
    e = openKey(kList, plat::kKeyRead | plat::kKeySetValue, true, list);
    if (e == plat::kOk) e = openKey(kRestrictions, plat::kKeyRead | plat::kKeySetValue, false, restrictions);
    if (e == plat::kOk && record.switchSet)
        e = plat::regSetValue(restrictions.get(), kSwitch, plat::kRegDword, {1, 0, 0, 0});
    for (const auto& [name, id] : record.values) {
        const plat::Error set = e != plat::kOk ? e : plat::regSetValue(list.get(), name, plat::kRegSz, RegistryTextData(id));
        if (set != plat::kOk) NoteRefusal(id, plat::errorText(set));
        line(context.log, set == plat::kOk ? L"Blocked " : L"Not blocked ", id);
    }
}

void LiftDeviceInstallBlock(const std::wstring& item) {
    for (const std::wstring& file : recordFiles(BackupRoot() + includeTrailingBackslash(item)))
        liftRecord(readRecord(file));
}

bool DeviceInstallBlockInPlace(const std::wstring& item) {
    RegKeyHandle list;
    if (openKey(kList, plat::kKeyRead, false, list) != plat::kOk) return false;
    for (const std::wstring& file : recordFiles(BackupRoot() + includeTrailingBackslash(item)))
        for (const auto& [name, id] : readRecord(file).values) {
            const std::optional<Value> now = readValue(list.get(), name);
            if (now && stringOf(*now) == id) return true;
        }
    return false;
}

}  // namespace tw
