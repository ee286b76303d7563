// The floor of the benchmark: the Win32 calls a seven-target cleaning run
// makes (FindFirstFileA/FindNextFileA per pattern, DeleteFileA, RegOpenKeyExA,
// RegDeleteKeyA depth first, RegDeleteValueA, the adapter class walk), in the
// targets' order, with no log, no progress bar, no settings and no backup.
// The lists mirror the targets' constant lists; folders come from SYSTEMROOT
// and the other environment variables, as in the targets.
//
//   tw_bench_bare        exit code 0; prints the number of files and keys deleted
#include "bench_common.h"

#include <cstdio>

namespace {

using namespace twbench;
using List = std::vector<std::string>;

int filesDeleted = 0;
int keysDeleted = 0;

void deleteFiles(const std::string& folder, const List& patterns) {
    for (const std::string& pattern : patterns) {
        WIN32_FIND_DATAA fd;
        Find find(FindFirstFileA((folder + pattern).c_str(), &fd));
        if (!find.valid()) continue;
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            if (DeleteFileA((folder + name).c_str())) ++filesDeleted;
        } while (FindNextFileA(find.get(), &fd));
    }
}

bool deleteTree(HKEY parent, const std::string& name) {
    Key k;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, longest = 0;
    RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    for (DWORD i = subkeys; i-- > 0;) {
        std::string sub(longest + 1, '\0');
        DWORD size = longest + 1;
        if (RegEnumKeyExA(k.get(), i, sub.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            deleteTree(k.get(), sub.substr(0, size));
    }
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

void deleteKeys(HKEY root, const std::string& path, const List& names) {
    Key k;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return;
    for (const std::string& name : names) {
        Key probe;
        if (RegOpenKeyExA(k.get(), name.c_str(), 0, KEY_READ, probe.out()) != ERROR_SUCCESS) continue;
        if (deleteTree(k.get(), name)) ++keysDeleted;
    }
}

void deleteKeysInSets(const std::string& tail, const List& names) {
    for (const std::string& set : controlSets()) deleteKeys(HKEY_LOCAL_MACHINE, set + tail, names);
}

void deleteRunValues(const List& names) {
    Key k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      k.out()) != ERROR_SUCCESS)
        return;
    for (const std::string& name : names) RegDeleteValueA(k.get(), name.c_str());
}

void deleteAdaptersOf(const std::string& vendor) {
    for (const std::string& set : controlSets()) {
        const std::string path = set + "\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";
        Key k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) continue;
        List matching;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            char value[512];
            DWORD bytes = sizeof value;
            if (RegGetValueA(k.get(), name, "ProviderName", RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS &&
                std::string(value).rfind(vendor, 0) == 0)
                matching.push_back(name);
        }
        for (const std::string& n : matching)
            if (deleteTree(k.get(), n)) ++keysDeleted;
    }
}

void deleteFolder(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    {
        Find find(FindFirstFileA((folder + "*.*").c_str(), &fd));
        if (find.valid()) {
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    deleteFolder(folder + name + "\\");
                else if (DeleteFileA((folder + name).c_str()))
                    ++filesDeleted;
            } while (FindNextFileA(find.get(), &fd));
        }
    }
    RemoveDirectoryA(folder.c_str());
}

void deleteFolderIfExists(const std::string& folder) {
    const DWORD a = GetFileAttributesA(folder.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) deleteFolder(folder);
}

// ---- the targets' lists ----------------------------------------------------

