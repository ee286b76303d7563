#include "engine/DriverStore.h"


#include "store/BackupStore.h"
#include "store/DriverPackages.h"
#include "engine/DeleteUnit.h"
#include "engine/FolderPath.h"
#include "engine/ProtectedFolders.h"
#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"

namespace tw {

namespace {

struct DeviceClass {
    const wchar_t* name;
    const wchar_t* guid;
};
// The disks and what reaches them, the machine's own devices, and the input
// a person needs to answer Windows at its next start (USB carries most
// keyboards, HID most of the rest).
constexpr DeviceClass kBootCritical[] = {
    {L"System", L"{4d36e97d-e325-11ce-bfc1-08002be10318}"},
    {L"Computer", L"{4d36e966-e325-11ce-bfc1-08002be10318}"},
    {L"Processor", L"{50127dc3-0f36-415e-a6cc-4cb3be910b65}"},
    {L"DiskDrive", L"{4d36e967-e325-11ce-bfc1-08002be10318}"},
    {L"HDC", L"{4d36e96a-e325-11ce-bfc1-08002be10318}"},
    {L"SCSIAdapter", L"{4d36e97b-e325-11ce-bfc1-08002be10318}"},
    {L"Volume", L"{71a27cdd-812a-11d0-bec7-08002be2092f}"},
    {L"VolumeSnapshot", L"{533c5b84-ec70-11d2-9505-00c04f79deaf}"},
    {L"Keyboard", L"{4d36e96b-e325-11ce-bfc1-08002be10318}"},
    {L"HIDClass", L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}"},
    {L"USB", L"{36fc9e60-c465-11cf-8056-444553540000}"},
};

constexpr const wchar_t* kEnumKey = L"SYSTEM\\CurrentControlSet\\Enum";
constexpr const wchar_t* kInfFiles = L"DRIVERS\\DriverDatabase\\DriverInfFiles\\";
constexpr const wchar_t* kPackage = L"driver package";
constexpr const wchar_t* kDevice = L"device";
// The reason a report gives for an item kept because its copy is not in the backup.
constexpr const wchar_t* kNoBackupCopy = L"its backup copy could not be written";

bool same(const std::wstring& a, const std::wstring& b) { return plat::sameNameIgnoreCase(a, b); }
bool startsSame(const std::wstring& text, const std::wstring& prefix) {
    return !prefix.empty() && text.size() >= prefix.size() && same(text.substr(0, prefix.size()), prefix);
}
bool anySame(const std::wstring& text, const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names)
        if (!name.empty() && same(text, name)) return true;
    return false;
}
bool providerMatches(const std::wstring& provider, const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names)
        if (startsSame(provider, name) &&
            (provider.size() == name.size() || provider[name.size()] == L' ' || provider[name.size()] == L','))
            return true;
    return false;
}
bool hardwareIdMatches(const std::vector<std::wstring>& ids, const std::vector<std::wstring>& prefixes) {
    for (const std::wstring& id : ids)
        for (const std::wstring& prefix : prefixes)
            if (startsSame(id, prefix)) return true;
    return false;
}

// "oem" + a number + ".inf": the only names the driver store publishes INFs under.
bool publishedByDriverStore(const std::wstring& name) {
    if (name.size() < 8 || !startsSame(name, L"oem") || !same(name.substr(name.size() - 4), L".inf")) return false;
    for (std::size_t i = 3; i + 4 < name.size(); ++i)
        if (name[i] < L'0' || name[i] > L'9') return false;
    return true;
}

// Why nothing of the kind may be changed by this process; empty when it may.
std::wstring processRefusal() {
    if (plat::isSelf64Bit() || !plat::isSystem64Bit()) return {};
    return L"a 32-bit process on 64-bit Windows cannot change drivers (ERROR_IN_WOW64); the 64-bit build does";
}

void report(DeletionContext& context, bool removed, const wchar_t* kind, const std::wstring& text) {
    const std::wstring word = context.Reporting() ? L"Would delete " : L"Deleted ";
    context.log.append((removed ? word : std::wstring(L"Not deleted ")) + kind + L" (" + text +
                    L")");
}
void refuse(DeletionContext& context, const wchar_t* kind, const std::wstring& text, const std::wstring& reason) {
    NoteRefusal(text, reason);
    report(context, false, kind, text);
}

