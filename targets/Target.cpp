#include "targets/Target.h"

#include <algorithm>
#include <cstdint>

#include "engine/DeleteUnit.h"
#include "engine/DriverStore.h"
#include "engine/RegistrySelf.h"
#include "engine/RestartQueue.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw {

namespace {

constexpr std::size_t kMaxFamilyFile = 256 * 1024;

// What makes a family known to the rest of the program: no two may share one.
std::wstring clashOf(const FamilyDescription& d, const Family& other) {
    if (equalsIgnoreCase(d.label, other.label)) return L"the label \"" + d.label + L"\"";
    if (equalsIgnoreCase(d.section, other.section)) return L"the section \"" + d.section + L"\"";
    if (equalsIgnoreCase(d.commandSwitch, other.commandSwitch)) return L"the switch \"" + d.commandSwitch + L"\"";
    if (equalsIgnoreCase(d.backupPrefix, other.backupPrefix)) return L"the backup prefix \"" + d.backupPrefix + L"\"";
    return {};
}

bool isTomlFile(const plat::DirEntry& entry) {
    return (entry.attributes & (plat::kAttrDirectory | plat::kAttrReparsePoint)) == 0 && entry.name.size() > 5 &&
           equalsIgnoreCase(entry.name.substr(entry.name.size() - 5), L".toml");
}

// Reads one listed file through the folder's handle: it must be a plain file
// in that folder that only administrators can change.
std::optional<FamilyProblem> readOwnFile(const plat::EntryHandle& dir, const std::wstring& folder,
                                         const std::wstring& name, std::vector<std::uint8_t>& bytes) {
    const std::wstring path = JoinPath(folder, name);
    plat::EntryHandle file;
    plat::EntryInfo info;
    if (plat::openEntryAt(dir, name, 0, file) != plat::kOk || plat::entryInfo(file, info) != plat::kOk ||
        (info.attributes & (plat::kAttrDirectory | plat::kAttrReparsePoint)) != 0 ||
        !equalsIgnoreCase(FolderOfPath(info.finalPath), folder))
        return FamilyProblem{path, 0, L"the file cannot be opened as a plain file of the folder"};
    if (!plat::onlyAdminsCanChange(file, false))
        return FamilyProblem{path, 0,
                             L"others than administrators can change the file: make Administrators its owner and "
                             L"let no other account write to it"};
    const plat::Error e = plat::readEntryBytes(file, kMaxFamilyFile, bytes);
    if (e != plat::kOk)
        return FamilyProblem{path, 0, e == plat::kErrNotEnoughMemory ? L"the file is larger than 256 KB"
                                                                      : L"the file cannot be read: " + plat::errorText(e)};
    return std::nullopt;
}

// ---- running the steps ----

// A step's folder, or nothing when the environment value it begins with is unset or empty.
std::optional<std::wstring> FolderOf(const std::wstring& text) {
    const std::wstring name = FolderVariable(text);
    if (name.empty()) return text;
    std::optional<std::wstring> value = plat::getEnv(name);
    if (!value || value->empty()) return std::nullopt;
    return JoinFolder(text, *value);
}

// One key path per control set where "<ControlSet>" stands.
std::vector<std::wstring> KeyPaths(const std::wstring& path) {
    const std::size_t at = path.find(L"<ControlSet>");
    if (at == std::wstring::npos) return {path};
    std::vector<std::wstring> out;
    for (const std::wstring& set : ControlSets())
        out.push_back(path.substr(0, at) + set.substr(set.find(L'\\') + 1) + path.substr(at + 12));
    return out;
}

// A folder a preview has already named is gone, as it would be in the run.
bool FolderToTake(const DeletionContext& context, const FamilyStep& step, const std::wstring& folder) {
    return !folder.empty() && (!step.ifExists || (directoryExists(folder) && !context.IsGone(folder)));
}

void RunStep(DeletionContext& context, const Family& family, const FamilyStep& step) {
    if (!step.ifSetting.empty() && !*ConditionSetting(step.ifSetting)) return;
    const KeyText key = SplitKeyText(step.key);
    const plat::HKey root = key.machine ? plat::kHKeyLocalMachine : plat::kHKeyCurrentUser;
    switch (step.kind) {
    case StepKind::Files:
        if (const auto folder = FolderOf(step.folder))
            DeleteFiles(context, *folder, step.names);
        else  // nothing to search, but the progress bar still takes its steps
            for (std::size_t i = 0; i < step.names.size(); ++i) context.StepProgress();
        return;
    case StepKind::Folder:
        // A family of the user's own names no folder that a system or
        // environment folder holds the vendor's name in: each is held to the
        // rule for a vendor's install folder.
        if (const auto folder = FolderOf(step.folder); folder && FolderToTake(context, step, *folder))
            family.own ? DeleteInstallFolder(context, *folder) : DeleteFolder(context, *folder);
        return;
    case StepKind::InstallFolder:
        // Read while the registry phase has not yet removed the key.
        if (const std::wstring folder = ReadMachineString(key.path, step.value); FolderToTake(context, step, folder))
            DeleteInstallFolder(context, folder);
        return;
    case StepKind::FoldersByCompany:
        if (const auto folder = FolderOf(step.folder)) DeleteFoldersByCompany(context, *folder, step.prefix);
        return;
    case StepKind::Keys:
        for (const std::wstring& path : KeyPaths(key.path)) DeleteKeys(context, root, path, step.names);
        return;
    case StepKind::Values:
        for (const std::wstring& path : KeyPaths(key.path)) DeleteValues(context, root, path, step.names);
        return;
    case StepKind::KeysByValue:
        for (const std::wstring& path : KeyPaths(key.path)) DeleteKeysByValue(context, root, path, step.value, step.prefix);
        return;
    case StepKind::Devices:
        RemoveDevices(context, step.classes, step.names);
        return;
    case StepKind::DriverPackages:
        RemoveDriverPackages(context, step.names, step.classes);
        return;
    }
}

}  // namespace

