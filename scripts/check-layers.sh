#!/bin/bash
# The layers of the program's own sources, checked from the tracked files:
#   - only platform/win32, ui/, app/win and the dialog folders (*/win) include
#     a Windows header: the core reaches Windows through platform/platform.h;
#   - only the window code includes ui/ or a window folder: the core includes
#     nothing of the window layer;
#   - no source file of the program is over 500 lines.
# Tests and benchmarks are not the program. Prints each breach; exit code 1
# when there is one.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

WINDOW_HEADERS='windows|commctrl|commdlg|shellapi|shlobj|shlwapi|winuser|wingdi|uxtheme'
bad=0
breach() {
    printf '%s\n' "$*"
    bad=1
}

while IFS= read -r file; do
    window_code=0
    case "$file" in
        platform/win32/* | ui/* | app/win/* | */win/*) window_code=1 ;;
    esac
    if [ "$window_code" = 0 ]; then
        grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($WINDOW_HEADERS)\.h>" "$file" |
            sed "s|^|$file:|; s|\$|   (a Windows header outside the window and platform code)|" | grep . && bad=1
        case "$file" in
            platform/*) ;;
            *) grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(ui/|[a-z]+/win/)' "$file" |
                sed "s|^|$file:|; s|\$|   (the core includes the window layer)|" | grep . && bad=1 ;;
        esac
    fi
    lines=$(wc -l <"$file")
    [ "$lines" -le 500 ] || breach "$file: $lines lines (at most 500)"
done < <(git ls-files '*.cpp' '*.h' '*.rc' | grep -vE '^(tests|bench)/')

exit "$bad"
