// Tests of the in-memory Windows' own control side: builders, injected
// faults, leak counters and the models the contract tests cannot reach from
// platform.h alone (locked files, held privileges, windows of other programs).
// The fake desktop is exercised through the icon restorer's own tests.
#include <gtest/gtest.h>

#include <cstring>

#include "fake/fake.h"

namespace {

class FakeMachine : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(FakeMachine, ResetGivesTheProgramFolderTempAndEmptyRegistry) {
    fake::addFile("C:\\Junk\\a.txt", "x");
    fake::addKey(plat::kHKeyLocalMachine, "Software\\Junk");
    fake::reset();
    EXPECT_FALSE(fake::exists("C:\\Junk"));
    EXPECT_TRUE(fake::exists("C:\\Tools\\Tidewell\\Tidewell.exe"));
    EXPECT_TRUE(fake::isFolder(*plat::getEnv("TEMP")));
    EXPECT_FALSE(fake::keyExists(plat::kHKeyLocalMachine, "Software\\Junk"));
    EXPECT_EQ(fake::subKeys(plat::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList").size(), 4u);
    EXPECT_EQ(*plat::getEnv("SystemRoot"), "C:\\WINDOWS");
}

TEST_F(FakeMachine, BuildersCreateParentsAndListingsKeepStoredCase) {
    fake::addFile("C:\\Program Files\\NVIDIA Corporation\\Installer\\setup.ini", "[Startup]");
    fake::addFolder("C:\\Program Files\\nvidia corporation\\Drs");
    EXPECT_TRUE(fake::isFolder("C:\\PROGRAM FILES\\NVIDIA CORPORATION"));
    EXPECT_EQ(fake::list("C:\\Program Files\\NVIDIA Corporation"), (std::vector<std::string>{"Drs", "Installer"}));
    EXPECT_EQ(fake::content("c:\\program files\\nvidia corporation\\installer\\SETUP.INI"), "[Startup]");
    EXPECT_THROW(fake::content("C:\\nothing.txt"), std::runtime_error);
    EXPECT_THROW(fake::addFile("C:\\Program Files\\NVIDIA Corporation\\Drs\\..\\Drs", ""), std::invalid_argument);
}

TEST_F(FakeMachine, LockedFilesCanBeCopiedButNotDeletedOrOverwritten) {
    fake::addFile("C:\\W\\nvapi.dll", "code");
    fake::addFile("C:\\W\\other.dll", "x");
    fake::setFault("c:\\w\\NVAPI.DLL", fake::Fault::Locked);
    EXPECT_EQ(plat::deleteFile("C:\\W\\nvapi.dll"), plat::kErrSharingViolation);
    EXPECT_EQ(plat::copyFile("C:\\W\\nvapi.dll", "C:\\W\\copy.dll", false), plat::kOk);
    EXPECT_EQ(fake::content("C:\\W\\copy.dll"), "code");
    EXPECT_EQ(plat::copyFile("C:\\W\\other.dll", "C:\\W\\nvapi.dll", false), plat::kErrSharingViolation);
    EXPECT_EQ(plat::writeFileBytes("C:\\W\\nvapi.dll", {1}), plat::kErrSharingViolation);
    EXPECT_EQ(fake::content("C:\\W\\nvapi.dll"), "code");
    fake::clearFault("C:\\W\\nvapi.dll", fake::Fault::Locked);
    EXPECT_EQ(plat::deleteFile("C:\\W\\nvapi.dll"), plat::kOk);
}

TEST_F(FakeMachine, InjectedFaultsRefuseTheirOperations) {
    fake::addFile("C:\\W\\src.dll", "x");
    fake::setFault("C:\\W\\src.dll", fake::Fault::CopyFails);
    EXPECT_EQ(plat::copyFile("C:\\W\\src.dll", "C:\\W\\dst.dll", false), plat::kErrAccessDenied);
    EXPECT_FALSE(fake::exists("C:\\W\\dst.dll"));
    EXPECT_EQ(plat::deleteFile("C:\\W\\src.dll"), plat::kOk);  // only copying fails

    fake::setFault("C:\\W\\out.ini", fake::Fault::WriteFails);
    EXPECT_FALSE(plat::profileWrite(L"C:\\W\\out.ini", L"S", L"k", L"v"));
    EXPECT_EQ(plat::writeFileBytes("C:\\W\\out.ini", {1}), plat::kErrAccessDenied);
    EXPECT_FALSE(fake::exists("C:\\W\\out.ini"));
    fake::setFault("C:\\W\\Backup", fake::Fault::WriteFails);
    EXPECT_EQ(plat::createDirectory("C:\\W\\Backup"), plat::kErrAccessDenied);

    fake::addFile("C:\\W\\sys.dll", "x");
    fake::setFault("C:\\W\\sys.dll", fake::Fault::AccessDenied);
    EXPECT_EQ(plat::deleteFile("C:\\W\\sys.dll"), plat::kErrAccessDenied);
    EXPECT_EQ(plat::moveFileAtReboot("C:\\W\\sys.dll", ""), plat::kErrAccessDenied);
    EXPECT_TRUE(fake::restartQueue().empty());
}

TEST_F(FakeMachine, ProfileFileWithoutFolderIsLookedForInTheWindowsFolder) {
    fake::addFile("C:\\WINDOWS\\win.ini", "[Fonts]\r\nx=1\r\n");
    EXPECT_EQ(plat::profileRead(L"WIN.INI", L"Fonts", L"x", L""), L"1");
}

TEST_F(FakeMachine, ReadOnlyKeysOpenForReadingOnly) {
    fake::setString(plat::kHKeyLocalMachine, "System\\Svc\\nvlddmkm", "Start", "3");
    fake::setKeyReadOnly(plat::kHKeyLocalMachine, "System\\Svc\\nvlddmkm");
    plat::HKey k = 0;
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyLocalMachine, "System\\Svc\\nvlddmkm", plat::kKeyAllAccess, k),
              plat::kErrAccessDenied);
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyLocalMachine, "System\\Svc\\NVLDDMKM", plat::kKeyRead | 0x200, k), plat::kOk);
    EXPECT_EQ(fake::openKeyCount(), 1);
    EXPECT_EQ(plat::regCloseKey(k), plat::kOk);
    EXPECT_EQ(fake::openKeyCount(), 0);
    EXPECT_EQ(plat::regDeleteKey(plat::kHKeyLocalMachine, "System\\Svc\\nvlddmkm"), plat::kErrAccessDenied);
    EXPECT_TRUE(fake::keyExists(plat::kHKeyLocalMachine, "System\\Svc\\nvlddmkm"));
}

