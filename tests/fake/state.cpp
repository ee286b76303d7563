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
// of the fake's code page: a-z, and the accented letters of Windows-1252 when
// that is the code page. Both bytes of a double-byte character stay as they are.
std::string upper(const std::string& text) {
    std::string out = text;
    const bool latin = machine().codePage == 1252;
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (leadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 0x20);
        else if (!latin) continue;
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) c = static_cast<unsigned char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) c = static_cast<unsigned char>(c - 0x10);  // š œ ž
        else if (c == 0xFF) c = 0x9F;                                                         // ÿ
        out[i] = static_cast<char>(c);
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

// ---- double-byte code pages ----
namespace {
// The characters the fake knows by name; every other byte pair gets a
// private-use code point of its own (plane 15), so text still round-trips.
struct DbcsChar {
    int codePage;
    unsigned char lead, trail;
    char32_t code;
};
constexpr DbcsChar kDbcsChars[] = {
    {932, 0x95, 0x5C, 0x8868},  // 表
    {932, 0x83, 0x5C, 0x30BD},  // ソ
    {932, 0x8E, 0x9A, 0x5B57},  // 字
    {950, 0xA5, 0x5C, 0x529F},  // 功
};
constexpr char32_t kPairBase = 0xF0000;
}  // namespace

bool leadByte(unsigned char b) {
    switch (machine().codePage) {
        case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        case 936:
        case 949:
        case 950: return b >= 0x81 && b <= 0xFE;
        default: return false;
    }
}

std::wstring ansiToWideText(const std::string& text) {
    const int cp = machine().codePage;
    if (cp == 1252) return cp1252ToWide(text);
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        if (leadByte(b) && i + 1 < text.size()) {
            auto t = static_cast<unsigned char>(text[++i]);
            char32_t code = kPairBase + (static_cast<char32_t>(b) << 8 | t);
            for (const auto& c : kDbcsChars)
                if (c.codePage == cp && c.lead == b && c.trail == t) code = c.code;
            out.push_back(static_cast<wchar_t>(code));
        } else if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
        } else if (cp == 932 && b >= 0xA1 && b <= 0xDF) {
            out.push_back(static_cast<wchar_t>(0xFF61 + (b - 0xA1)));  // half-width katakana
        } else {
            out.push_back(L'\x30FB');  // what the system gives for a stray byte
        }
    }
    return out;
}

std::string wideToAnsiText(const std::wstring& text) {
    const int cp = machine().codePage;
    if (cp == 1252) return wideToCp1252(text);
    std::string out;
    for (wchar_t wc : text) {
        auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (cp == 932 && c >= 0xFF61 && c <= 0xFF9F) {
            out.push_back(static_cast<char>(0xA1 + (c - 0xFF61)));
            continue;
        }
        bool done = false;
        for (const auto& d : kDbcsChars)
            if (d.codePage == cp && d.code == c) {
                out.push_back(static_cast<char>(d.lead));
                out.push_back(static_cast<char>(d.trail));
                done = true;
            }
        if (!done && c >= kPairBase && c <= kPairBase + 0xFFFF && leadByte(static_cast<unsigned char>((c - kPairBase) >> 8))) {
            out.push_back(static_cast<char>((c - kPairBase) >> 8));
            out.push_back(static_cast<char>((c - kPairBase) & 0xFF));
            done = true;
        }
        if (!done) out.push_back('?');
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

// The path's components, split at single-byte separators only.
std::vector<std::string> splitAnsi(const std::string& text) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (leadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
            out.back() += c;
            out.back() += text[++i];
        } else if (c == '\\' || c == '/') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

namespace {
ParsedPath resolve(const ParsedPath& given, bool followLast, int depth);

// Follows what one existing component stands for.
ParsedPath resolveLink(const FsEntry& e, int depth) {
    ParsedPath out = depth > 32 ? ParsedPath() : resolve(parsePathText(e.linkTarget), true, depth + 1);
    return out;
}

ParsedPath resolve(const ParsedPath& given, bool followLast, int depth) {
    if (!given.ok) return given;
    ParsedPath cur;
    cur.ok = true;
    cur.drive = given.drive;
    auto& fs = machine().fs;
    for (std::size_t i = 0; i < given.parts.size(); ++i) {
        cur.parts.push_back(given.parts[i]);
        auto it = fs.find(cur.key());
        if (it == fs.end()) {
            auto s = machine().shortNames.find(cur.key());
            if (s != machine().shortNames.end()) {
                cur.parts.back() = s->second;
                it = fs.find(cur.key());
            }
        }
        const bool last = i + 1 == given.parts.size();
        if (it != fs.end() && !it->second.linkTarget.empty() && (!last || followLast)) {
            cur = resolveLink(it->second, depth);
            if (!cur.ok) return cur;
        }
    }
    return cur;
}
}  // namespace

ParsedPath parsePathText(const std::string& path) {
    ParsedPath out;
    const std::vector<std::string> parts = splitAnsi(path);
    const std::string& first = parts[0];
    if (first.size() != 2 || first[1] != ':' || !std::isalpha(static_cast<unsigned char>(first[0]))) return out;
    if (parts.size() == 1 && path.size() > 2) return out;
    out.drive = upper(first);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!out.parts.empty()) out.parts.pop_back();
            continue;
        }
        out.parts.push_back(part);
    }
    // Win32 drops trailing blanks and dots of the last component.
    if (!parts.back().empty() && !out.parts.empty()) {
        std::string& last = out.parts.back();
        while (!last.empty() && (last.back() == ' ' || last.back() == '.')) last.pop_back();
        if (last.empty()) out.parts.pop_back();
    }
    out.ok = true;
    return out;
}

