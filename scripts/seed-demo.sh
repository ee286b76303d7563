#!/usr/bin/env bash
# Seeds a Wine prefix as a demo machine: files, folders and registry entries
# that uninstalled drivers of the seven families leave behind, plus a few
# bystanders that no cleaning run may touch.
#
#   scripts/seed-demo.sh PREFIX
#
# PREFIX is created (wineboot) when it does not exist yet. Safe to run again:
# files are rewritten and registry entries re-imported.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 WINEPREFIX" >&2
    exit 2
fi
mkdir -p "$1"
export WINEPREFIX="$(cd "$1" && pwd)"
# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
tw_wine_init

C="$WINEPREFIX/drive_c"
WIN="$C/windows"
SYS="$WIN/system32"

# Leftover files, relative to drive C. Names are written as a driver
# installer would spell them; Windows matches them case-insensitively.
LEFTOVER_FILES=(
    # NVIDIA display
    windows/NVGfxOgl.dll
    windows/system32/nvapi.dll
    windows/system32/nvapi64.dll
    windows/system32/nvcpl.dll
    windows/system32/nvsvc64.exe
    windows/system32/nvmctray.dll
    windows/system32/nvoglnt.dll
    windows/syswow64/nvapi.dll
    windows/system32/drivers/nvlddmkm.sys
    windows/system32/dllcache/nv4_disp.dll
    windows/prefetch/NVCPL.EXE-1A2B3C4D.pf
    "windows/Help/nvcpl/nvcpl.chm"
    NVIDIA/DisplayDriver/setup.exe
    ProgramData/NVIDIA/nvtopps.log
    # NVIDIA chipset
    windows/system32/drivers/nvraid.sys
    windows/system32/drivers/nvmfdx32.sys
    windows/system32/drivers/nvport.sys
    # ATi display
    windows/system32/atiogl.xml
    windows/system32/atioglxx.dll
    windows/system32/atiddc.dll
    windows/system32/ATIDEMGX.dll
    windows/system32/drivers/atikmdag.sys
    "Program Files/ATI Technologies/ATI.ACE/Core-Static/CLI.exe"
    "Program Files/ATI Technologies/ATI Catalyst Control Center/CCC.exe"
    ATI/SUPPORT/readme.txt
    # Creative sound
    windows/system32/CTAGENT.DLL
    windows/system32/CTHELPER.EXE
    windows/system32/ctxfispi.exe
    windows/system32/drivers/ctaud2k.sys
    "Program Files/Creative/Shared Files/CTRegRun.exe"
    # Realtek sound
    windows/system32/RtkAPO.dll
    windows/system32/RtkAPO64.dll
    windows/RtHDVCpl.exe
    windows/system32/drivers/RTKVHDA64.sys
    "Program Files/Realtek/Audio/HDA/RtHDVCpl.exe"
    # AGEIA PhysX
    windows/system32/PhysXLoader.dll
    windows/system32/PhysXCore.dll
    windows/system32/AGEIA/PhysXhw.sys
    "Program Files/AGEIA Technologies/PhysX Properties.cpl"
    "Program Files/AGEIA Technologies/bin/PhysXDevice.dll"
    # Microsoft mouse
    windows/system32/drivers/point32k.sys
    windows/system32/drivers/point64k.sys
    windows/prefetch/IPOINT.EXE-5A6B7C8D.pf
    "Program Files/Microsoft IntelliPoint/ipoint.exe"
)

# Bystanders: close to the patterns above but matched by none of them.
BYSTANDER_FILES=(
    windows/system32/keep-tidewell-demo.dll
    windows/system32/drivers/keep-tidewell-demo.sys
    "Program Files/Tidewell Demo Bystander/keep.txt"
)

write_file() {
    local rel="$1" what="$2"
    mkdir -p "$(dirname "$C/$rel")"
    printf '%s: %s\r\n' "$what" "$rel" >"$C/$rel"
}

for f in "${LEFTOVER_FILES[@]}"; do write_file "$f" "driver leftover (demo)"; done
for f in "${BYSTANDER_FILES[@]}"; do write_file "$f" "bystander (must survive)"; done

# Registry: one import through Wine's reg.exe. Wine keeps CurrentControlSet
# as a real key and has no ControlSet001; a spare ControlSet002 holds a second
# copy of some service keys so that every control set gets looked at.
# Wine rebuilds the display adapter class of CurrentControlSet whenever it
# starts, so the adapter keys are seeded in ControlSet002 only.
REGFILE="$WINEPREFIX/drive_c/tidewell-demo-seed.reg"
RUN='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run'
CCS='HKEY_LOCAL_MACHINE\System\CurrentControlSet'
DISPLAY_CLASS="HKEY_LOCAL_MACHINE\\System\\ControlSet002\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}"
MEDIA_CLASS="$CCS\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}"
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    cat <<EOF | sed 's/$/\r/'
[HKEY_CURRENT_USER\Software\NVIDIA Corporation\Global]
"DemoLeftover"=dword:00000001