const List kNvSystem = {
    "nvapi*.*",   "nvapp*.*",    "nvcod*.*",    "nvcolor*.*",   "nvcpl*.*",    "nvd3d*.*",
    "nvdisp*.*",  "nvExpBar*.*", "nvgames*.*",  "nvmccs*.*",    "nvmctray*.*", "nvmobls*.*",
    "nvogl*.*",   "nvsvc*.*",    "nvudisp*.*",  "NVUNINST*.*",  "nvvitvs*.*",  "nvwgf2um*.*",
    "nvwapps*.*", "nvwss*.*",    "nvwsapps*.*", "nv4_disp*.*",  "nvdsp*.*",    "nview*.*",
    "nvnt4cpl*.*", "nvshell*.*", "nvtui*.*",    "nvucode*.*",   "nvwddi*.*",   "nvwdmcpl*.*",
    "nvwimg*.*",  "nwiz*.*",     "nv4disp*.*",  "nvgfx*.*",     "nvdccapp*.*", "nvmctray*.*",
    "nvwcpl*.*",  "keystone*.*", "nvdspsch*.*", "nvhwvid*.*",   "nvrs*.*",     "nvwrs*.*"};
const List kAtiSystem = {
    "ati2e*.*",    "ATIDE*.*",     "atiicd*.*",   "atiogl*.*",  "atipd*.*",    "atitm*.*",   "atium*.*",
    "ati*cqag*.*", "ati*dva*.*",   "ati*mdx*.*",  "ati*sgag*.*", "ati3d*ag*.*", "ati3duag*.*", "ATIDDC*.*",
    "atifglpf*.*", "atiicd*.*",    "atiiie*.*",   "atikvmag*.*", "atitvo*.*",  "ativco*.*",  "ativda*.*",
    "ativmv*.*",   "ativtm*.*",    "ativva*.*",   "atiok*.*"};
const List kAtiDrivers = {
    "ati*bt*.*", "ati*md*.*", "ati*pd*.*",   "ati*ra*.*",  "ati*rv*.*", "ati*sn*.*",
    "ati*tt*.*", "ati*tu*.*", "ati*xb*.*",   "ati*xs*.*",  "ati*erec*.*", "ati*mta*.*",
    "ativca*.*", "ativck*.*", "ativdk*.*",   "ativmc*.*",  "ativvp*.*", "ativ*k*.*"};
const List kAtiMachineKeys = {
    "ATi",
    "ATI Technologies\\Install\\ccc-branding",
    "ATI Technologies\\Install\\ccc-core-implementation",
    "ATI Technologies\\Install\\ccc-core-static",
    "ATI Technologies\\Install\\ccc-graphics-full-existing",
    "ATI Technologies\\Install\\CCC-Graphics-Full-New",
    "ATI Technologies\\Install\\ccc-graphics-light",
    "ATI Technologies\\Install\\ccc-graphics-previews-common",
    "ATI Technologies\\Install\\ccc-graphics-previews-vista",
    "ATI Technologies\\Install\\ccc-help-en-US",
    "ATI Technologies\\Install\\ccc-install",
    "ATI Technologies\\Install\\ccc-skins",
    "ATI Technologies\\Install\\ccc-utility",
    "ATI Technologies\\Install\\ccc-00-core-preinstall",
    "ATI Technologies\\Install\\ccc-05-core-static",
    "ATI Technologies\\Install\\ccc-10-core-implementation",
    "ATI Technologies\\Install\\ccc-15-graphics-full-existing",
    "ATI Technologies\\Install\\CCC-20-Graphics-Full-New",
    "ATI Technologies\\Install\\ccc-25-graphics-light",
    "ATI Technologies\\Install\\ccc-30-graphics-previews-common",
    "ATI Technologies\\Install\\ccc-45-help-en-US",
    "ATI Technologies\\Install\\ccc-55-skins",
    "ATI Technologies\\Install\\ccc-60-utility",
    "ATI Technologies\\Install\\ATI Display Driver",
    "ATI Technologies\\Installed Drivers\\ATI Display Driver",
    "ATI Technologies\\ATI Catalyst Control Center",
    "ATI Technologies\\CBT",
    "ATI Technologies\\CDS",
    "ATI Technologies Inc."};
const List kCtWindows = {"CTDCRES*.*", "CTDV10K*.*", "CTDVAUD*.*", "CTRegRun*.*", "{*.BAK ",
                         "CTXFIRE*.*", "CTPRES*.*",  "Updreg*.*",  "{*.CDF"};
