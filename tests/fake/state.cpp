// The machine behind the fake: text helpers, path parsing and reset().
#include "state.h"

#include <cctype>

namespace fake::detail {

namespace {
// Windows-1252 code points of the bytes 0x80..0x9F (0 where the code page has none).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

// Names are folded the way NTFS and the registry fold them, for the letters
// of the fake's code page: a-z and the accented letters of Windows-1252.
std::string upper(const std::string& text) {
    std::string out = text;
    for (char& ch : out) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<unsigned char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) c = static_cast<unsigned char>(c - 0x10);  // š œ ž
        else if (c == 0xFF) c = 0x9F;                                                         // ÿ
        ch = static_cast<char>(c);
    }
    return out;
}

std::wstring upperW(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) {
        if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<wchar_t>(c - 0x20);
        else if (c == 0xFF) c = 0x178;
        else if (c == 0x161 || c == 0x153 || c == 0x17E) c = static_cast<wchar_t>(c - 1);  // š œ ž
        else if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) c = static_cast<wchar_t>(c - 0x20);  // Greek
        else if (c >= 0x430 && c <= 0x44F) c = static_cast<wchar_t>(c - 0x20);               // Cyrillic
        else if (c >= 0x450 && c <= 0x45F) c = static_cast<wchar_t>(c - 0x50);
    }
    return out;
}

std::wstring cp1252ToWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char ch : text) {
        auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F) {
            char16_t c = kCp1252High[b - 0x80];
            out.push_back(c ? static_cast<wchar_t>(c) : static_cast<wchar_t>(b));
        } else {
            out.push_back(static_cast<wchar_t>(b));
        }
    }
    return out;
}

std::string wideToCp1252(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<std::uint32_t>(wc);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] != 0 && kCp1252High[i] == c) mapped = static_cast<char>(0x80 + i);
        out.push_back(mapped);
    }
    return out;
}

std::string ParsedPath::key() const { return upper(display()); }

std::string ParsedPath::display() const {
    std::string out = drive;
    if (parts.empty()) return out;
    for (const auto& p : parts) out += "\\" + p;
    return out;
}

ParsedPath ParsedPath::parent() const {
    ParsedPath p = *this;
    if (!p.parts.empty()) p.parts.pop_back();
    return p;
}

ParsedPath parsePath(const std::string& path) {
    ParsedPath out;
    std::string s = path;
    for (char& c : s)
        if (c == '/') c = '\\';
    if (s.size() < 2 || s[1] != ':' || !std::isalpha(static_cast<unsigned char>(s[0]))) return out;
    if (s.size() > 2 && s[2] != '\\') return out;  // "C:foo" is relative to the drive's current folder
    out.drive = upper(s.substr(0, 2));
    std::string rest = s.size() > 3 ? s.substr(3) : std::string();
    bool endsWithSeparator = !rest.empty() && rest.back() == '\\';
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t next = rest.find('\\', pos);
        if (next == std::string::npos) next = rest.size();
        std::string part = rest.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!out.parts.empty()) out.parts.pop_back();
            continue;
        }
        out.parts.push_back(part);
    }
    // Win32 drops trailing blanks and dots of the last component.
    if (!endsWithSeparator && !out.parts.empty()) {
        std::string& last = out.parts.back();
        while (!last.empty() && (last.back() == ' ' || last.back() == '.')) last.pop_back();
        if (last.empty()) out.parts.pop_back();
    }
    out.ok = true;
    return out;
}

Machine& machine() {
    static Machine m;
    return m;
}

FsEntry* findEntry(const ParsedPath& p) {
    if (!p.ok) return nullptr;
    auto& fs = machine().fs;
    auto it = fs.find(p.key());
    return it == fs.end() ? nullptr : &it->second;
}

bool hasFault(const ParsedPath& p, Fault f) {
    if (!p.ok) return false;
    auto& faults = machine().faults;
    auto it = faults.find(p.key());
    return it != faults.end() && it->second.count(f) != 0;
}

namespace {
std::string storedPath(const ParsedPath& p) {
    if (p.isRoot()) return p.drive;
    FsEntry* parent = findEntry(p.parent());
    return parent ? parent->path + "\\" + p.parts.back() : p.display();
}
}  // namespace

FsEntry& putFile(const ParsedPath& p) {
    auto& fs = machine().fs;
    auto it = fs.find(p.key());
    if (it != fs.end()) return it->second;
    FsEntry& e = fs[p.key()];
    e.path = storedPath(p);
    e.folder = false;
    e.attributes = plat::kAttrArchive;
    return e;
}

FsEntry& putFolder(const ParsedPath& p) {
    FsEntry& e = machine().fs[p.key()];
    e.path = storedPath(p);
    e.folder = true;
    if (e.attributes == 0) e.attributes = plat::kAttrDirectory;
    e.data.clear();
    return e;
}

std::vector<FsEntry*> children(const ParsedPath& folder) {
    std::vector<FsEntry*> out;
    std::string prefix = folder.key() + "\\";
    auto& fs = machine().fs;
    for (auto it = fs.lower_bound(prefix); it != fs.end(); ++it) {
        const std::string& k = it->first;
        if (k.compare(0, prefix.size(), prefix) != 0) break;
        if (k.find('\\', prefix.size()) != std::string::npos) continue;
        out.push_back(&it->second);
    }
    return out;
}

}  // namespace fake::detail

namespace fake {

using namespace detail;

void reset() {
    Machine& m = machine();
    m = Machine();
    putFolder(parsePath("C:\\"));
    m.exePath = "C:\\Tools\\Tidewell\\Tidewell.exe";
    m.env = {
        {"SYSTEMROOT", "C:\\WINDOWS"},
        {"WINDIR", "C:\\WINDOWS"},
        {"SYSTEMDRIVE", "C:"},
        {"HOMEDRIVE", "C:"},
        {"PROGRAMFILES", "C:\\Program Files"},
        {"PROGRAMDATA", "C:\\ProgramData"},
        {"USERPROFILE", "C:\\Users\\User"},
        {"APPDATA", "C:\\Users\\User\\AppData\\Roaming"},
        {"LOCALAPPDATA", "C:\\Users\\User\\AppData\\Local"},
        {"TEMP", "C:\\Users\\User\\AppData\\Local\\Temp"},
        {"TMP", "C:\\Users\\User\\AppData\\Local\\Temp"},
    };
    m.date = L"12/5/2026";
    m.time = L"6:01:23 AM";
    m.decimal = L".";
    addFolder("C:\\Users\\User\\AppData\\Local\\Temp");
    addFile(m.exePath, "MZ");
    resetRegistry();
    resetSystem();
}

}  // namespace fake
