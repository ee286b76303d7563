// Private-profile (INI) files of the in-memory Windows, read and written with
// the rules of GetPrivateProfileStringW and WritePrivateProfileStringW.
#include "state.h"

namespace fake::detail {
namespace {

constexpr std::size_t kProfileBuffer = 2048;  // the callers' buffer, zero included

struct IniText {
    bool exists = false;
    bool unicode = false;  // UTF-16 LE with a byte order mark
    std::vector<std::wstring> lines;
};

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring trim(const std::wstring& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A default keeps its leading blanks; trailing ones are cut.
std::wstring trimEnd(std::wstring s) {
    while (!s.empty() && isBlank(s.back())) s.pop_back();
    return s;
}

std::wstring decodeUtf16(const std::vector<std::uint8_t>& d, std::size_t start, bool bigEndian) {
    std::wstring out;
    for (std::size_t i = start; i + 1 < d.size(); i += 2) {
        std::uint32_t c = bigEndian ? (d[i] << 8 | d[i + 1]) : (d[i] | d[i + 1] << 8);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < d.size()) {
            std::uint32_t lo = bigEndian ? (d[i + 2] << 8 | d[i + 3]) : (d[i + 2] | d[i + 3] << 8);
            if (lo >= 0xDC00 && lo <= 0xDFFF && sizeof(wchar_t) == 4) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

void encodeUtf16(const std::wstring& text, std::vector<std::uint8_t>& out) {
    auto put = [&](std::uint32_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (wchar_t wc : text) {
        auto c = static_cast<std::uint32_t>(wc);
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
}

// A bare file name is looked for in the Windows folder, as the profile functions do.
ParsedPath profilePath(const std::wstring& file) {
    std::string narrow = wideToCp1252(file);
    if (narrow.find('\\') == std::string::npos && narrow.find('/') == std::string::npos) {
        auto windir = plat::getEnv("WINDIR");
        narrow = (windir ? *windir : std::string("C:\\WINDOWS")) + "\\" + narrow;
    }
    return parsePath(narrow);
}

IniText load(const ParsedPath& p) {
    IniText ini;
    FsEntry* e = findEntry(p);
    if (!e || e->folder || hasFault(p, Fault::AccessDenied)) return ini;
    ini.exists = true;
    const auto& d = e->data;
    std::wstring text;
    if (d.size() >= 2 && d[0] == 0xFF && d[1] == 0xFE) {
        ini.unicode = true;
        text = decodeUtf16(d, 2, false);
    } else if (d.size() >= 2 && d[0] == 0xFE && d[1] == 0xFF) {
        ini.unicode = true;  // rewritten as little-endian
        text = decodeUtf16(d, 2, true);
    } else {
        text = cp1252ToWide(std::string(d.begin(), d.end()));
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find(L'\n', pos);
        if (nl == std::wstring::npos) nl = text.size();
        std::wstring line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        ini.lines.push_back(line);
        pos = nl + 1;
    }
    return ini;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::wstring> sectionOf(const std::wstring& line) {
    std::wstring t = trim(line);
    if (t.empty() || t[0] != L'[') return std::nullopt;
    std::size_t close = t.find(L']');
    return trim(t.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
}

// The key of a "key=value" line inside a section, or nothing.
std::optional<std::wstring> keyOf(const std::wstring& line, std::wstring* value = nullptr) {
    std::wstring t = trim(line);
    if (t.empty() || t[0] == L'[') return std::nullopt;
    std::size_t eq = t.find(L'=');
    if (value) *value = eq == std::wstring::npos ? std::wstring() : trim(t.substr(eq + 1));
    return trim(t.substr(0, eq));
}

bool sameName(const std::wstring& a, const std::wstring& b) { return upperW(a) == upperW(b); }

// Index of the first line of the named section's header, or npos.
std::size_t findSection(const IniText& ini, const std::wstring& section) {
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        auto s = sectionOf(ini.lines[i]);
        if (s && sameName(*s, section)) return i;
    }
    return std::wstring::npos;
}

std::size_t sectionEnd(const IniText& ini, std::size_t header) {
    std::size_t i = header + 1;
    while (i < ini.lines.size() && !sectionOf(ini.lines[i])) ++i;
    return i;
}

std::vector<std::uint8_t> serialise(const IniText& ini) {
    std::wstring text;
    for (const auto& line : ini.lines) text += line + L"\r\n";
    std::vector<std::uint8_t> out;
    if (ini.unicode) {
        out = {0xFF, 0xFE};
        encodeUtf16(text, out);
    } else {
        std::string narrow = wideToCp1252(text);
        out.assign(narrow.begin(), narrow.end());
    }
    return out;
}

}  // namespace
}  // namespace fake::detail

namespace plat {

using namespace fake::detail;
using fake::Fault;

std::wstring profileRead(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                         const std::wstring& def) {
    auto clip = [](std::wstring s) {
        if (s.size() > kProfileBuffer - 1) s.resize(kProfileBuffer - 1);
        return s;
    };
    IniText ini = load(profilePath(file));
    std::size_t header = findSection(ini, section);
    if (header == std::wstring::npos) return clip(trimEnd(def));
    std::size_t end = sectionEnd(ini, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        std::wstring value;
        auto k = keyOf(ini.lines[i], &value);
        if (!k || !sameName(*k, key)) continue;
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return clip(value);
    }
    return clip(trimEnd(def));
}

bool profileWrite(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  const std::wstring& value) {
    ParsedPath p = profilePath(file);
    if (!p.ok || p.isRoot()) return false;
    FsEntry* parent = findEntry(p.parent());
    if (!parent || !parent->folder) return false;
    if (hasFault(p, Fault::AccessDenied) || hasFault(p, Fault::WriteFails) || hasFault(p, Fault::Locked))
        return false;
    FsEntry* existing = findEntry(p);
    if (existing && (existing->folder || (existing->attributes & kAttrReadOnly))) return false;

    IniText ini = load(p);
    std::wstring line = key + L"=" + value;
    std::size_t header = findSection(ini, section);
    if (header == std::wstring::npos) {
        ini.lines.push_back(L"[" + section + L"]");
        ini.lines.push_back(line);
    } else {
        std::size_t end = sectionEnd(ini, header);
        std::size_t insertAt = header + 1;
        bool replaced = false;
        for (std::size_t i = header + 1; i < end; ++i) {
            auto k = keyOf(ini.lines[i]);
            if (!k) continue;
            if (sameName(*k, key)) {
                ini.lines[i] = *k + L"=" + value;  // the key keeps its stored spelling
                replaced = true;
                break;
            }
            insertAt = i + 1;
        }
        if (!replaced) ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
    }
    std::vector<std::uint8_t> bytes = serialise(ini);
    if (existing) {
        existing->data = std::move(bytes);
        existing->attributes = (existing->attributes & ~kAttrNormal) | kAttrArchive;
    } else {
        putFile(p).data = std::move(bytes);
    }
    return true;
}

std::vector<ProfileEntry> profileSection(const std::wstring& file, const std::wstring& section) {
    std::vector<ProfileEntry> out;
    IniText ini = load(profilePath(file));
    std::size_t header = findSection(ini, section);
    if (header == std::wstring::npos) return out;
    for (std::size_t i = header + 1, end = sectionEnd(ini, header); i < end; ++i) {
        ProfileEntry entry;
        auto k = keyOf(ini.lines[i], &entry.value);
        if (!k || (*k)[0] == L';') continue;
        entry.key = *k;
        entry.hasValue = ini.lines[i].find(L'=') != std::wstring::npos;
        out.push_back(std::move(entry));
    }
    return out;
}

std::vector<std::wstring> profileSections(const std::wstring& file) {
    std::vector<std::wstring> out;
    IniText ini = load(profilePath(file));
    for (const auto& line : ini.lines)
        if (auto s = sectionOf(line)) out.push_back(*s);
    return out;
}

}  // namespace plat