const List kCtSystem = {
    "Ct20x*.*",    "ct_oal*.*",   "CTAGENT*.*",  "CTAPO*.*",    "ctasio*.*",   "CTAUDFX*.*",  "ctcoinst*.*",
    "CTDC000*.*",  "CTDCIFCE*.*", "CTDCRES*.*",  "CTDPROXY*.*", "ctdvinst*.*", "CTEAPSFX*.*", "ctedasio*.*",
    "CTEDSP*.*",   "ctemupia*.*", "CTERFXFX*.*", "CTEXFIFX*.*", "CTHELPER*.*", "CTHWIUT*.*",  "CTMMACTL*.*",
    "CTMMEP*.*",   "CTOSUSER*.*", "CTpcmcia*.*", "ctppld*.*",   "CTPRES*.*",   "ctpxinst*.*", "CTSBLFX*.*",
    "ctscal*.*",   "CTSFINST*.*", "CTSPKHLP*.*", "cttele*.*",   "ctthxcal*.*", "CTxfi*.*",    "ctzap*.*",
    "BMX*.rfx",    "cttele32*.*"};
const List kCtDrivers = {"CT0531FL*.*", "ctac32*.*", "ctaud2*.*", "ctdvda2*.*",  "CTGAME*.*",  "CTMMFILT*.*",
                         "ctoss2*.*",   "ctprxy2*.*", "ctsfm2*.*", "CTOSS2K*.*", "CTSFM2K*.*"};
const List kRtSystem = {"RtkAPO*.*",   "RtkCoInst*.*", "RtkPgExt*.*", "SRSHP*.*",    "SRSTS*.*",    "SRSWOW*.*",
                        "RTKVHDA*.*",  "RtlCPAPI*.*",  "RTCOMDLL*.*", "RtlUpd*.*",   "RTSndMgr*.*", "RtHDVCpl*.*"};