TEST_F(FakeMachine, HiveSaveAndRestoreFollowThePrivilegesHeld) {
    fake::setString(plat::kHKeyCurrentUser, "Software\\Tool\\Sub", "Name", "value");
    fake::setDword(plat::kHKeyCurrentUser, "Software\\Tool", "Count", 7);
    fake::addFolder("C:\\B");
    plat::HKey k = 0;
    ASSERT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, "Software\\Tool", plat::kKeyRead, k), plat::kOk);

    fake::setPrivilegeHeld("SeBackupPrivilege", false);
    plat::Handle token = 0;
    std::uint64_t luid = 0;
    plat::Error last = plat::kOk;
    ASSERT_EQ(plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token), plat::kOk);
    ASSERT_EQ(plat::lookupPrivilegeValue("SeBackupPrivilege", luid), plat::kOk);
    EXPECT_TRUE(plat::adjustTokenPrivilege(token, luid, true, last));
    EXPECT_EQ(last, plat::kErrNotAllAssigned);
    EXPECT_FALSE(fake::privilegeEnabled("SeBackupPrivilege"));
    EXPECT_EQ(plat::regSaveKey(k, "C:\\B\\tool.TW"), plat::kErrPrivilegeNotHeld);

    fake::setPrivilegeHeld("SeBackupPrivilege", true);
    EXPECT_TRUE(plat::adjustTokenPrivilege(token, luid, true, last));
    EXPECT_EQ(last, plat::kOk);
    fake::setFault("C:\\B\\fails.TW", fake::Fault::SaveFails);
    EXPECT_EQ(plat::regSaveKey(k, "C:\\B\\fails.TW"), plat::kErrAccessDenied);
    EXPECT_FALSE(fake::exists("C:\\B\\fails.TW"));
    ASSERT_EQ(plat::regSaveKey(k, "C:\\B\\tool.TW"), plat::kOk);
    EXPECT_TRUE(plat::adjustTokenPrivilege(token, luid, false, last));
    EXPECT_EQ(fake::privilegeLog(), (std::vector<std::string>{"+SeBackupPrivilege", "-SeBackupPrivilege"}));
    EXPECT_EQ(plat::closeHandle(token), plat::kOk);
    EXPECT_EQ(fake::openHandleCount(), 0);
    plat::regCloseKey(k);

    // Restore into a key that has since been removed, with a subkey handle open.
    const std::string before = fake::registryDump();
    fake::setString(plat::kHKeyCurrentUser, "Software\\Tool\\Other", "x", "y");
    plat::HKey target = 0, other = 0;
    ASSERT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, "Software\\Tool", plat::kKeyAllAccess, target), plat::kOk);
    ASSERT_EQ(plat::regOpenKey(target, "Other", plat::kKeyRead, other), plat::kOk);
    ASSERT_EQ(plat::openProcessToken(plat::kTokenAdjustPrivileges, token), plat::kOk);
    ASSERT_EQ(plat::lookupPrivilegeValue("SeRestorePrivilege", luid), plat::kOk);
    ASSERT_TRUE(plat::adjustTokenPrivilege(token, luid, true, last));
    EXPECT_EQ(plat::regRestoreKey(target, "C:\\B\\tool.TW", 0), plat::kErrAccessDenied);  // a subkey is open
    plat::regCloseKey(other);
    EXPECT_EQ(plat::regRestoreKey(target, "C:\\B\\tool.TW", 0), plat::kOk);
    EXPECT_EQ(fake::registryDump(), before);
    plat::regCloseKey(target);
    plat::closeHandle(token);
}

