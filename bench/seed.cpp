// Builds the benchmark's synthetic machine, or takes its registry part away.
//
//   tw_bench_seed files <windows folder> <n>
//       <windows folder>\System32 gets n files, a tenth of them leftovers
//       that the targets' patterns match; System32\drivers gets n/10 files,
//       a tenth of them leftovers. Every name holds "_bench_". Files already
//       there are kept, so seeding again after a run only puts back what the
//       run deleted, and a larger n adds to a smaller one.
//   tw_bench_seed unfiles <windows folder>
//       Removes every "*_bench_*" file that "files" made.
//   tw_bench_seed registry
//       Below HKLM\System\ControlSet001..004 and CurrentControlSet\Services:
//       1,000 bystander services each, plus the services the targets remove.
//   tw_bench_seed unregistry
//       Removes what "registry" made (and ControlSet001..004 when empty).
// Exit code 0 on success, 1 on bad arguments, 2 when something could not be made.
#include "bench_common.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace twbench;

bool makeFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Creates a file unless it exists; false when it can be neither made nor found.
bool seedFile(const std::string& path) {
    Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return GetLastError() == ERROR_FILE_EXISTS;
    static const char text[] = "synthetic driver file for the Tidewell benchmark\r\n";
    DWORD written = 0;
    return WriteFile(h.get(), text, sizeof text - 1, &written, nullptr) && written == sizeof text - 1;
}

// n files in folder: every tenth a leftover named after one of the stems.
int seedFolder(const std::string& folder, int n, const std::vector<std::string>& stems, const char* other,
               const char* ext) {
    int failed = 0;
    char name[96];
    for (int i = 0; i < n; ++i) {
        if (i % 10 == 0)
            std::snprintf(name, sizeof name, "%s_bench_%05d%s", stems[(i / 10) % stems.size()].c_str(), i, ext);
        else
            std::snprintf(name, sizeof name, "%s_%05d%s", other, i, ext);
        if (!seedFile(folder + name)) ++failed;
    }
    return failed;
}

int seedFiles(const std::string& windows, int n) {
    const std::string w = windows.back() == '\\' ? windows : windows + "\\";
    for (const std::string& f : {w, w + "System32\\", w + "System32\\drivers\\"})
        if (!makeFolder(f)) {
            std::fprintf(stderr, "cannot make %s\n", f.c_str());
            return 2;
        }
    int failed = seedFolder(w + "System32\\", n, systemLeftoverStems(), "zz_bench", ".dll");
    failed += seedFolder(w + "System32\\drivers\\", n / 10, driverLeftoverStems(), "zz_bench_drv", ".sys");
    if (failed != 0) std::fprintf(stderr, "%d files could not be made\n", failed);
    return failed == 0 ? 0 : 2;
}

int unseedFiles(const std::string& windows) {
    const std::string w = windows.back() == '\\' ? windows : windows + "\\";
    for (const std::string& folder : {w + "System32\\", w + "System32\\drivers\\"}) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        {
            Find find(FindFirstFileA((folder + "*_bench_*").c_str(), &fd));
            if (find.valid())
                do {
                    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
                } while (FindNextFileA(find.get(), &fd));
        }
        for (const std::string& n : names) DeleteFileA((folder + n).c_str());
    }
    return 0;
}

bool createKey(const std::string& path) {
    Key k;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr) ==
           ERROR_SUCCESS;
}

std::string bystander(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04d", kBystanderServicePrefix, i);
    return name;
}

int seedRegistry() {
    int failed = 0;
    for (const std::string& set : controlSets()) {
        for (int i = 0; i < kBystanderServices; ++i)
            if (!createKey(set + "\\Services\\" + bystander(i))) ++failed;
        for (const std::string& s : serviceLeftovers())
            if (!createKey(set + "\\Services\\" + s + "\\Enum")) ++failed;
    }
    if (failed != 0) std::fprintf(stderr, "%d keys could not be made\n", failed);
    return failed == 0 ? 0 : 2;
}

int unseedRegistry() {
    for (const std::string& set : controlSets()) {
        for (int i = 0; i < kBystanderServices; ++i)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (set + "\\Services\\" + bystander(i)).c_str());
        for (const std::string& s : serviceLeftovers()) {
            const std::string key = set + "\\Services\\" + s;
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
        }
        if (set != "System\\CurrentControlSet") {
            // Only the sets the seeding made: they are empty again now.
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (set + "\\Services").c_str());
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, set.c_str());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "files" && argc == 4) return seedFiles(argv[2], std::atoi(argv[3]));
    if (mode == "unfiles" && argc == 3) return unseedFiles(argv[2]);
    if (mode == "registry" && argc == 2) return seedRegistry();
    if (mode == "unregistry" && argc == 2) return unseedRegistry();
    std::fprintf(stderr, "usage: %s files <windows folder> <n> | unfiles <windows folder> | registry | unregistry\n", argv[0]);
    return 1;
}