void cleanNvidia(const std::string& w) {
    const std::string s = w + "System32\\";
    deleteFiles(w, {"NVGfxOgl*.*"});
    deleteFiles(w + "SysWOW64\\", kNvSystem);
    deleteFiles(s, kNvSystem);
    deleteFiles(s + "drivers\\", {"nvlddmkm*.*", "NV_Mini*.*", "NV4_Mini*.*"});
    deleteFiles(s + "dllcache\\", {"nv_mini*.*", "nv4_mini*.*", "nv4_disp*.*", "nv_disp*.*", "nvdisp*.*", "nv4disp*.*"});
    deleteFiles(w + "prefetch\\", {"nvcpl*.*", "nvudisp*.*", "nwiz*.*", "nvuninst*.*", "nv4*.*"});
    deleteFolderIfExists(w + "Help\\nvcpl\\");
    deleteFolderIfExists(envVar("ProgramData") + "\\NVIDIA\\");
    deleteKeys(HKEY_CURRENT_USER, "Software",
               {"NVIDIA nvCpl Container", "NVIDIA Corporation\\NVIDIA Control Panel",
                "NVIDIA Corporation\\NVControlPanel", "NVIDIA Corporation\\Global"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\NVIDIA Corporation", {"Global", "NVControlPanel", "Filters", "Installer"});
    deleteRunValues({"NvCplDaemon", "NvMediaCenter", "NvSvc"});
    deleteKeysInSets("\\Enum\\Root", {"LEGACY_NVSVC"});
    deleteKeysInSets("\\Services", {"nvlddmkm"});
    deleteAdaptersOf("NVIDIA");
}

void cleanChipset(const std::string& w) {
    deleteFiles(w + "System32\\drivers\\", {"nvagp*.*", "nvm60*.*", "nvmfd*.*", "nvport*.*", "nvraid*.*"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\NVIDIA Corporation", {"nForce"});
    deleteKeysInSets("\\Enum\\Root", {"LEGACY_NVPORT"});
    deleteKeysInSets("\\Services", {"nv_agp", "NVENETFD", "nvport", "nvraid", "nvstor"});
}

void cleanAti(const std::string& w) {
    const std::string s = w + "System32\\";
    deleteFiles(w, {"atiogl*.*"});
    deleteFiles(s, kAtiSystem);
    deleteFiles(s + "drivers\\", kAtiDrivers);
    deleteFiles(w + "prefetch\\", {"ATI*MD*.*", "ATI*SGAG*.*", "ATICIM*.*", "ATIPRB*.*", "ATISHLX*.*", "CCC*.*"});
    deleteFolderIfExists(envVar("LOCALAPPDATA") + "\\ATi\\ACE");
    deleteFolderIfExists(envVar("APPDATA") + "\\ATi\\ACE");
    deleteKeys(HKEY_CURRENT_USER, "Software", {"ATi"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", kAtiMachineKeys);
    deleteKeysInSets("\\Services",
                     {"ati2mtag", "Ati HotKey Poller", "ATI Smart", "atikmdag", "Ati External Event Utility"});
}

void cleanCreative(const std::string& w) {
    const std::string s = w + "System32\\";
    deleteFolderIfExists(s + "Data\\");
    deleteFolderIfExists(w + "SysWOW64\\Data\\");
    deleteFolderIfExists(envVar("ProgramFiles") + "\\Creative\\");
    deleteFiles(w, kCtWindows);
    deleteFiles(s, kCtSystem);
    deleteFiles(s + "drivers\\", kCtDrivers);
    deleteKeys(HKEY_CURRENT_USER, "Software", {"Creative Tech"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", {"Creative Tech", "ASIO"});
    deleteKeysInSets("\\Control", {"Creative Tech"});
    deleteRunValues({"CTHelper", "CTxfiHlp"});
}

void cleanRealtek(const std::string& w) {
    const std::string s = w + "System32\\";
    deleteFiles(w, {"HideWin*.*", "RtHDVCpl*.*", "RtlExUpd*.*", "RtlUpd*.*", "SkyTel*.*"});
    deleteFiles(s, kRtSystem);
    deleteFiles(s + "drivers\\", {"RTKVHDA*.*"});
    deleteKeys(HKEY_CURRENT_USER, "Software", {"Realtek"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", {"Realtek", "Avance", "Realtek Semiconductor Corp."});
    deleteRunValues({"RtHDVCpl"});
}

void cleanAgeia(const std::string& w) {
    const std::string s = w + "System32\\";
    deleteFiles(w, {"DIFX*.*"});
    deleteFiles(s, {"AgCPanel*.*", "PhysX*.*"});
    deleteFiles(w + "prefetch\\", {"DIFXSETUP*.*", "PHYSX*.*", "RESCANDEVNODE*.*"});
    deleteFolderIfExists(s + "AGEIA");
    deleteFolderIfExists(envVar("ProgramFiles") + "\\AGEIA Technologies");
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", {"AGEIA Technologies"});
}

void cleanMouse(const std::string& w) {
    deleteFiles(w + "System32\\drivers\\", {"point32k*.*", "point64k*.*"});
    deleteFiles(w + "prefetch\\", {"IP32*.*", "IP64*.*", "IPOINT*.*"});
    deleteFolderIfExists(envVar("ProgramFiles") + "\\Microsoft IntelliPoint");
    deleteKeys(HKEY_CURRENT_USER, "Software", {"Microsoft\\IntelliPoint"});
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\MSIPOINT Corporation", {"Microsoft\\IntelliPoint"});
    deleteRunValues({"IntelliPoint"});
    deleteKeysInSets("\\Services", {"Point32"});
}

}  // namespace

int main() {
    const std::string root = envVar("SYSTEMROOT");
    if (root.empty()) return 1;
    const std::string w = root + "\\";
    cleanNvidia(w);
    cleanChipset(w);
    cleanAti(w);
    cleanCreative(w);
    cleanRealtek(w);
    cleanMouse(w);
    cleanAgeia(w);
    std::printf("%d files, %d keys deleted\n", filesDeleted, keysDeleted);
    return 0;
}
