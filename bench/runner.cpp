// Measures Tidewell.exe side by side with programs that do only the
// unavoidable work, in rounds that alternate between the two:
//  - start-up: process start to a visible main window that waits for input,
//    against a bare window of the same size (tw_bench_barewindow), and the
//    peak working set of both at rest;
//  - full seven-target cleaning runs on the synthetic machine against the bare
//    Win32 calls (tw_bench_bare), with backup off and on, at two machine sizes;
//    with backup on, also against the bare calls that copy each file (and
//    save each key) into a backup folder before deleting it.
// Every figure gives the minimum and the median of the rounds.
//
//   tw_bench_run <Tidewell.exe> <scratch folder> [rounds] [startup [other.exe...]]
//
// "startup" measures only the start-up and the working set; further programs
// named after it are measured in the same rounds as variants of Tidewell.exe
// (to compare two builds side by side).
//
// The seeding program and the bare program are looked for beside this one.
// The synthetic files go into the system folders of the machine it runs on
// (SYSTEMROOT): Wine sets SystemRoot afresh in every process it starts, so a
// scratch Windows folder cannot be handed to the measured processes. Run it
// in a Wine prefix of its own (scripts/bench.sh does), never on a real
// Windows. The files (all named "*_bench_*") and the service keys below the
// real HKLM control sets are removed at the end; <scratch> holds the program
// folder. Every run measurement runs on a freshly re-seeded machine. Exit
// code 0 when every run did its work.
#include "bench_common.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

using namespace twbench;

const int kSizes[] = {2000, 20000};

struct Outcome {
    double seconds = -1;
    DWORD exitCode = 1;
    SIZE_T peakWorkingSet = 0;
};

std::wstring widen(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size()));
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

std::string ownFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\') + 1);
}

double elapsed(const LARGE_INTEGER& from) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool start(const std::string& commandLine, const std::string& folder, PROCESS_INFORMATION& pi) {
    std::wstring cmd = widen(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    const std::wstring dir = widen(folder);
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : dir.c_str(), &si, &pi))
        return true;
    std::fprintf(stderr, "cannot start: %s\n", commandLine.c_str());
    return false;
}

SIZE_T peakOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

// Runs a command to its end; times it from start to exit and reads the peak
// working set after the exit, before the handle is closed.
Outcome run(const std::string& commandLine, const std::string& folder) {
    Outcome o;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!start(commandLine, folder, pi)) return o;
    Handle process(pi.hProcess), thread(pi.hThread);
    // The peak is read while the process runs too: Wine may have dropped the
    // counters of a process that has ended.
    DWORD waited = WAIT_TIMEOUT;
    for (int i = 0; i < 6000 && waited == WAIT_TIMEOUT; ++i) {
        o.peakWorkingSet = std::max(o.peakWorkingSet, peakOf(process.get()));
        waited = WaitForSingleObject(process.get(), 100);
    }
    const double seconds = elapsed(begin);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 3);
        std::fprintf(stderr, "no end within ten minutes: %s\n", commandLine.c_str());
        return o;
    }
    o.seconds = seconds;
    GetExitCodeProcess(process.get(), &o.exitCode);
    o.peakWorkingSet = std::max(o.peakWorkingSet, peakOf(process.get()));
    return o;
}

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;  // nullptr: any
    bool visibleOnly;
    HWND found;
};

HWND topLevelWindow(DWORD pid, const wchar_t* className, bool visibleOnly) {
    WindowQuery q{pid, className, visibleOnly, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& q = *reinterpret_cast<WindowQuery*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != q.pid || (q.visibleOnly && !IsWindowVisible(w)) || GetWindow(w, GW_OWNER)) return TRUE;
            if (q.className) {
                wchar_t name[64] = {};
                GetClassNameW(w, name, 64);
                if (std::wcscmp(name, q.className) != 0) return TRUE;
            }
            q.found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&q));
    return q.found;
}

// Tidewell has applied its language once the main window's "Select" label
// (IDC_LABEL_SELECT) shows the text of the language of the settings the
// start-up rounds write (German): the show handler sets it.
bool languageApplied(HWND main) {
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(main, 1001), text, 64);
    return text[0] != L'\0' && std::wcscmp(text, L"Select") != 0;
}