PhaseSwitches& SwitchesOf(const Family& family) { return FamilySwitches(IndexOf(family)); }

std::wstring OwnFamiliesFolder() { return programFolder() + L"Families"; }

std::vector<FamilyProblem> LoadOwnFamilies(const std::wstring& folder) {
    std::vector<Family> own;
    std::vector<FamilyProblem> problems;
    SetOwnFamilies({}, {});
    plat::EntryHandle dir;
    plat::EntryInfo info;
    std::vector<plat::DirEntry> entries;
    if (plat::openEntry(folder, plat::kOpenFollowLink, dir) != plat::kOk || plat::entryInfo(dir, info) != plat::kOk ||
        (info.attributes & plat::kAttrDirectory) == 0 || plat::listEntries(dir, entries) != plat::kOk)
        return {};
    std::erase_if(entries, [](const plat::DirEntry& e) { return !isTomlFile(e); });
    if (entries.empty()) return {};
    std::sort(entries.begin(), entries.end(), [](const plat::DirEntry& a, const plat::DirEntry& b) {
        return plat::compareTextIgnoreCase(a.name, b.name) < 0;
    });
    // A family runs with the administrator's rights: one that a standard user
    // could have put there, or changed, is not read at all.
    if (!OnlyAdminsCanChangePath(info.finalPath)) {
        problems.push_back({info.finalPath, 0,
                            L"others than administrators can change this folder or a folder above it, so no "
                            L"family in it is read: make Administrators the owner of the folder and let no other "
                            L"account write to it or to the folders above it"});
        SetOwnFamilies({}, problems);
        return problems;
    }
    for (const plat::DirEntry& entry : entries) {
        std::vector<std::uint8_t> bytes;
        if (auto problem = readOwnFile(dir, info.finalPath, entry.name, bytes)) {
            problems.push_back(*problem);
            continue;
        }
        const std::wstring path = JoinPath(info.finalPath, entry.name);
        FamilyParse parsed = ParseFamily(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), true);
        if (auto* error = std::get_if<FamilyFileError>(&parsed)) {
            problems.push_back({path, error->line, error->reason});
            continue;
        }
        auto& d = std::get<FamilyDescription>(parsed);
        std::wstring clash;
        for (const Family& other : FamilyTable())
            if (clash.empty()) clash = clashOf(d, other);
        for (const Family& other : own)
            if (clash.empty()) clash = clashOf(d, other);
        if (clash.empty() && IsGeneralSection(d.section)) clash = L"the section \"" + d.section + L"\"";
        if (!clash.empty()) {
            problems.push_back({path, 0, clash + L" is taken by another family or by the settings"});
            continue;
        }
        own.push_back(Family{std::move(d), true, entry.name});
    }
    SetOwnFamilies(std::move(own), problems);
    return problems;
}

int GetWeight(const Family& family, bool files, bool registry, bool drivers) {
    return (files ? family.filesWeight : 0) + (registry ? family.registryWeight : 0) +
           (drivers ? family.driversWeight : 0);
}

void Clean(DeletionContext& context, const Family& family, bool files, bool registry, bool drivers) {
    // The backup set is named by a time stamp taken afresh by every family.
    std::wstring folder = programFolder() + L"Backup\\" + fileTimeStamp();
    folder = replaceAll(folder, L"/", L"-");
    const std::wstring familyFolder = folder + L"\\" + family.backupPrefix;
    context.BeginTarget();
    // The devices and packages first: which package a present device uses is
    // read from its driver key, which the registry phase may remove.
    if (drivers && !family.drivers.empty()) {
        context.SetBackupPath(familyFolder + L"Drivers\\");
        for (const FamilyStep& step : family.drivers) RunStep(context, family, step);
    }
    if (files) {
        context.SetBackupPath(familyFolder + L"Files\\");
        for (const FamilyStep& step : family.files) RunStep(context, family, step);
    }
    if (registry) {
        context.SetBackupPath(familyFolder + L"Registry\\");
        for (const FamilyStep& step : family.registry) RunStep(context, family, step);
    }
}

const StringList& ControlSets() {
    static const StringList sets = {L"System\\ControlSet001", L"System\\ControlSet002",
                                    L"System\\ControlSet003", L"System\\ControlSet004",
                                    L"System\\CurrentControlSet"};
    return sets;
}

std::wstring ReadMachineString(const std::wstring& keyPath, const std::wstring& valueName) {
    TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    reg.OpenKey(keyPath, false);
    std::wstring value = reg.ReadString(valueName);
    reg.CloseKey();
    return value;
}

}  // namespace tw
