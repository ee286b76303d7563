// Private profile (INI) files, "W" forms.
#include <windows.h>

#include "platform/platform.h"

namespace plat {

std::wstring profileRead(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                         const std::wstring& def) {
    // A buffer of 2048 characters: longer values come back cut to 2047.
    wchar_t buffer[2048] = {};
    const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buffer, 2048,
                                               file.c_str());
    return std::wstring(buffer, n < 2048 ? n : 2047);
}

bool profileWrite(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  const std::wstring& value) {
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

std::vector<std::wstring> profileSections(const std::wstring& file) {
    // With no section the call fills the buffer with the section names, each
    // followed by a zero, the list ended by a second zero. When the list does
    // not fit, it answers capacity - 2: grow the buffer and ask again.
    std::vector<wchar_t> buffer(4096);
    DWORD n = 0;
    for (;;) {
        n = ::GetPrivateProfileStringW(nullptr, nullptr, L"", buffer.data(), static_cast<DWORD>(buffer.size()),
                                       file.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
        buffer.assign(buffer.size() * 4, L'\0');
    }
    std::vector<std::wstring> out;
    const wchar_t* p = buffer.data();
    const wchar_t* end = buffer.data() + n;
    while (p < end && *p != L'\0') {
        std::wstring name(p);
        p += name.size() + 1;
        out.push_back(std::move(name));
    }
    return out;
}

}  // namespace plat

namespace plat {

std::vector<ProfileEntry> profileSection(const std::wstring& file, const std::wstring& section) {
    // The lines come as "key=value", each followed by a zero, the list ended
    // by a second zero; a list that does not fit is cut and answered with
    // capacity - 2, as for the section names.
    std::vector<wchar_t> buffer(8192);
    DWORD n = 0;
    for (;;) {
        n = ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                        file.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
        buffer.assign(buffer.size() * 4, L'\0');
    }
    std::vector<ProfileEntry> out;
    const wchar_t* p = buffer.data();
    const wchar_t* end = buffer.data() + n;
    while (p < end && *p != L'\0') {
        const std::wstring line(p);
        p += line.size() + 1;
        // A key never holds "=": the first one ends it.
        ProfileEntry entry;
        const std::size_t eq = line.find(L'=');
        entry.key = line.substr(0, eq);
        if (eq != std::wstring::npos) {
            entry.value = line.substr(eq + 1);
            entry.hasValue = true;
        }
        out.push_back(std::move(entry));
    }
    return out;
}

}  // namespace plat