[HKEY_CURRENT_USER\Software\NVIDIA Corporation\NVControlPanel]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\NVIDIA Corporation\Global]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\NVIDIA Corporation\Installer]
"DemoLeftover"=dword:00000001

[HKEY_CURRENT_USER\Software\ATI]
"DemoLeftover"=dword:00000001

[HKEY_CURRENT_USER\Software\ATI\ACE]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\ATI Technologies\Install]
"InstallDir"="C:\\\\Program Files\\\\ATI Technologies\\\\ATI.ACE\\\\"

[HKEY_LOCAL_MACHINE\Software\ATI Technologies\Install\ATI Display Driver]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\Creative Tech]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\Realtek]
"DemoLeftover"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\Realtek\InstallShield]
"ProgramFilesDir"="C:\\\\Program Files\\\\Realtek\\\\Audio\\\\"

[HKEY_LOCAL_MACHINE\Software\AGEIA Technologies]
"PhysXCore Path"="C:\\\\Program Files\\\\AGEIA Technologies\\\\bin\\\\"

[HKEY_CURRENT_USER\Software\Microsoft\IntelliPoint]
"DemoLeftover"=dword:00000001

[$RUN]
"NvSvc"="RUNDLL32.EXE C:\\\\Windows\\\\system32\\\\nvsvc.dll,nvsvcStart"
"NvCplDaemon"="RUNDLL32.EXE C:\\\\Windows\\\\system32\\\\NvCpl.dll,NvStartup"
"CTHelper"="CTHELPER.EXE"
"RtHDVCpl"="RtHDVCpl.exe"
"IntelliPoint"="\\"C:\\\\Program Files\\\\Microsoft IntelliPoint\\\\ipoint.exe\\""
"TidewellDemoBystander"="keep.exe"

[$CCS\Services\nvlddmkm]
"Start"=dword:00000003

[$CCS\Services\nvlddmkm\Device0]
"DemoLeftover"=dword:00000001

[$CCS\Services\NVENETFD]
"Start"=dword:00000003

[$CCS\Services\ati2mtag]
"Start"=dword:00000003

[$CCS\Services\point32k]
"Start"=dword:00000003

[$CCS\Services\Point32]
"Start"=dword:00000003

[$CCS\Services\TidewellDemoBystander]
"Start"=dword:00000004

[$CCS\Enum\Root\LEGACY_NVSVC]
"NextInstance"=dword:00000001

[HKEY_LOCAL_MACHINE\System\ControlSet002\Services\nvlddmkm]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\ControlSet002\Enum\Root\LEGACY_NVSVC]
"NextInstance"=dword:00000001

[$DISPLAY_CLASS\0005]
"ProviderName"="NVIDIA Corporation"

[$DISPLAY_CLASS\0006]
"ProviderName"="ATI Technologies Inc."

; Provider names are compared with their case: this adapter key stays.
[$DISPLAY_CLASS\0007]
"ProviderName"="nvidia"

[$MEDIA_CLASS\0011]
"ProviderName"="Realtek Semiconductor Corp."

[$MEDIA_CLASS\0012]
"ProviderName"="Creative"
EOF
} >"$REGFILE"

tw_wine reg import 'C:\tidewell-demo-seed.reg' >/dev/null 2>&1 || {
    echo "seed-demo: reg import failed" >&2
    exit 1
}
"$WINESERVER" -w
rm -f "$REGFILE"

# Check a few entries so a silent import failure is caught here.
for key in 'HKLM\Software\NVIDIA Corporation\Global' 'HKCU\Software\ATI' \
           'HKLM\System\CurrentControlSet\Services\nvlddmkm' \
           'HKLM\System\ControlSet002\Services\nvlddmkm' \
           'HKLM\System\ControlSet002\Control\Class\{4D36E968-E325-11CE-BFC1-08002BE10318}\0005'; do
    tw_wine reg query "$key" >/dev/null 2>&1 || { echo "seed-demo: $key missing after import" >&2; exit 1; }
done
tw_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v NvSvc >/dev/null 2>&1 \
    || { echo "seed-demo: Run value NvSvc missing after import" >&2; exit 1; }
"$WINESERVER" -w

echo "seed-demo: ${#LEFTOVER_FILES[@]} leftover files, ${#BYSTANDER_FILES[@]} bystanders and the registry entries are in $WINEPREFIX"
