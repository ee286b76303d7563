// The preview against the run it stands for, on a machine seeded with the
// leftovers of every target: target by target, the preview names exactly the
// items the following run deletes, refuses what the run refuses, and leaves
// the whole machine as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Preview.h"
#include "engine_fixture.h"
#include "targets/Target.h"

namespace {

using enginetest::kCU;
using enginetest::kLM;
using Lines = std::vector<std::string>;

// Leftovers of all seven targets, with what makes a run refuse or skip: a
// read-only file, an install folder that is a protected folder, InstallShield
// records of another company, a provider name in another letter case, and
// a file that two patterns match and a folder that a file pattern matches.
void seedEveryTarget() {
    const std::string sys = "C:\\WINDOWS\\System32\\", programs = "C:\\Program Files\\";
    const std::string shield = programs + "InstallShield Installation Information\\";
    for (const std::string& f :
         {sys + "nvapi.dll", sys + "NVMCTRAY.DLL", sys + "drivers\\nvraid.sys", sys + "atiddc.dll", sys + "CTAGENT.DLL", sys + "RtkAPO.dll",
          sys + "PhysX.dll", sys + "drivers\\point32k.sys", sys + "Data\\ctdata.bin", sys + "AGEIA\\PhysX.dll",
          std::string("C:\\WINDOWS\\Prefetch\\NVCPL.EXE-1.pf"), std::string("C:\\WINDOWS\\Help\\nvcpl\\nvcpl.chm"),
          std::string("C:\\ProgramData\\NVIDIA\\sub\\log.txt"), programs + "Creative\\Shared Files\\CTRegRun.exe",
          programs + "Realtek\\Audio\\RtkNGUI.exe", programs + "AGEIA Core\\PhysXCore.dll",
          programs + "Microsoft IntelliPoint\\ipoint.exe", std::string("C:\\Users\\User\\AppData\\Local\\ATi\\ACE\\a.bin")})
        fake::addFile(f, f);
    fake::addFile(sys + "nwiz.exe", "read-only", plat::kAttrReadOnly);
    fake::addFolder(sys + "nvcpl.folder");
    for (const char* record : {"{CT}=Creative Technology Ltd", "{RT}=Realtek Semiconductor Corp.", "{LOW}=creative"}) {
        const std::string r = record;
        fake::addFile(shield + r.substr(0, r.find('=')) + "\\setup.ini", "[Startup]\r\nCompanyName" + r.substr(r.find('=')));
    }
    fake::setString(kLM, "Software\\ATi Technologies\\Install", "InstallDir", "C:\\Program Files");
    fake::setString(kLM, "Software\\Realtek\\InstallShield", "ProgramFilesDir", programs + "Realtek");
    fake::setString(kLM, "Software\\AGEIA Technologies", "PhysXCore Path", programs + "AGEIA Core\\");
    for (const char* k : {"Software\\NVIDIA Corporation\\Installer", "Software\\NVIDIA Corporation\\nForce",
                          "Software\\ASIO", "Software\\MSIPOINT Corporation", "System\\ControlSet002\\Services\\nvlddmkm",
                          "System\\CurrentControlSet\\Services\\Ati HotKey Poller"})
        fake::addKey(kLM, k);
    for (const char* k : {"Software\\ATi", "Software\\Creative Tech", "Software\\Realtek", "Software\\Microsoft\\IntelliPoint"})
        fake::addKey(kCU, k);
    const std::string adapters = "System\\ControlSet002\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\";
    fake::setString(kLM, adapters + "0001", "ProviderName", "NVIDIA Corporation");
    fake::setString(kLM, adapters + "0002", "ProviderName", "nVidia");
    for (const char* v : {"NvSvc", "CTHelper", "RtHDVCpl", "IntelliPoint", "KeepMe"})
        fake::setString(kLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", v, "leftover.exe");
}

// Everything a preview must leave as it was.
std::string machineState() {
    std::string state = fake::registryDump();
    for (const std::string& path : fake::tree("C:\\"))
        state += path + (fake::isFolder(path) ? "\n" : " = " + fake::content(path) + "\n");
    for (const auto& p : fake::restartQueue()) state += "queued " + p.from + "\n";
    return state;
}

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

class PreviewTest : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (const tw::TargetInfo& t : tw::TargetTable()) *t.filesSwitch = *t.registrySwitch = true;
        tw::RemoveNVIDIAFolder = tw::RemoveATiFolder = true;
    }
};

TEST_F(PreviewTest, EachTargetsPreviewNamesWhatItsRunDeletesAndChangesNothing) {
    for (bool backup : {false, true}) {
        for (const tw::TargetInfo& target : tw::TargetTable()) {
            SCOPED_TRACE(std::string(target.label) + (backup ? ", backup on" : ", backup off"));
            fake::reset();
            seedEveryTarget();
            tw::BackupEnabled = backup;
            tw::RunLog().clear();
            const std::string before = machineState();

            std::vector<tw::PreviewGroup> groups;
            tw::PreviewSelectedTargets({plat::ansiToWide(target.label)}, groups);
            EXPECT_EQ(machineState(), before) << "the preview changed the machine";
            EXPECT_TRUE(tw::RunLog().empty());
            ASSERT_EQ(groups.size(), 1u);
            Lines named;
            for (const std::wstring& line : groups[0].lines) {
                std::string text = plat::wideToAnsi(line);
                if (text.rfind("Would delete ", 0) == 0) text.replace(0, 13, "Deleted ");
                named.push_back(text);
            }
            const tw::PreviewCounts counts = tw::CountPreviewLines(groups[0].lines);
            EXPECT_GT(counts.files + counts.folders + counts.registry, 0) << "nothing seeded for this target";

            tw::Clean(target, true, true);
            EXPECT_EQ(sorted(named), sorted(logLines()));
        }
    }
}

}  // namespace