void trace(const DeletionContext& context, const wchar_t* routine, const std::vector<std::wstring>& a,
           const std::vector<std::wstring>& b) {
    if (!context.trace) return;
    std::wstring fields = routine;
    for (const auto* list : {&a, &b})
        for (const std::wstring& item : *list) fields += L"\t" + item;
    context.trace(fields);
}

bool backupPathUsable(const DeletionContext& context) { return NormalizeFolderPathW(context.BackupPath).has_value(); }

// A string value, or the first string of a list value; empty when neither.
std::wstring firstString(plat::HKey key, const std::wstring& name) {
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    if (plat::regQueryValue(key, name, type, &data, size) != plat::kOk ||
        (type != plat::kRegSz && type != plat::kRegMultiSz))
        return {};
    return RegistryText(data);
}

// The package folder the driver database names for a published INF (its
// active package, else the first it lists), opened below the repository and
// required to be a folder that is what its name reaches there.
bool openPackageFolder(const std::wstring& infName, plat::EntryHandle& out, std::wstring& finalPath) {
    plat::HKey raw = 0;
    if (plat::regOpenKey(plat::kHKeyLocalMachine, kInfFiles + infName, plat::kKeyRead, raw) != plat::kOk) return false;
    const RegKeyHandle key(raw);
    std::wstring package = firstString(key.get(), L"Active");
    if (package.empty()) package = firstString(key.get(), L"");
    plat::EntryHandle repository;
    plat::EntryInfo repositoryInfo, info;
    const std::wstring repositoryPath =
        includeTrailingBackslash(plat::systemFolder(plat::SystemFolder::System)) + L"DriverStore\\FileRepository";
    if (!IsPlainName(package) || plat::openEntry(repositoryPath, plat::kOpenFollowLink, repository) != plat::kOk ||
        plat::entryInfo(repository, repositoryInfo) != plat::kOk ||
        plat::openEntryAt(repository, package, 0, out) != plat::kOk || plat::entryInfo(out, info) != plat::kOk)
        return false;
    finalPath = info.finalPath;
    return (info.attributes & (plat::kAttrDirectory | plat::kAttrReparsePoint)) == plat::kAttrDirectory &&
           same(info.finalPath, JoinPath(repositoryInfo.finalPath, package));
}

// The INF and its package folder into the backup; a preview only checks
// that both can be had.
bool backupPackage(DeletionContext& context, const std::wstring& infFolder, const std::wstring& infName, const std::wstring& text) {
    plat::EntryHandle package;
    std::wstring packagePath;
    if (!backupPathUsable(context) || !openPackageFolder(infName, package, packagePath)) return false;
    if (context.Reporting()) return true;
    if (!BackupDriverPackage(context.BackupPath, infFolder, infName, package, packagePath)) return false;
    NoteBackupCopy(text, includeTrailingBackslash(context.BackupPath) + infName + L"\\");
    return true;
}

// The device's key saved as a hive file, as DeleteKeys saves a key.
bool backupDeviceKey(DeletionContext& context, const std::wstring& instanceId, const std::wstring& text) {
    const std::wstring path = std::wstring(kEnumKey) + L"\\" + instanceId;
    const std::size_t cut = path.rfind(L'\\');
    const std::wstring keyPath = path.substr(0, cut), name = path.substr(cut + 1);
    const std::wstring file = HiveFileName(plat::kHKeyLocalMachine, keyPath, name);
    if (!backupPathUsable(context) || file.empty()) return false;
    if (context.Reporting()) return true;
    const std::wstring folder = includeTrailingBackslash(context.BackupPath);
    TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    reg.Access = plat::kKeyRead;
    if (!reg.OpenKey(keyPath, false) || !forceDirectories(folder) || !reg.SaveKey(name, folder + file)) return false;
    NoteBackupCopy(text, folder + file);
    return true;
}

std::wstring packageRefusal(const std::wstring& infName, const plat::InfVersion& inf,
                            const std::vector<plat::DeviceRecord>* devices) {
    if (!publishedByDriverStore(infName)) return L"not published by the driver store: an INF that came with Windows";
    if (BootCriticalClass(inf.className, inf.classGuid)) return L"of a class Windows needs to start (" + inf.className + L")";
    if (devices == nullptr) return L"the devices that may use it could not be listed";
    for (const plat::DeviceRecord& d : *devices)
        if (d.presence != plat::Presence::NotPresent && same(d.infPath, infName))
            return L"in use by a present device (" + d.instanceId + L")";
    return {};
}

}  // namespace

