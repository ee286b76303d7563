#include "app/RunSafeguards.h"

#include "app/RunReport.h"
#include "backup/BackupUnit.h"
#include "store/BackupStore.h"
#include "engine/DeletionContext.h"
#include "engine/DeviceInstallBlock.h"
#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "options/Language.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw {

namespace {

constexpr const wchar_t* kDescription = L"Before cleaning with Tidewell";
constexpr const wchar_t* kSystemRestore = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SystemRestore";
constexpr const wchar_t* kFrequency = L"SystemRestorePointCreationFrequency";
const std::vector<std::uint8_t> kZero = {0, 0, 0, 0};

// Windows's frequency value at 0 while it lives, where it said otherwise;
// afterwards what was there, the value or its absence. A value it cannot
// read, or in a key that is not what its path names (a registry link on the
// way), is left alone.
class FrequencyZero {
public:
    FrequencyZero() {
        if (OpenMachineKeyAsNamed(kSystemRestore, plat::kKeyRead | plat::kKeySetValue, false, key_) != plat::kOk)
            return;
        const plat::HKey raw = key_.get();
        std::uint32_t size = 0;
        const plat::Error e = plat::regQueryValue(raw, kFrequency, type_, &data_, size);
        had_ = e == plat::kOk;
        if (had_ && type_ == plat::kRegDword && data_ == kZero)
            inForce_ = true;
        else if (had_ || e == plat::kErrFileNotFound)
            changed_ = inForce_ = plat::regSetValue(raw, kFrequency, plat::kRegDword, kZero) == plat::kOk;
    }
    ~FrequencyZero() {
        if (!changed_) return;
        if (had_)
            plat::regSetValue(key_.get(), kFrequency, type_, data_);
        else
            plat::regDeleteValue(key_.get(), kFrequency);
    }
    FrequencyZero(const FrequencyZero&) = delete;
    FrequencyZero& operator=(const FrequencyZero&) = delete;
    bool inForce() const { return inForce_; }

private:
    RegKeyHandle key_;
    std::uint32_t type_ = 0;
    std::vector<std::uint8_t> data_;
    bool had_ = false, changed_ = false, inForce_ = false;
};

// The run log's lines from `first` on, as a group.
PreviewGroup linesSince(const TRunLog& log, const wchar_t* label, std::size_t first) {
    const auto& lines = log.lines();
    return {label, {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()}};
}

// The most specific hardware id of each device the groups name as removed.
std::vector<std::wstring> removedDeviceIds(const std::vector<PreviewGroup>& groups) {
    std::vector<std::wstring> ids;
    for (const PreviewGroup& group : groups)
        for (const std::wstring& line : group.lines) {
            const ReportItem item = ReportItemOf(line, nullptr);
            if (item.kind != L"device" || item.outcome == L"not deleted") continue;
            const std::vector<std::wstring> noted = FindHardwareIds(item.path);
            if (!noted.empty()) ids.push_back(noted.front());
        }
    return ids;
}

}  // namespace

RunSafeguards SafeguardsInForce(const RunSafeguards& oneRun) {
    return {oneRun.restorePoint || RestorePointEnabled, oneRun.blockReinstall || BlockReinstallEnabled};
}

std::wstring RestorePointLine(const RestorePointCall& call) {
    std::wstring why;
    if (call.error == plat::kErrModNotFound || call.error == plat::kErrProcNotFound)
        why = L"System Restore is not available: srclient.dll or its SRSetRestorePointW is missing";
    else if (call.error != plat::kOk)
        why = L"System Restore answered error " + std::to_wstring(call.error) + L": " + plat::errorText(call.error);
    else if (call.previous && call.sequence <= *call.previous)
        why = L"Windows kept restore point " + std::to_wstring(call.sequence) + L", made earlier, instead of a new one";
    else if (!call.previous && !call.frequencyZero)
        why = L"no new point is confirmed: the system's list of points could not be read, and Windows may have kept "
              L"an earlier one";
    return why.empty() ? L"Created restore point (" + std::to_wstring(call.sequence) + L": " + kDescription + L")"
                       : L"Not created restore point (" + why + L")";
}

RestorePointCall MakeRestorePoint() {
    RestorePointCall call;
    std::int64_t last = 0;
    if (plat::lastRestorePointSequence(last) == plat::kOk) call.previous = last;
    const FrequencyZero frequency;
    call.frequencyZero = frequency.inForce();
    call.error = plat::createRestorePoint(kDescription, call.sequence);
    return call;
}

bool SafeguardedRun::Begin(RunHost* ask) {
    if (!guards_.restorePoint) return true;
    const std::wstring line = mode_ == DeletionContext::Mode::Report ? std::wstring(L"Would create restore point (") + kDescription + L")"
                                           : RestorePointLine(MakeRestorePoint());
    before_.push_back({kRestorePointGroup, {line}});
    if (!ask || !startsWith(line, L"Not ")) return true;
    const std::wstring reason = line.substr(line.find(L'(') + 1, line.size() - line.find(L'(') - 2);
    const std::wstring question =
        format1(LanguageText(L"Restore Point Failed", L"No restore point could be made (%s). Clean anyway?"), reason);
    return ask->confirm({question, LanguageText(L"WarningMessageTitle", L"Warning")});
}

void SafeguardedRun::End(std::vector<PreviewGroup>& families) {
    for (const PreviewGroup& group : before_)
        for (const std::wstring& line : group.lines) log_.append(line);
    families.insert(families.begin(), before_.begin(), before_.end());
    if (!guards_.blockReinstall) return;
    const std::vector<std::wstring> ids = removedDeviceIds(families);
    const std::size_t first = log_.count();
    DeletionContext context(log_, mode_);
    BlockDeviceInstallation(context, ids, BackupRoot() + fileTimeStamp() + L"\\" + kBlockItemName + L"\\");
    if (log_.count() > first) families.push_back(linesSince(log_, kBlockGroup, first));
}

}  // namespace tw
