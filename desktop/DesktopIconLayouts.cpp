#include "desktop/DesktopIconLayouts.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "desktop/DesktopIcons.h"
#include "options/Language.h"
#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

namespace {

// Names that open a device instead of a file, whatever the extension: the
// part before the first dot, trailing blanks dropped, compared without case.
bool isDeviceName(const std::wstring& name) {
    std::wstring base = upperAscii(name.substr(0, name.find(L'.')));
    base.erase(base.find_last_not_of(L' ') + 1);
    static const std::wstring kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const std::wstring& device : kDevices)
        if (base == device) return true;
    // COM0-COM9 and LPT0-LPT9, also with the superscript digits 1, 2 and 3.
    return base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")) &&
           ((base[3] >= L'0' && base[3] <= L'9') || base[3] == L'\u00B9' || base[3] == L'\u00B2' ||
            base[3] == L'\u00B3');
}

// A layout name names a file in the layout folder and nothing else: no
// folder parts, no drive, no stream, no device.
bool isPlainName(const std::wstring& name) {
    return name.find_first_of(L"\\/:") == std::wstring::npos && !isDeviceName(name);
}

std::optional<std::int32_t> parseInt(const std::wstring& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A key of the layout file; missing or unreadable reads as 0.
std::int32_t readInt(const std::wstring& file, const std::wstring& section, const wchar_t* key) {
    return parseInt(plat::profileRead(file, section, key, L"0")).value_or(0);
}

void write(const std::wstring& file, const std::wstring& section, const wchar_t* key, std::int64_t value) {
    if (!plat::profileWrite(file, section, key, std::to_wstring(value)))
        throw AppError(format1(L"Unable to write to %s", file));
}

}  // namespace

std::wstring DesktopLayoutFolder() { return programFolder() + L"Desktop Icon\\"; }

std::wstring DesktopLayoutPath(const std::wstring& name) { return DesktopLayoutFolder() + name + L".ini"; }

std::wstring DesktopLayoutName(const std::wstring& saveBoxText) {
    if (upperAscii(saveBoxText) == upperAscii(LanguageText(L"Current date and time"))) return fileTimeStamp();
    return saveBoxText;
}

DesktopLayoutList ListDesktopLayouts() {
    DesktopLayoutList list;
    std::vector<plat::FindData> found;
    plat::findEntries(DesktopLayoutFolder() + L"*.ini", found);
    for (const plat::FindData& entry : found) {
        // The pattern also matches through short names ("x.inix"), and
        // folders are no layouts.
        const std::wstring& name = entry.name;
        if ((entry.attributes & plat::kAttrDirectory) || name.size() < 4 ||
            !equalsIgnoreCase(name.substr(name.size() - 4), std::wstring(L".ini")))
            continue;
        list.names.push_back(name.substr(0, name.size() - 4));
    }
    std::stable_sort(list.names.begin(), list.names.end(), [](const std::wstring& a, const std::wstring& b) {
        return plat::compareTextIgnoreCase(a, b) < 0;
    });
    if (!list.names.empty()) list.text = list.names.back();
    return list;
}

std::wstring SaveDesktopLayout(const std::wstring& saveBoxText) {
    const std::wstring name = DesktopLayoutName(saveBoxText);
    const std::wstring path = DesktopLayoutPath(name);
    if (!isPlainName(name)) throw AppError(format1(L"Unable to write to %s", path));
    forceDirectories(DesktopLayoutFolder());

    // A fresh list: without a desktop the file gets no icons rather than
    // those of an earlier save.
    std::vector<DesktopIconEntry> icons;
    ReadDesktopIcons(icons);
    for (auto it = icons.rbegin(); it != icons.rend(); ++it) {
        write(path, it->text, L"X", it->position.X);
        write(path, it->text, L"Y", it->position.Y);
    }
    write(path, kResolutionSection, L"Width", plat::getSystemMetrics(plat::kSmCxScreen));
    write(path, kResolutionSection, L"Height", plat::getSystemMetrics(plat::kSmCyScreen));
    return path;
}

bool RestoreDesktopLayout(const std::wstring& name, bool changeResolution) {
    if (!isPlainName(name)) return false;
    const std::wstring path = DesktopLayoutPath(name);
    if (!fileExists(path)) return false;

    std::vector<std::wstring> names = plat::profileSections(path);
    const auto isResolution = [](const std::wstring& s) { return equalsIgnoreCase(s, std::wstring(kResolutionSection)); };
    const bool hasResolution = std::any_of(names.begin(), names.end(), isResolution);
    names.erase(std::remove_if(names.begin(), names.end(), isResolution), names.end());

    if (changeResolution && hasResolution) {
        const std::int32_t width = readInt(path, kResolutionSection, L"Width");
        const std::int32_t height = readInt(path, kResolutionSection, L"Height");
        // A size of nothing is no screen mode to switch to.
        if (width > 0 && height > 0 &&
            (width != plat::getSystemMetrics(plat::kSmCxScreen) || height != plat::getSystemMetrics(plat::kSmCyScreen)))
            plat::changeDisplayResolution(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 1);
    }

    PlaceDesktopIcons(names, [&](const std::wstring& section) {
        return TCoord{readInt(path, section, L"X"), readInt(path, section, L"Y")};
    });
    return true;
}

bool RemoveDesktopLayout(const std::wstring& name) {
    if (!isPlainName(name)) return false;
    const std::wstring path = DesktopLayoutPath(name);
    if (!fileExists(path)) return false;
    return plat::deleteFile(path) == plat::kOk;
}

}  // namespace tw
