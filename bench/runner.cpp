// Times full seven-target cleaning runs of Tidewell.exe on the synthetic
// machine against the bare Win32 floor (tw_bench_bare), with backup off and
// on, at two machine sizes, and reads Tidewell's peak working set.
//
//   tw_bench_run <Tidewell.exe> <scratch folder> [repeats]
//
// The seeding program and the bare program are looked for beside this one.
// The synthetic files go into the system folders of the machine it runs on
// (SYSTEMROOT): Wine sets SystemRoot afresh in every process it starts, so a
// scratch Windows folder cannot be handed to the measured processes. Run it
// in a Wine prefix of its own (scripts/bench.sh does), never on a real
// Windows. The files (all named "*_bench_*") and the service keys below the
// real HKLM control sets are removed at the end; <scratch> holds the program
// folder. Every measurement runs on a freshly re-seeded machine; the median
// of the repeats is reported. Exit code 0 when every run did its work.
#include "bench_common.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// Runs a command to its end; times it from start to exit and reads the peak
// working set after the exit, before the handle is closed.
Outcome run(const std::string& commandLine, const std::string& folder) {
    Outcome o;
    std::wstring cmd = widen(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const std::wstring dir = widen(folder);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "cannot start: %s\n", commandLine.c_str());
        return o;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    // The peak is read while the process runs too: Wine may have dropped the
    // counters of a process that has ended.
    auto readPeak = [&] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
            o.peakWorkingSet = std::max(o.peakWorkingSet, counters.PeakWorkingSetSize);
    };
    DWORD waited = WAIT_TIMEOUT;
    for (int i = 0; i < 6000 && waited == WAIT_TIMEOUT; ++i) {
        readPeak();
        waited = WaitForSingleObject(process.get(), 100);
    }
    QueryPerformanceCounter(&end);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 3);
        std::fprintf(stderr, "no end within ten minutes: %s\n", commandLine.c_str());
        return o;
    }
    o.seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    GetExitCodeProcess(process.get(), &o.exitCode);
    readPeak();
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

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class Bench {
public:
    Bench(std::string tidewell, std::string scratch)
        : tidewell_(std::move(tidewell)), scratch_(std::move(scratch)), tools_(ownFolder()) {}

    bool prepare() {
        CreateDirectoryA(scratch_.c_str(), nullptr);
        program_ = scratch_ + "\\prog";
        CreateDirectoryA(program_.c_str(), nullptr);
        if (!CopyFileA(tidewell_.c_str(), (program_ + "\\Tidewell.exe").c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy %s\n", tidewell_.c_str());
            return false;
        }
        return true;
    }

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

    // One measured run: "tidewell" with backup on or off, "bare", or "startup"
    // (Tidewell with -QUIT only). False when the run did not do its work.
    bool measure(const std::string& what, int files, bool backup) {
        if (!seed(files)) {
            std::fprintf(stderr, "seeding failed\n");
            return false;
        }
        const std::string system = windows_ + "\\System32\\";
        Outcome o;
        if (what == "bare") {
            o = run("\"" + tools_ + "tw_bench_bare.exe\"", "");
        } else {
            removeTree(program_ + "\\Logs");
            removeTree(program_ + "\\Backup");
            writeText(program_ + "\\Tidewell.ini",
                      "[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=0\r\n[Logfiles]\r\nEnabled=1\r\n"
                      "[Backup]\r\nEnabled=" +
                          std::string(backup ? "1" : "0") + "\r\n");
            const std::string args = what == "startup"
                                         ? " -QUIT"
                                         : " -NVIDIA -NVIDIACHIPSET -ATI -CREATIVE -REALTEK -MMOUSE -AGEIA -QUIT";
            o = run("\"" + program_ + "\\Tidewell.exe\"" + args, program_);
        }
        const int left = countFiles(system + "*_bench_*"), leftDrivers = countFiles(system + "drivers\\*_bench_*");
        const bool cleaned = left == files - files / 10 && leftDrivers == files / 10 - files / 100;
        const bool ok = o.exitCode == 0 && (what == "startup" ? left == files : cleaned);
        if (!ok)
            std::fprintf(stderr, "%s at %d files: exit code %lu, %d system and %d driver files left\n", what.c_str(),
                         files, o.exitCode, left, leftDrivers);
        const std::string key = what + (backup ? "+backup" : "") + "@" + std::to_string(files);
        seconds_[key].push_back(o.seconds);
        peak_[key] = std::max(peak_[key], o.peakWorkingSet);
        return ok;
    }

    double time(const std::string& key) const {
        auto it = seconds_.find(key);
        return it == seconds_.end() ? -1 : median(it->second);
    }
    double peakMegabytes(const std::string& key) const {
        auto it = peak_.find(key);
        return it == peak_.end() ? 0 : static_cast<double>(it->second) / (1024.0 * 1024.0);
    }

private:
    std::string tidewell_, scratch_, tools_, program_, windows_ = envVar("SYSTEMROOT");
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, SIZE_T> peak_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <Tidewell.exe> <scratch folder> [repeats]\n", argv[0]);
        return 1;
    }
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    Bench bench(argv[1], argv[2]);
    if (!bench.prepare()) return 2;
    bool ok = true;
    for (int size : kSizes) {
        std::printf("machine of %d system files: seeding and %d rounds\n", size, repeats);
        std::fflush(stdout);
        // A first run after seeding pays for filling the caches: not counted.
        bench.measure("warm-up", size, false);
        for (int r = 0; r < repeats; ++r) {
            ok = bench.measure("startup", size, false) && ok;
            ok = bench.measure("tidewell", size, false) && ok;
            ok = bench.measure("bare", size, false) && ok;
            ok = bench.measure("tidewell", size, true) && ok;
        }
    }
    bench.unseed();

    std::printf("\n%-8s %12s %12s %12s %12s\n", "files", "startup s", "Tidewell s", "bare s", "+backup s");
    for (int size : kSizes) {
        const std::string at = "@" + std::to_string(size);
        std::printf("%-8d %12.3f %12.3f %12.3f %12.3f\n", size, bench.time("startup" + at), bench.time("tidewell" + at),
                    bench.time("bare" + at), bench.time("tidewell+backup" + at));
    }
    const std::string big = "@20000", small = "@2000";
    const double startup = bench.time("startup" + big);
    std::printf("\nTidewell/bare, backup off, 20000 files:        %.2f (goal at most 1.2)\n",
                bench.time("tidewell" + big) / bench.time("bare" + big));
    std::printf("Tidewell/bare, backup off, start-up taken off: %.2f\n",
                (bench.time("tidewell" + big) - startup) / bench.time("bare" + big));
    std::printf("Tidewell/bare, backup on, 20000 files:         %.2f\n",
                bench.time("tidewell+backup" + big) / bench.time("bare" + big));
    std::printf("growth 2000 -> 20000 files, Tidewell:          %.2f (start-up taken off: %.2f)\n",
                bench.time("tidewell" + big) / bench.time("tidewell" + small),
                (bench.time("tidewell" + big) - startup) /
                    (bench.time("tidewell" + small) - bench.time("startup" + small)));
    std::printf("growth 2000 -> 20000 files, bare:              %.2f\n",
                bench.time("bare" + big) / bench.time("bare" + small));
    std::printf("peak working set of Tidewell.exe: %.1f MB backup off, %.1f MB backup on, %.1f MB start-up only\n",
                bench.peakMegabytes("tidewell" + big), bench.peakMegabytes("tidewell+backup" + big),
                bench.peakMegabytes("startup" + big));
    if (!ok) std::printf("\nsome runs did not do their work: see the messages above\n");
    return ok ? 0 : 2;
}