// Starts a windowed program and times it to a visible main window waiting
// for input (WaitForInputIdle); the peak working set is read at that rest.
// Then asks the window to close and waits for the end.
Outcome startUp(const std::string& commandLine, const std::string& folder, bool tidewell) {
    Outcome o;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!start(commandLine, folder, pi)) return o;
    Handle process(pi.hProcess), thread(pi.hThread);
    HWND window = nullptr;
    bool idle = WaitForInputIdle(process.get(), 60000) == 0;
    for (int i = 0; idle && i < 60000 && !(window = topLevelWindow(pi.dwProcessId, nullptr, true)); ++i) Sleep(1);
    const double seconds = elapsed(begin);
    if (window && idle) {
        o.seconds = seconds;
        o.exitCode = tidewell && !languageApplied(window) ? 4 : 0;
        if (o.exitCode) std::fprintf(stderr, "idle before the language was applied: %s\n", commandLine.c_str());
        o.peakWorkingSet = peakOf(process.get());
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 3);
        std::fprintf(stderr, "no idle window or no end: %s\n", commandLine.c_str());
        o.exitCode = 3;
    }
    return o;
}

int countFiles(const std::string& pattern) {
    WIN32_FIND_DATAA fd;
    Find find(FindFirstFileA(pattern.c_str(), &fd));
    int n = 0;
    if (find.valid())
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
        } while (FindNextFileA(find.get(), &fd));
    return n;
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    {
        Find find(FindFirstFileA((folder + "\\*").c_str(), &fd));
        if (find.valid())
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(folder + "\\" + name);
                else
                    DeleteFileA((folder + "\\" + name).c_str());
            } while (FindNextFileA(find.get(), &fd));
    }
    RemoveDirectoryA(folder.c_str());
}

bool writeText(const std::string& path, const std::string& text) {
    Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return h && WriteFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

struct Figure {
    double min = -1, median = -1;
};

Figure figureOf(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x < 0; }), v.end());
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

class Bench {
public:
    Bench(std::string tidewell, std::string scratch)
        : tidewell_(std::move(tidewell)), scratch_(std::move(scratch)), tools_(ownFolder()) {}

