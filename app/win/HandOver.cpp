#include "app/win/HandOver.h"

#include <windows.h>

#include <string>

#include "app/Bitness.h"
#include "app/TWUnit.h"
#include "log/LogUnit.h"
#include "options/Language.h"
#include "platform/platform.h"
#include "ui/CommandLine.h"
#include "ui/Handles.h"

namespace twui {

namespace {

const wchar_t* const kWhyNot64 =
    L" On 64-bit Windows the 32-bit Tidewell cannot reach the 64-bit system folders and registry, so it "
    L"does not clean.";

// Starts the program with the command line and the way this process was
// shown, and waits for it; ERROR_SUCCESS and its exit code, or the error.
DWORD StartAndWait(const std::wstring& program, std::wstring commandLine, DWORD& exitCode) {
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    const KernelHandle thread(process.hThread);
    const KernelHandle child(process.hProcess);
    // Messages are taken while waiting, so this process counts as idle and
    // the start-up cursor ends.
    HANDLE waited = child.get();
    while (MsgWaitForMultipleObjects(1, &waited, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return GetExitCodeProcess(child.get(), &exitCode) ? ERROR_SUCCESS : GetLastError();
}

int Refuse(const std::wstring& reason, const std::wstring& detail) {
    const tw::CommandLineRequest request = tw::ParseCommandLine(CommandLineArguments());
    if (!request.quit) {
        MessageBoxW(nullptr, (reason + L"\r\n\r\n" + detail).c_str(), L"Tidewell", MB_OK | MB_ICONERROR);
    } else {
        const std::wstring line = reason + L" (" + detail + L")";
        try {
            if (request.preview) {
                tw::SavePreviewLog({line});
            } else {
                tw::RunLog().append(line);
                tw::SaveLog();
            }
        } catch (...) {
        }
    }
    return tw::ExitCodeOf(tw::RunOutcome::Error);
}

}  // namespace

std::optional<int> HandOverTo64BitBuild() {
    // Only beside this program: without its own path, a bare "64.exe" would
    // be looked for in the current folder.
    const std::wstring self = plat::executablePath();
    const std::wstring sixtyFour = tw::SixtyFourBuildPathFor(self);
    const DWORD attributes = self.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(sixtyFour.c_str());
    const bool beside = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    switch (tw::ChooseStart(plat::isSelf64Bit(), plat::isSystem64Bit(), beside)) {
    case tw::StartChoice::RunHere:
        return std::nullopt;
    case tw::StartChoice::Refuse:
        return Refuse(tw::LanguageText(L"Missing 64-bit Build",
                                       std::wstring(L"The 64-bit build is missing.") + kWhyNot64 +
                                           L" Put Tidewell64.exe from the same download beside it and start again."),
                      sixtyFour);
    case tw::StartChoice::HandOver:
        break;
    }
    DWORD exitCode = 0;
    const DWORD error = StartAndWait(sixtyFour, tw::HandOverCommandLine(sixtyFour, GetCommandLineW()), exitCode);
    if (error == ERROR_SUCCESS) return static_cast<int>(exitCode);
    return Refuse(tw::LanguageText(L"64-bit Build Not Started",
                                   std::wstring(L"The 64-bit build could not be started.") + kWhyNot64),
                  sixtyFour + L": " + plat::errorText(error));
}

}  // namespace twui