TEST_F(FakeMachine, ShutdownNeedsTheShutdownPrivilegeEnabled) {
    EXPECT_FALSE(plat::initiateSystemShutdown(true, true));
    plat::Handle token = 0;
    std::uint64_t luid = 0;
    plat::Error last = plat::kOk;
    ASSERT_EQ(plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token), plat::kOk);
    ASSERT_EQ(plat::lookupPrivilegeValue("SeShutdownPrivilege", luid), plat::kOk);
    ASSERT_TRUE(plat::adjustTokenPrivilege(token, luid, true, last));
    EXPECT_TRUE(plat::initiateSystemShutdown(true, true));
    EXPECT_EQ(fake::shutdownRequests(), 2);
    plat::closeHandle(token);
    // A token opened without the adjust right cannot change privileges.
    ASSERT_EQ(plat::openProcessToken(plat::kTokenQuery, token), plat::kOk);
    EXPECT_FALSE(plat::adjustTokenPrivilege(token, luid, false, last));
    EXPECT_EQ(last, plat::kErrAccessDenied);
    plat::closeHandle(token);
}

TEST_F(FakeMachine, MessageBoxesAreAnsweredFromTheQueueThenWithOk) {
    fake::queueMessageBoxAnswer(plat::kIdCancel);
    EXPECT_EQ(plat::messageBox(L"Are you sure you want to continue?", L"Warning", plat::kMbOkCancel), plat::kIdCancel);
    EXPECT_EQ(plat::messageBoxA("Do you want to reboot?", "Reboot", plat::kMbOkCancel), plat::kIdOk);
    auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"Do you want to reboot?");
    EXPECT_EQ(boxes[1].caption, L"Reboot");
    EXPECT_EQ(boxes[0].flags, plat::kMbOkCancel);
    EXPECT_GT(plat::shellOpen(0, "C:\\Tools\\Tidewell\\Help.chm", 1), 32);
    ASSERT_EQ(fake::shellOpens().size(), 1u);
    EXPECT_EQ(fake::shellOpens()[0].first, "C:\\Tools\\Tidewell\\Help.chm");
}

