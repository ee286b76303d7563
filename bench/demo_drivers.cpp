// The driver part of the demo machine (scripts/run.sh): what the family
// NVIDIA - Display names in its driver phase, with a bystander of each kind,
// and the restore of the run's backup as the Backup dialog does it.
//
//   tw_demo_drivers seed
//       Plants, as tests/wine/plant_drivers.h lays them out: a display device
//       of removed hardware (not present; hardware id PCI\VEN_10DE&DEV_1C82)
//       with the NVIDIA package it used, and a present NVIDIA display device
//       with the package it uses. Prints one line per item, "<role> <name>":
//       gone-device, kept-device (instance ids), gone-package, kept-package
//       (published INF names), roles as a run with the driver phase on
//       must treat them.
//   tw_demo_drivers restore <set> <item>
//       Started from Tidewell's folder, whose Backup folder it then uses:
//       restores the item <item> ("NVIDIA - Display - Drivers", or
//       "DeviceInstallBlock" for the run's update block) of the backup set
//       <set> through the routine the Backup dialog's Restore button calls
//       (the program itself has no command-line restore), saves the log in
//       Logs\ as the dialog does with log files on, and prints its lines.
// Exit code 0 on success, 1 on bad arguments, 2 when something could not be
// planted or restored.
#include "../tests/wine/plant_drivers.h"

#include <cstdio>
#include <string>
#include <vector>

#include "backup/BackupDialog.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"

namespace {

void print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    std::string out(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr),
                    '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), int(out.size()), nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

struct Package {
    const wchar_t* version;
    const wchar_t* device;  // the instance id of the device that uses it
    const wchar_t* hardwareId;
    const wchar_t* description;
    plant::Presence presence;
};

int seed() {
    // As the driver store names NVIDIA's display packages: nv_dispi.inf_amd64_<hash>.
    const Package packages[] = {
        {L"31.0.15.2849", L"PCI\\VEN_10DE&DEV_1C82\\4&2C3B&0&0008", L"PCI\\VEN_10DE&DEV_1C82",
         L"NVIDIA GeForce GTX 1050 Ti", plant::Absent},
        {L"32.0.15.6094", L"PCI\\VEN_10DE&DEV_2484\\4&1A7D&0&0010", L"PCI\\VEN_10DE&DEV_2484",
         L"NVIDIA GeForce RTX 3070", plant::Present},
    };
    const std::wstring source = plant::below(::GetWindowsDirectoryW, L"\\Temp\\tidewell-demo-driver-");
    const wchar_t* const hashes[] = {L"5d7c2e1a9b4f3c68", L"a3f09b6e2c1d7e45"};
    for (int i = 0; i < 2; ++i) {
        const Package& p = packages[i];
        const std::wstring text = plant::infText(L"NVIDIA", L"Display", plant::kDisplay, p.version);
        const std::wstring name = plant::publish(source + std::to_wstring(i) + L"\\", L"nv_dispi.inf",
                                                 L"nv_dispi.inf_amd64_" + std::wstring(hashes[i]), text);
        if (name.empty() || !plant::makeDevice(p.device, plant::kDisplay, L"Display", p.hardwareId, p.presence, name,
                                               p.description)) {
            print(L"tw_demo_drivers: could not plant " + std::wstring(p.device));
            return 2;
        }
        const std::wstring role = p.presence == plant::Present ? L"kept-" : L"gone-";
        print(role + L"device " + p.device);
        print(role + L"package " + name);
    }
    return 0;
}

int restore(const std::wstring& set, const std::wstring& item) {
    tw::LogFiles = true;
    tw::RestoreCheckedItems(set, {{item, true}});
    const std::vector<std::wstring> lines = tw::RunLog().lines();
    bool restored = !lines.empty();
    for (const std::wstring& line : lines) {
        print(line);
        restored = restored && (line.rfind(L"Restored ", 0) == 0 || line.rfind(L"Unblocked ", 0) == 0);
    }
    return restored ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (argc == 2 && command == L"seed") return seed();
    try {
        if (argc == 4 && command == L"restore") return restore(argv[2], argv[3]);
    } catch (...) {  // a log file that cannot be written
        print(L"tw_demo_drivers: the restore ended in an error");
        return 2;
    }
    std::fputs("usage: tw_demo_drivers seed | restore <backup set> <item>\n", stderr);
    return 1;
}
