// Family files: what a good one gives, and every kind of bad or refused one,
// each with its line and its reason and nothing loaded.
#include <gtest/gtest.h>

#include <fstream>

#include "targets/FamilyFormat.h"

namespace {

const std::string kHead = "label = \"Acme - Audio\"\nsection = \"Acme Audio\"\nswitch = \"-ACME\"\n"
                          "backup-prefix = \"Acme - Audio - \"\nweights = { files = 3, registry = 2 }\n";

TEST(FamilyFiles, AGoodFileGivesItsStepsInOrder) {
    const std::string text = kHead + "[lists]\nmine = ['acm*.dll', 'acmecpl?.exe']\n"
                                     "[[files]]\ndelete = \"files\"\nfolder = '%SystemRoot%\\System32\\'\npatterns = \"mine\"\n"
                                     "[[files]]\ndelete = \"folder\"\nfolder = 'C:\\Acme'\nif-exists = true\n"
                                     "if-setting = \"RemoveATiFolder\"  # \xC3\xA9\n"
                                     "[[registry]]\ndelete = \"keys-by-value\"\nkey = 'HKLM\\System\\<ControlSet>\\Control\\Class\\{4d36e96c}'\n"
                                     "value = \"ProviderName\"\nprefix = \"Acm\xC3\xA9\"\n";
    const auto parsed = tw::ParseFamily(text, true);
    ASSERT_TRUE(std::holds_alternative<tw::FamilyDescription>(parsed)) << tw::ParseFamily(text, true).index();
    const auto& d = std::get<tw::FamilyDescription>(parsed);
    EXPECT_EQ(d.label + d.section + d.commandSwitch + d.backupPrefix, L"Acme - AudioAcme Audio-ACMEAcme - Audio - ");
    EXPECT_EQ(d.filesWeight * 10 + d.registryWeight, 32);
    ASSERT_EQ(d.files.size(), 2u);
    EXPECT_EQ(d.files[0].names, (std::vector<std::wstring>{L"acm*.dll", L"acmecpl?.exe"}));
    EXPECT_EQ(d.files[1].line, 12);
    EXPECT_TRUE(d.files[1].ifExists && d.files[1].ifSetting == L"RemoveATiFolder" && d.files[1].folder == L"C:\\Acme");
    ASSERT_EQ(d.registry.size(), 1u);
    EXPECT_EQ(d.registry[0].kind, tw::StepKind::KeysByValue);
    EXPECT_EQ(d.registry[0].prefix + d.registry[0].value, L"Acm\u00e9ProviderName");
    // The example family of the help parses as a family of the user's own.
    std::ifstream example(TW_SOURCE_DIR "/examples/families/intel-graphics.toml", std::ios::binary);
    const auto parsedExample = tw::ParseFamily(std::string(std::istreambuf_iterator<char>(example), {}), true);
    EXPECT_TRUE(std::holds_alternative<tw::FamilyDescription>(parsedExample));
    // A backslash between an environment value and the rest is never doubled.
    EXPECT_EQ(tw::JoinFolder(L"%HOMEDRIVE%\\Acme\\", L"C:"), L"C:\\Acme\\");
    EXPECT_EQ(tw::JoinFolder(L"%APPDATA%\\Acme", L"C:\\Users\\A\\"), L"C:\\Users\\A\\Acme");
    EXPECT_EQ(tw::JoinFolder(L"D:\\Acme", L"ignored"), L"D:\\Acme");
}

TEST(FamilyFiles, ABadFileIsRefusedWholeWithItsLineAndReason) {
    const std::string files = "[[files]]\ndelete = \"files\"\nfolder = '%SystemRoot%\\'\npatterns = ";  // line 6 on
    const std::string keys = "[[registry]]\ndelete = \"keys\"\nkey = ";
    struct Row {
        std::string text;
        bool own;
        int line;
        const wchar_t* reason;
    };
    for (const Row& row : std::vector<Row>{
             {"label = \"x\"\nlabel = \"y\"\n", false, 2, L"cannot redefine"},  // the TOML reader's own
             {"label = \"x\n", false, 1, L""},                                       // unclosed text
             {"\xEF\xBB\xB8#", false, 1, L""},  // toml++ 3.3 itself reached undefined behaviour on it
             {kHead, false, 1, L"no step"},
             {kHead.substr(kHead.find('\n') + 1) + files + "['a*']\n", false, 1, L"\"label\" is missing"},
             {kHead + "colour = 1\n" + files + "['acme*']\n", false, 6, L"\"colour\" is not a key"},
             {kHead + "x = 1 \xC2\xA7\n", false, 6, L"expected a comment or whitespace"},  // beyond ASCII: see CMakeLists
             {kHead + "x = \"\"\"\\\n\xC2\xA7\"\"\"\n", false, 6, L"\"x\" is not a key"},
             {kHead + files + "['acme*', 7]\n", false, 9, L"must be text"},
             {kHead + files + "['..\\\\acme*']\n", false, 9, L"path separator"},
             {kHead + files + "\"nolist\"\n", false, 9, L"names no list"},
             {kHead + files + "[]\n", false, 9, L"empty list"},
             {kHead + files + "['*.dll']\n", true, 9, L"literal stem"},
             {kHead + files + "['a.c*.*']\n", true, 9, L"literal stem"},
             {kHead + "[[files]]\ndelete = \"keys\"\n", false, 7, L"step of [[registry]]"},
             {kHead + "[[files]]\ndelete = \"everything\"\n", false, 7, L"no step deletes"},
             {kHead + "[[drivers]]\ndelete = \"folder\"\n", false, 7, L"step of [[files]]"},
             {kHead + "[[drivers]]\ndelete = \"devices\"\nclasses = ['Display']\nhardware-ids = ['PCI\\VEN']\n", true, 9,
              L"too short a hardware-id"},
             {kHead + "[[files]]\ndelete = \"folder\"\nfolder = '%WINDIR\\x'\n", false, 8, L"does not close"},
             {kHead + "[[files]]\ndelete = \"folder\"\nfolder = 'Acme'\n", false, 8, L"neither"},
             {kHead + "[[files]]\ndelete = \"folder\"\nfolder = 'C:\\A\\..\\Windows'\n", false, 8, L"dot segment"},
             {kHead + "[[files]]\ndelete = \"folder\"\nfolder = 'C:\\A'\nif-setting = \"Backup\"\n", false, 9,
              L"no switch of the settings"},
             {kHead + "[[files]]\ndelete = \"install-folder\"\nkey = 'HKCU\\Software\\Acme'\nvalue = \"Dir\"\n", false, 8,
              L"must begin with HKLM\\"},
             {kHead + keys + "'HKCR\\Acme'\nnames = ['x']\n", false, 8, L"must begin with HKLM\\ or HKCU\\"},
             {kHead + keys + "'HKLM\\<ControlSet>\\<ControlSet>'\nnames = ['x']\n", false, 8, L"<ControlSet>"},
             {kHead + keys + "'HKLM\\Software'\nnames = ['Acme\\\\x']\n", false, 9, L"empty or dot segment"},
             {kHead + keys + "'HKLM\\Software\\..\\System'\nnames = ['x']\n", false, 8, L"empty or dot segment"},
             {kHead + keys + "'HKLM\\Software'\nnames = ['Microsoft']\n", true, 9, L"shared"},
             {kHead + keys + "'HKLM\\Software\\Wow6432Node'\nnames = ['Classes\\.dll']\n", true, 9, L"shared"},
             {kHead + keys + "'HKLM\\System\\<ControlSet>\\Control'\nnames = ['Class\\{4d36e968}']\n", true, 9, L"shared"},
             {kHead + keys + "'HKLM\\System\\CurrentControlSet'\nnames = ['Services']\n", true, 9, L"shared"},
             {kHead + keys + "'HKLM\\System\\<ControlSet>\\Enum'\nnames = ['PCI']\n", true, 9, L"shared"},
             {kHead + keys + "'HKCU\\Software\\Policies'\nnames = ['Microsoft']\n", true, 9, L"shared"},
             {kHead + keys + "'HKCU'\nnames = ['Software']\n", true, 8, L"names no key below its root"},
             {kHead + keys + "'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion'\nnames = ['Run']\n", true, 9, L"shared"},
             {"label = \"a\\u0007\"\n", false, 1, L"control character"},
             {"label = \"x\"\nsection = \"[x]\"\nswitch = \"-X1\"\nbackup-prefix = \"x\"\n", false, 2, L"settings section"},
             {"label = \"x\"\nsection = \"x\"\nswitch = \"-quit\"\nbackup-prefix = \"x\"\n", false, 3, L"program's own"},
             {"label = \"x\"\nsection = \"x\"\nswitch = \"/x\"\nbackup-prefix = \"x\"\n", false, 3, L"2 to 31"},
             {"label = \"x\"\nsection = \"x\"\nswitch = \"-X1\"\nbackup-prefix = \"..\\\\x\"\n", false, 4, L"folder name"},
             {kHead.substr(0, kHead.find("weights")) + "weights = { files = -1, registry = 2 }\n", false, 5, L"weight"},
             {kHead + "[files]\ndelete = \"files\"\n", false, 6, L"must be written [[files]]"},
             {std::string(300 * 1024, '#'), false, 0, L"larger than"}}) {
        const auto parsed = tw::ParseFamily(row.text, row.own);
        ASSERT_TRUE(std::holds_alternative<tw::FamilyFileError>(parsed)) << row.text;
        const auto& error = std::get<tw::FamilyFileError>(parsed);
        EXPECT_EQ(error.line, row.line) << row.text;
        EXPECT_NE(error.reason.find(row.reason), std::wstring::npos) << row.text << "\n" << testing::PrintToString(error.reason);
    }
    // The same patterns and keys are a built-in family's to name.
    EXPECT_TRUE(std::holds_alternative<tw::FamilyDescription>(tw::ParseFamily(kHead + files + "['*.dll']\n", false)));
    EXPECT_TRUE(std::holds_alternative<tw::FamilyDescription>(
        tw::ParseFamily(kHead + keys + "'HKLM\\Software'\nnames = ['Microsoft\\IntelliPoint']\n", true)));
}

}  // namespace