TEST_F(FakeMachine, WindowsAndRemoteMemoryOfAnotherProcess) {
    const std::uint32_t pid = 1234;
    fake::registerProcess(pid);
    plat::HWnd progman = fake::registerWindow({L"Progman", L"Program Manager", 0, pid, 0});
    plat::HWnd view = fake::registerWindow({L"SHELLDLL_DefView", L"", progman, pid, 0});
    std::uint32_t seenMsg = 0;
    plat::HWnd list = fake::registerWindow(
        {L"SysListView32", L"FolderView", view, pid, 0x100},
        [&](std::uint32_t msg, std::uintptr_t, std::intptr_t lParam, bool) -> std::intptr_t {
            seenMsg = msg;
            char text[6] = "Trash";
            return fake::writeRemote(pid, static_cast<std::uintptr_t>(lParam), text, sizeof text) ? 5 : -1;
        });

    EXPECT_EQ(plat::findWindow(L"progman", nullptr), progman);
    EXPECT_EQ(plat::findWindowEx(progman, 0, nullptr, nullptr), view);
    EXPECT_EQ(plat::findWindowEx(view, 0, nullptr, nullptr), list);
    EXPECT_EQ(plat::findWindowEx(view, list, nullptr, nullptr), 0u);
    EXPECT_EQ(plat::getParent(list), view);
    std::uint32_t owner = 0;
    EXPECT_NE(plat::getWindowThreadProcessId(list, owner), 0u);
    EXPECT_EQ(owner, pid);

    plat::Handle process = 0;
    EXPECT_EQ(plat::openProcess(plat::kProcessAllAccessLegacy, 999, process), plat::kErrInvalidParameter);
    ASSERT_EQ(plat::openProcess(plat::kProcessAllAccessLegacy, pid, process), plat::kOk);
    std::uintptr_t remote = 0;
    ASSERT_EQ(plat::virtualAllocEx(process, 4095, plat::kMemCommit, plat::kPageExecuteReadWrite, remote), plat::kOk);
    EXPECT_EQ(plat::sendMessageA(list, 0x102D, 0, static_cast<std::intptr_t>(remote)), 5);
    EXPECT_EQ(seenMsg, 0x102Du);
    char back[6] = {};
    std::size_t n = 0;
    ASSERT_EQ(plat::readProcessMemory(process, remote, back, sizeof back, n), plat::kOk);
    EXPECT_EQ(n, sizeof back);
    EXPECT_STREQ(back, "Trash");
    EXPECT_NE(plat::readProcessMemory(process, remote + 4000, back, 200, n), plat::kOk);  // past the block
    EXPECT_EQ(fake::remoteAllocationCount(), 1);
    EXPECT_NE(plat::virtualFreeEx(process, remote, 4095, plat::kMemRelease), plat::kOk);  // size must be 0
    EXPECT_EQ(plat::virtualFreeEx(process, remote, 0, plat::kMemRelease), plat::kOk);
    EXPECT_EQ(fake::remoteAllocationCount(), 0);
    EXPECT_EQ(plat::closeHandle(process), plat::kOk);
    EXPECT_EQ(fake::openHandleCount(), 0);
}

}  // namespace