ParsedPath parsePath(const std::string& path) { return resolve(parsePathText(path), false, 0); }

ParsedPath followLink(const ParsedPath& p) { return resolve(p, true, 0); }

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
    e.id = machine().nextId++;
    return e;
}

FsEntry& putFolder(const ParsedPath& p) {
    FsEntry& e = machine().fs[p.key()];
    e.path = storedPath(p);
    e.folder = true;
    if (e.attributes == 0) e.attributes = plat::kAttrDirectory;
    if (e.id == 0) e.id = machine().nextId++;
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
        if (splitAnsi(k.substr(prefix.size())).size() > 1) continue;  // deeper down
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
    using plat::SystemFolder;
    m.systemFolders = {
        {SystemFolder::Windows, "C:\\WINDOWS"},
        {SystemFolder::SystemWindows, "C:\\WINDOWS"},
        {SystemFolder::System, "C:\\WINDOWS\\system32"},
        {SystemFolder::SystemWow64, "C:\\WINDOWS\\SysWOW64"},
        {SystemFolder::ProgramFiles, "C:\\Program Files"},
        {SystemFolder::ProgramFilesX86, "C:\\Program Files (x86)"},
        {SystemFolder::ProgramFilesX64, "C:\\Program Files"},
        {SystemFolder::ProgramData, "C:\\ProgramData"},
        {SystemFolder::Public, "C:\\Users\\Public"},
        {SystemFolder::UserProfiles, "C:\\Users"},
        {SystemFolder::Profile, "C:\\Users\\User"},
        {SystemFolder::RoamingAppData, "C:\\Users\\User\\AppData\\Roaming"},
        {SystemFolder::LocalAppData, "C:\\Users\\User\\AppData\\Local"},
        {SystemFolder::LocalAppDataLow, "C:\\Users\\User\\AppData\\LocalLow"},
    };
    const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
    for (const auto& [sid, path] : {std::pair<const char*, const char*>{"S-1-5-18", "%systemroot%\\system32\\config\\systemprofile"},
                                   {"S-1-5-19", "%systemroot%\\ServiceProfiles\\LocalService"},
                                   {"S-1-5-20", "%systemroot%\\ServiceProfiles\\NetworkService"},
                                   {"S-1-5-21-0-0-0-1000", "C:\\Users\\User"}})
        setString(plat::kHKeyLocalMachine, profiles + sid, "ProfileImagePath", path, plat::kRegExpandSz);
}

}  // namespace fake