    // Copies a build of Tidewell.exe, with the language file beside it when
    // there is one, into a program folder of its own.
    bool prepare(const std::string& exe, const std::string& name) {
        CreateDirectoryA(scratch_.c_str(), nullptr);
        const std::string folder = scratch_ + "\\" + name;
        CreateDirectoryA(folder.c_str(), nullptr);
        if (!CopyFileA(exe.c_str(), (folder + "\\Tidewell.exe").c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy %s\n", exe.c_str());
            return false;
        }
        const std::string languages = exe.substr(0, exe.find_last_of('\\') + 1) + "Languages.ini";
        CopyFileA(languages.c_str(), (folder + "\\Languages.ini").c_str(), FALSE);
        folders_[name] = folder;
        return true;
    }
    bool prepare() { return prepare(tidewell_, "prog"); }

    // Puts back what a run deleted (the first time: builds the machine).
    bool seed(int files) {
        const std::string seeder = "\"" + tools_ + "tw_bench_seed.exe\" ";
        return run(seeder + "files \"" + windows_ + "\" " + std::to_string(files), "").exitCode == 0 &&
               run(seeder + "registry", "").exitCode == 0;
    }
    void unseed() {
        const std::string seeder = "\"" + tools_ + "tw_bench_seed.exe\" ";
        run(seeder + "unfiles \"" + windows_ + "\"", "");
        run(seeder + "unregistry", "");
    }

    // language: the settings' current language, none for the default.
    void writeSettings(const std::string& folder, bool backup, const char* language = nullptr) {
        removeTree(folder + "\\Logs");
        removeTree(folder + "\\Backup");
        writeText(folder + "\\Tidewell.ini",
                  "[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=0\r\n[Logfiles]\r\nEnabled=1\r\n"
                  "[Backup]\r\nEnabled=" +
                      std::string(backup ? "1" : "0") + "\r\n" +
                      (language ? "[Languages]\r\nCurrent=" + std::string(language) + "\r\n" : ""));
    }

    // One start-up to a visible, idle window: "barewindow" or a prepared
    // program folder's Tidewell.exe (no arguments).
    bool measureStartUp(const std::string& what) {
        Outcome o;
        if (what == "barewindow") {
            o = startUp("\"" + tools_ + "tw_bench_barewindow.exe\"", "", false);
        } else {
            const std::string folder = folders_[what];
            // German: the show handler's texts differ from those the
            // window is made with, so the runner can tell they were applied.
            writeSettings(folder, false, "Deutsch");
            // Variants are other builds (or other programs) measured alongside.
            o = startUp("\"" + folder + "\\Tidewell.exe\"", folder, what == "prog");
        }
        record("idle " + what, o);
        return o.exitCode == 0;
    }

    // One measured run: "tidewell" or "bare" with backup on or off, or "quit"
    // (Tidewell with -QUIT only: start-up and exit). False when the run did
    // not do its work.
    bool measure(const std::string& what, int files, bool backup) {
        if (!seed(files)) {
            std::fprintf(stderr, "seeding failed\n");
            return false;
        }
        const std::string system = windows_ + "\\System32\\";
        Outcome o;
        if (what == "bare") {
            const std::string copies = scratch_ + "\\barebackup";
            removeTree(copies);
            o = run("\"" + tools_ + "tw_bench_bare.exe\"" + (backup ? " backup \"" + copies + "\"" : ""), "");
        } else {
            const std::string folder = folders_["prog"];
            writeSettings(folder, backup);
            const std::string args = what == "quit"
                                         ? " -QUIT"
                                         : " -NVIDIA -NVIDIACHIPSET -ATI -CREATIVE -REALTEK -MMOUSE -AGEIA -QUIT";
            o = run("\"" + folder + "\\Tidewell.exe\"" + args, folder);
        }
        const int left = countFiles(system + "*_bench_*"), leftDrivers = countFiles(system + "drivers\\*_bench_*");
        const bool cleaned = left == files - files / 10 && leftDrivers == files / 10 - files / 100;
        const bool ok = o.exitCode == 0 && (what == "quit" ? left == files : cleaned);
        if (!ok)
            std::fprintf(stderr, "%s at %d files: exit code %lu, %d system and %d driver files left\n", what.c_str(),
                         files, o.exitCode, left, leftDrivers);
        record(what + (backup ? "+backup" : "") + "@" + std::to_string(files), o);
        return ok;
    }

    Figure time(const std::string& key) const { return figureOf(seconds(key)); }
    Figure peakMegabytes(const std::string& key) const {
        auto it = peaks_.find(key);
        return it == peaks_.end() ? Figure{} : figureOf(it->second);
    }
    // The figure of a minus b, round by round (both measured in the same rounds).
    Figure difference(const std::string& a, const std::string& b) const {
        const std::vector<double> x = seconds(a), y = seconds(b);
        std::vector<double> d;
        for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
            if (x[i] >= 0 && y[i] >= 0) d.push_back(x[i] - y[i]);
        return figureOf(d);
    }

private:
    void record(const std::string& key, const Outcome& o) {
        seconds_[key].push_back(o.exitCode == 0 ? o.seconds : -1);
        if (o.peakWorkingSet) peaks_[key].push_back(static_cast<double>(o.peakWorkingSet) / (1024.0 * 1024.0));
    }
    std::vector<double> seconds(const std::string& key) const {
        auto it = seconds_.find(key);
        return it == seconds_.end() ? std::vector<double>{} : it->second;
    }

    std::string tidewell_, scratch_, tools_, windows_ = envVar("SYSTEMROOT");
    std::map<std::string, std::string> folders_;
    std::map<std::string, std::vector<double>> seconds_, peaks_;
};

void printFigure(const char* label, Figure f, const char* unit) {
    std::printf("  %-44s min %8.3f  median %8.3f %s\n", label, f.min, f.median, unit);
}

void printRatio(const char* label, Figure a, Figure b, const char* goal) {
    std::printf("  %-44s min %8.2f  median %8.2f   %s\n", label, a.min / b.min, a.median / b.median, goal);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <Tidewell.exe> <scratch folder> [rounds] [startup [other.exe...]]\n",
                     argv[0]);
        return 1;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const bool startupOnly = argc > 4 && std::strcmp(argv[4], "startup") == 0;
    Bench bench(argv[1], argv[2]);
    if (!bench.prepare()) return 2;
    std::vector<std::string> variants = {"prog"};
    for (int i = 5; startupOnly && i < argc; ++i) {
        variants.push_back("variant" + std::to_string(i - 4));
        if (!bench.prepare(argv[i], variants.back())) return 2;
    }
    bool ok = true;