bool BootCriticalClass(const std::wstring& className, const std::wstring& classGuid) {
    for (const DeviceClass& c : kBootCritical)
        if (same(className, c.name) || same(classGuid, c.guid)) return true;
    return false;
}

void RemoveDriverPackages(DeletionContext& context, const std::vector<std::wstring>& providers, const std::vector<std::wstring>& classes) {
    trace(context, L"RemoveDriverPackages", providers, classes);
    const std::wstring infFolder = includeTrailingBackslash(plat::systemFolder(plat::SystemFolder::Windows)) + L"inf\\";
    std::vector<plat::FindData> infs;
    plat::findEntries(infFolder + L"oem*.inf", infs);
    std::vector<plat::DeviceRecord> devices;
    const bool devicesListed = plat::listDevices(devices) == plat::kOk;
    const std::wstring blocked = processRefusal();
    for (const plat::FindData& e : infs) {
        const std::wstring path = infFolder + e.name;
        plat::InfVersion inf;
        if ((e.attributes & plat::kAttrDirectory) != 0 || context.IsGone(path) || plat::readInfVersion(path, inf) != plat::kOk ||
            !providerMatches(inf.provider, providers) || !anySame(inf.className, classes))
            continue;
        const std::wstring text = e.name + L": " + inf.provider + L", " + inf.className + L", " +
                                  (inf.driverVersion.empty() ? inf.driverDate : inf.driverVersion);
        std::wstring refusal = blocked.empty() ? packageRefusal(e.name, inf, devicesListed ? &devices : nullptr) : blocked;
        if (refusal.empty() && context.BackupEnabled && !backupPackage(context, infFolder, e.name, text)) refusal = kNoBackupCopy;
        if (!refusal.empty()) {
            refuse(context, kPackage, text, refusal);
            continue;
        }
        bool removed = true;
        if (context.Reporting())
            context.MarkGone(path);
        else  // forced: no present device uses it, as judged above
            removed = plat::uninstallDriverPackage(e.name, true) == plat::kOk;
        report(context, removed, kPackage, text);
    }
    context.StepProgress();
}

void RemoveDevices(DeletionContext& context, const std::vector<std::wstring>& classes, const std::vector<std::wstring>& hardwareIdPrefixes) {
    trace(context, L"RemoveDevices", classes, hardwareIdPrefixes);
    std::vector<plat::DeviceRecord> devices;
    plat::listDevices(devices);
    const std::wstring blocked = processRefusal();
    for (const plat::DeviceRecord& d : devices) {
        const std::wstring key = L"HKLM\\" + std::wstring(kEnumKey) + L"\\" + d.instanceId;
        if (d.presence == plat::Presence::Present || !anySame(d.className, classes) ||
            !hardwareIdMatches(d.hardwareIds, hardwareIdPrefixes) || context.IsKeyGone(key))
            continue;
        const std::wstring text =
            d.instanceId + L": " + d.className + (d.description.empty() ? L"" : L", " + d.description);
        NoteHardwareIds(text, d.hardwareIds);  // for the block of the devices the run's lines say went
        std::wstring refusal = blocked;
        if (refusal.empty() && d.presence == plat::Presence::Unknown)
            refusal = L"whether it is attached could not be told";
        if (refusal.empty() && BootCriticalClass(d.className, d.classGuid))
            refusal = L"of a class Windows needs to start (" + d.className + L")";
        if (refusal.empty() && context.BackupEnabled && !backupDeviceKey(context, d.instanceId, text)) refusal = kNoBackupCopy;
        if (!refusal.empty()) {
            refuse(context, kDevice, text, refusal);
            continue;
        }
        bool removed = true;
        if (context.Reporting())
            context.MarkKeyGone(key);
        else  // only while it still reads as not present
            removed = plat::removeDevice(d.instanceId) == plat::kOk;
        report(context, removed, kDevice, text);
    }
    context.StepProgress();
}

}  // namespace tw