    std::printf("start-up to a visible, idle window: %d rounds\n", rounds);
    std::fflush(stdout);
    bench.measureStartUp("barewindow");  // warm-up, not counted
    for (const std::string& v : variants) bench.measureStartUp(v);
    for (int r = 0; r < rounds; ++r) {
        ok = bench.measureStartUp("barewindow") && ok;
        for (const std::string& v : variants) ok = bench.measureStartUp(v) && ok;
    }
    if (!startupOnly) {
        // A run that was interrupted leaves its larger machine behind, and
        // seeding only adds: start from nothing.
        bench.unseed();
        for (int size : kSizes) {
            std::printf("machine of %d system files: seeding and %d rounds\n", size, rounds);
            std::fflush(stdout);
            // A first run after seeding pays for filling the caches: not counted.
            bench.measure("warm-up", size, false);
            for (int r = 0; r < rounds; ++r) {
                ok = bench.measure("quit", size, false) && ok;
                ok = bench.measure("tidewell", size, false) && ok;
                ok = bench.measure("bare", size, false) && ok;
                ok = bench.measure("tidewell", size, true) && ok;
                ok = bench.measure("bare", size, true) && ok;
            }
        }
        bench.unseed();
    }

    std::printf("\nstart-up, process start to a visible, idle main window (%d rounds)\n", rounds);
    printFigure("bare window of the same size", bench.time("idle barewindow"), "s");
    for (const std::string& v : variants) {
        printFigure(("Tidewell.exe " + v).c_str(), bench.time("idle " + v), "s");
        printRatio(("Tidewell/bare window, " + v).c_str(), bench.time("idle " + v), bench.time("idle barewindow"),
                   "goal at most 1.5");
    }
    std::printf("\npeak working set at rest\n");
    printFigure("bare window of the same size", bench.peakMegabytes("idle barewindow"), "MB");
    for (const std::string& v : variants) {
        printFigure(("Tidewell.exe " + v).c_str(), bench.peakMegabytes("idle " + v), "MB");
        printRatio(("Tidewell/bare window, " + v).c_str(), bench.peakMegabytes("idle " + v),
                   bench.peakMegabytes("idle barewindow"), "goal at most 1.15");
    }
    if (!startupOnly) {
        // A run that was interrupted leaves its larger machine behind, and
        // seeding only adds: start from nothing.
        bench.unseed();
        for (int size : kSizes) {
            const std::string at = "@" + std::to_string(size);
            std::printf("\nseven-target run, %d system files (%d rounds)\n", size, rounds);
            printFigure("bare Win32 calls", bench.time("bare" + at), "s");
            printFigure("Tidewell, backup off", bench.time("tidewell" + at), "s");
            printFigure("Tidewell -QUIT alone (start-up and exit)", bench.time("quit" + at), "s");
            printFigure("Tidewell, backup off, start-up taken off", bench.difference("tidewell" + at, "quit" + at),
                        "s");
            printFigure("bare Win32 calls copying first (backup on)", bench.time("bare+backup" + at), "s");
            printFigure("Tidewell, backup on", bench.time("tidewell+backup" + at), "s");
            printFigure("Tidewell, backup on, start-up taken off",
                        bench.difference("tidewell+backup" + at, "quit" + at), "s");
            printRatio("Tidewell/bare, backup off", bench.time("tidewell" + at), bench.time("bare" + at),
                       "goal at most 1.3");
            printRatio("Tidewell/bare, start-up taken off", bench.difference("tidewell" + at, "quit" + at),
                       bench.time("bare" + at), "goal at most 1.2");
            printRatio("Tidewell/bare copying, backup on", bench.time("tidewell+backup" + at),
                       bench.time("bare+backup" + at), "goal at most 1.3");
            printRatio("Tidewell/bare copying, start-up taken off",
                       bench.difference("tidewell+backup" + at, "quit" + at), bench.time("bare+backup" + at), "");
            printRatio("Tidewell backup on/bare, no copies", bench.time("tidewell+backup" + at),
                       bench.time("bare" + at), "");
        }
        std::printf("\ngrowth from 2000 to 20000 files\n");
        printRatio("Tidewell, backup off", bench.time("tidewell@20000"), bench.time("tidewell@2000"), "");
        printRatio("Tidewell, start-up taken off", bench.difference("tidewell@20000", "quit@20000"),
                   bench.difference("tidewell@2000", "quit@2000"), "");
        printRatio("bare Win32 calls", bench.time("bare@20000"), bench.time("bare@2000"), "");
        std::printf("\npeak working set during the run, 20000 files\n");
        printFigure("Tidewell, backup off", bench.peakMegabytes("tidewell@20000"), "MB");
        printFigure("Tidewell, backup on", bench.peakMegabytes("tidewell+backup@20000"), "MB");
    }
    if (!ok) std::printf("\nsome runs did not do their work: see the messages above\n");
    return ok ? 0 : 2;
}
