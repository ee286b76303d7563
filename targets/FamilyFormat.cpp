#include "targets/FamilyFormat.h"

#include <algorithm>
#include <map>
#include <cwctype>
#include <optional>

#include "platform/common.h"

// toml++ reads the files; only this file includes it. No exceptions, no
// writer, no wide-string overloads: the program hands it UTF-8 bytes.
#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#define TOML_ENABLE_WINDOWS_COMPAT 0
#include <toml++/toml.h>

namespace tw {

namespace {

constexpr std::size_t kMaxFileBytes = 256 * 1024;
constexpr std::size_t kMaxText = 260;
constexpr std::size_t kMaxSteps = 1000;
constexpr std::size_t kMaxNames = 1000;
constexpr std::int64_t kMaxWeight = 1000;
constexpr std::size_t kStemLength = 3;  // literal characters a pattern of the user's own starts with

// Thrown inside this file only: the first fault found ends the reading.
struct Fault {
    int line;
    std::wstring reason;
};

[[noreturn]] void fail(const toml::node& at, const std::wstring& reason) {
    throw Fault{static_cast<int>(at.source().begin.line), reason};
}

int lineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool hasControl(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

std::wstring textOf(const toml::node& node, const std::wstring& what) {
    const auto* s = node.as_string();
    if (!s) fail(node, what + L" must be text");
    std::wstring text = fromUtf8(s->get());
    if (text.empty()) fail(node, what + L" is empty");
    if (text.size() > kMaxText) fail(node, what + L" is longer than " + std::to_wstring(kMaxText) + L" characters");
    if (hasControl(text)) fail(node, what + L" holds a control character");
    return text;
}

struct Fields {
    const toml::table& table;
    const toml::node& at;

    const toml::node* find(const char* key) const { return table.get(key); }
    const toml::node& need(const char* key) const {
        const toml::node* node = find(key);
        if (!node) fail(at, L"\"" + fromUtf8(key) + L"\" is missing");
        return *node;
    }
    std::wstring text(const char* key) const { return textOf(need(key), quoted(fromUtf8(key))); }
    void only(std::initializer_list<const char*> keys) const {
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return name == k; }))
                fail(node, L"\"" + fromUtf8(std::string(name)) + L"\" is not a key of this place");
        }
    }
};

bool isPlainNameChar(wchar_t c) { return std::wstring_view(L"\\/:*?\"<>|").find(c) == std::wstring_view::npos; }

// A pattern names files inside one folder: no separator, no drive.
void checkPattern(const toml::node& at, const std::wstring& pattern, bool own) {
    if (pattern.find_first_of(L"\\/:") != std::wstring::npos)
        fail(at, L"the pattern " + quoted(pattern) + L" holds a path separator");
    if (!own) return;
    const std::size_t wild = pattern.find_first_of(L"*?");
    const std::wstring stem = pattern.substr(0, wild);
    const auto letters = std::count_if(stem.begin(), stem.end(), [](wchar_t c) { return c != L'.' && c != L' '; });
    if (static_cast<std::size_t>(letters) < kStemLength)
        fail(at, L"the pattern " + quoted(pattern) + L" needs a literal stem of at least " +
                     std::to_wstring(kStemLength) + L" characters before its first wildcard");
}

std::vector<std::wstring> segmentsOf(const std::wstring& path) {
    std::vector<std::wstring> out(1);
    for (wchar_t c : path) c == L'\\' ? (void)out.emplace_back() : out.back().push_back(c);
    return out;
}

// A path of key names: no empty, "." or ".." segment.
void checkKeyPath(const toml::node& at, const std::wstring& path, const std::wstring& what) {
    for (const std::wstring& s : segmentsOf(path))
        if (s.empty() || s == L"." || s == L"..") fail(at, what + L" " + quoted(path) + L" has an empty or dot segment");
}

bool same(const std::wstring& a, const wchar_t* b) { return equalsIgnoreCase(a, b); }

// Keys that many programs share: a removal there takes more than one vendor's leftovers.
bool isSharedKey(std::vector<std::wstring> s) {
    if (s.size() >= 2 && same(s[0], L"Software") && same(s[1], L"Wow6432Node")) s.erase(s.begin() + 1);
    if (s.size() <= 1) return true;
    if (same(s[0], L"Software")) {
        if (same(s[1], L"Classes") || same(s[1], L"Policies")) return s.size() <= 3;
        if (!same(s[1], L"Microsoft")) return s.size() <= 2 && (same(s[1], L"Clients") || same(s[1], L"ODBC"));
        if (s.size() == 2) return true;
        for (const wchar_t* shared : {L"Windows", L"Windows NT", L"Cryptography", L"Active Setup", L".NETFramework",
                                      L"Internet Explorer", L"Windows Defender", L"Office"})
            if (same(s[2], shared)) return s.size() <= 5;
        return false;
    }
    if (same(s[0], L"System")) {
        if (s.size() <= 3) return true;                       // a control set, its Services, Control, Enum
        if (same(s[2], L"Enum")) return s.size() <= 4;        // a bus
        if (same(s[2], L"Control")) return s.size() <= 4 || (same(s[3], L"Class") && s.size() <= 5);
        return false;
    }
    return true;  // SAM, SECURITY, HARDWARE, Control Panel, Environment ...
}

std::wstring keyTextRoot(const std::wstring& key) { return key.substr(0, key.find(L'\\')); }

void checkKey(const toml::node& at, const std::wstring& key, bool machineOnly) {
    const std::wstring root = keyTextRoot(key);
    if (!same(root, L"HKLM") && (machineOnly || !same(root, L"HKCU")))
        fail(at, L"the key " + quoted(key) + (machineOnly ? L" must begin with HKLM\\" : L" must begin with HKLM\\ or HKCU\\"));
    if (key.size() <= root.size() + 1) fail(at, L"the key " + quoted(key) + L" names no key below its root");
    const std::wstring path = key.substr(root.size() + 1);
    checkKeyPath(at, path, L"the key");
    // "<ControlSet>" stands once, as a whole segment, and no other "<" or ">" anywhere.
    std::wstring rest = path;
    const std::size_t set = rest.find(L"<ControlSet>");
    if (set != std::wstring::npos) rest.erase(set, 12);
    const auto segments = segmentsOf(path);
    if (rest.find_first_of(L"<>") != std::wstring::npos ||
        (set != std::wstring::npos && std::ranges::count(segments, std::wstring(L"<ControlSet>")) != 1))
        fail(at, L"the key " + quoted(key) + L" holds \"<\" or \">\" outside one <ControlSet> segment");
}

void checkFolder(const toml::node& at, const std::wstring& folder) {
    std::wstring rest = folder;
    if (folder[0] == L'%') {
        const std::wstring name = FolderVariable(folder);
        if (name.empty()) fail(at, L"the folder " + quoted(folder) + L" does not close its %NAME%");
        rest = folder.substr(name.size() + 2);
    } else if (folder.size() < 3 || !iswalpha(folder[0]) || folder.compare(1, 2, L":\\") != 0) {
        fail(at, L"the folder " + quoted(folder) + L" is neither %NAME%... nor a drive path");
    } else {
        rest = folder.substr(3);
    }
    if (rest.find_first_of(L"%/:*?\"<>|") != std::wstring::npos)
        fail(at, L"the folder " + quoted(folder) + L" holds a character a folder name cannot hold");
    for (const std::wstring& s : segmentsOf(rest))
        if (s == L"." || s == L"..") fail(at, L"the folder " + quoted(folder) + L" has a dot segment");
}

class Reader {
public:
    Reader(const toml::table& doc, bool own) : doc_(doc), own_(own) {}

    FamilyDescription read() {
        Fields top{doc_, doc_};
        top.only({"label", "section", "switch", "backup-prefix", "weights", "lists", "files", "registry", "drivers"});
        FamilyDescription d;
        d.label = top.text("label");
        d.section = top.text("section");
        d.commandSwitch = top.text("switch");
        d.backupPrefix = top.text("backup-prefix");
        if (d.section.find_first_of(L"[]=;") != std::wstring::npos || d.section.front() == L' ' || d.section.back() == L' ')
            fail(top.need("section"), L"the section " + quoted(d.section) + L" cannot be a settings section");
        checkSwitch(top.need("switch"), d.commandSwitch);
        if (!std::all_of(d.backupPrefix.begin(), d.backupPrefix.end(), isPlainNameChar) || d.backupPrefix.front() == L'.' ||
            d.backupPrefix.front() == L' ')
            fail(top.need("backup-prefix"), L"the backup prefix " + quoted(d.backupPrefix) + L" cannot begin a folder name");
        readWeights(top.need("weights"), d);
        if (const toml::node* lists = top.find("lists")) readLists(*lists);
        d.files = readSteps(top.find("files"), Phase::Files);
        d.registry = readSteps(top.find("registry"), Phase::Registry);
        d.drivers = readSteps(top.find("drivers"), Phase::Drivers);
        if (d.files.empty() && d.registry.empty() && d.drivers.empty()) fail(doc_, L"the family has no step");
        if (driversWeight_ < 0) driversWeight_ = static_cast<int>(d.drivers.size());
        d.driversWeight = driversWeight_;
        return d;
    }

private:
    void checkSwitch(const toml::node& at, const std::wstring& text) {
        const bool ok = text.size() >= 3 && text.size() <= 32 && text[0] == L'-' &&
                        std::all_of(text.begin() + 1, text.end(), [](wchar_t c) { return c < 0x80 && iswalnum(c); });
        if (!ok) fail(at, L"the switch " + quoted(text) + L" must be \"-\" and 2 to 31 letters or digits");
        const std::wstring upper = upperAscii(text);
        if (upper == L"-QUIT" || upper == L"-PREVIEW" || upper.starts_with(L"-REPORT"))
            fail(at, L"the switch " + quoted(text) + L" is one of the program's own");
    }

    void readWeights(const toml::node& node, FamilyDescription& d) {
        const toml::table* t = node.as_table();
        if (!t) fail(node, L"\"weights\" must be a table: { files = N, registry = N }");
        Fields f{*t, node};
        f.only({"files", "registry", "drivers"});
        d.filesWeight = weight(f.need("files"));
        d.registryWeight = weight(f.need("registry"));
        if (const toml::node* drivers = f.find("drivers")) driversWeight_ = weight(*drivers);
    }

    static int weight(const toml::node& node) {
        const auto* n = node.as_integer();
        if (!n || n->get() < 0 || n->get() > kMaxWeight)
            fail(node, L"a weight must be a whole number from 0 to " + std::to_wstring(kMaxWeight));
        return static_cast<int>(n->get());
    }

    void readLists(const toml::node& node) {
        const toml::table* t = node.as_table();
        if (!t) fail(node, L"\"lists\" must be a table of lists");
        for (auto&& [key, value] : *t) {
            if (!value.is_array()) fail(value, L"the list \"" + fromUtf8(std::string(key.str())) + L"\" must be a list");
            lists_[std::string(key.str())] = &value;
        }
    }

    std::vector<std::wstring> names(const toml::node& node, const std::wstring& what) {
        const toml::node* list = &node;
        if (const auto* ref = node.as_string()) {
            const auto found = lists_.find(ref->get());
            if (found == lists_.end()) fail(node, what + L" names no list under [lists]: " + quoted(fromUtf8(ref->get())));
            list = found->second;
        }
        const toml::array* a = list->as_array();
        if (!a) fail(node, what + L" must be a list or the name of one");
        if (a->empty()) fail(node, what + L" is an empty list");
        if (a->size() > kMaxNames) fail(node, what + L" has more than " + std::to_wstring(kMaxNames) + L" entries");
        std::vector<std::wstring> out;
        for (const toml::node& entry : *a) out.push_back(textOf(entry, L"an entry of " + what));
        return out;
    }

    enum class Phase { Files, Registry, Drivers };
    static constexpr const wchar_t* kPhaseNames[] = {L"files", L"registry", L"drivers"};

    std::vector<FamilyStep> readSteps(const toml::node* node, Phase phase) {
        std::vector<FamilyStep> steps;
        if (!node) return steps;
        const std::wstring name = kPhaseNames[static_cast<int>(phase)];
        const toml::array* a = node->as_array();
        if (!a || !a->is_array_of_tables()) fail(*node, quoted(name) + L" must be written [[" + name + L"]]");
        if (a->size() > kMaxSteps) fail(*node, L"more than " + std::to_wstring(kMaxSteps) + L" steps");
        for (const toml::node& entry : *a) steps.push_back(readStep(*entry.as_table(), entry, phase));
        return steps;
    }

    FamilyStep readStep(const toml::table& t, const toml::node& at, Phase phase) {
        static const std::map<std::wstring, std::pair<StepKind, Phase>> kinds = {
            {L"files", {StepKind::Files, Phase::Files}},
            {L"folder", {StepKind::Folder, Phase::Files}},
            {L"install-folder", {StepKind::InstallFolder, Phase::Files}},
            {L"folders-by-company", {StepKind::FoldersByCompany, Phase::Files}},
            {L"keys", {StepKind::Keys, Phase::Registry}},
            {L"values", {StepKind::Values, Phase::Registry}},
            {L"keys-by-value", {StepKind::KeysByValue, Phase::Registry}},
            {L"devices", {StepKind::Devices, Phase::Drivers}},
            {L"driver-packages", {StepKind::DriverPackages, Phase::Drivers}}};
        Fields f{t, at};
        FamilyStep step;
        step.line = lineOf(at);
        const std::wstring kind = f.text("delete");
        const auto found = kinds.find(kind);
        if (found == kinds.end()) fail(f.need("delete"), L"no step deletes " + quoted(kind));
        if (found->second.second != phase)
            fail(f.need("delete"), quoted(kind) + L" is a step of [[" +
                                       kPhaseNames[static_cast<int>(found->second.second)] + L"]]");
        step.kind = found->second.first;
        if (const toml::node* s = f.find("if-setting")) {
            step.ifSetting = textOf(*s, L"\"if-setting\"");
            const auto& known = StepConditionSettings();
            if (std::find(known.begin(), known.end(), step.ifSetting) == known.end())
                fail(*s, L"\"if-setting\" names no switch of the settings: " + quoted(step.ifSetting));
        }
        if (const toml::node* e = f.find("if-exists")) {
            if (!e->is_boolean()) fail(*e, L"\"if-exists\" must be true or false");
            step.ifExists = e->as_boolean()->get();
        }
        switch (step.kind) {
        case StepKind::Files:
            f.only({"delete", "folder", "patterns", "if-setting"});
            step.folder = folder(f);
            step.names = names(f.need("patterns"), L"\"patterns\"");
            for (const std::wstring& p : step.names) checkPattern(f.need("patterns"), p, own_);
            break;
        case StepKind::Folder:
            f.only({"delete", "folder", "if-setting", "if-exists"});
            step.folder = folder(f);
            break;
        case StepKind::InstallFolder:
            f.only({"delete", "key", "value", "if-setting", "if-exists"});
            step.key = f.text("key");
            checkKey(f.need("key"), step.key, true);
            step.value = f.text("value");
            break;
        case StepKind::FoldersByCompany:
            f.only({"delete", "folder", "company", "if-setting"});
            step.folder = folder(f);
            step.prefix = f.text("company");
            break;
        case StepKind::Keys:
        case StepKind::Values:
            f.only({"delete", "key", "names", "if-setting"});
            step.key = f.text("key");
            checkKey(f.need("key"), step.key, false);
            step.names = names(f.need("names"), L"\"names\"");
            if (step.kind == StepKind::Keys)
                for (const std::wstring& name : step.names) checkKeyName(f.need("names"), step.key, name);
            break;
        case StepKind::KeysByValue:
            f.only({"delete", "key", "value", "prefix", "if-setting"});
            step.key = f.text("key");
            checkKey(f.need("key"), step.key, false);
            step.value = f.text("value");
            step.prefix = f.text("prefix");
            break;
        case StepKind::Devices:
        case StepKind::DriverPackages: {
            const bool devices = step.kind == StepKind::Devices;
            f.only({"delete", "classes", devices ? "hardware-ids" : "providers", "if-setting"});
            step.classes = names(f.need("classes"), L"\"classes\"");
            step.names = names(f.need(devices ? "hardware-ids" : "providers"),
                               devices ? L"\"hardware-ids\"" : L"\"providers\"");
            // A family of the user's own names hardware and makers, not a whole bus or every maker.
            if (own_)
                for (const std::wstring& n : step.names)
                    if (n.size() < (devices ? 8u : 3u))
                        fail(f.need(devices ? "hardware-ids" : "providers"),
                             quoted(n) + (devices ? L" is too short a hardware-id prefix (8 characters at least)"
                                                  : L" is too short a provider name (3 characters at least)"));
            break;
        }
        }
        return step;
    }

    static std::wstring folder(const Fields& f) {
        std::wstring text = f.text("folder");
        checkFolder(f.need("folder"), text);
        return text;
    }

    void checkKeyName(const toml::node& at, const std::wstring& key, const std::wstring& name) const {
        checkKeyPath(at, name, L"the key name");
        if (!own_) return;
        std::vector<std::wstring> path = segmentsOf(SplitKeyText(key).path + L"\\" + name);
        if (isSharedKey(path))
            fail(at, L"the key " + quoted(keyTextRoot(key) + L"\\" + SplitKeyText(key).path + L"\\" + name) +
                         L" is shared by other software");
    }

    const toml::table& doc_;
    const bool own_;
    std::map<std::string, const toml::node*> lists_;
    int driversWeight_ = -1;  // not given
};

}  // namespace

const std::vector<std::wstring>& StepConditionSettings() {
    static const std::vector<std::wstring> names = {L"RemoveNVIDIAFolder", L"RemoveATiFolder"};
    return names;
}

FamilyParse ParseFamily(std::string_view utf8, bool own) {
    if (utf8.size() > kMaxFileBytes)
        return FamilyFileError{0, L"the file is larger than " + std::to_wstring(kMaxFileBytes / 1024) + L" KB"};
    toml::parse_result parsed = toml::parse(utf8);
    if (!parsed) {
        const toml::parse_error& e = parsed.error();
        return FamilyFileError{static_cast<int>(e.source().begin.line), fromUtf8(std::string(e.description()))};
    }
    try {
        return Reader(parsed.table(), own).read();
    } catch (const Fault& fault) {
        return FamilyFileError{fault.line, fault.reason};
    }
}

KeyText SplitKeyText(const std::wstring& key) {
    const std::size_t slash = key.find(L'\\');
    if (slash == std::wstring::npos) return {equalsIgnoreCase(key, L"HKLM"), L""};
    return {equalsIgnoreCase(key.substr(0, slash), L"HKLM"), key.substr(slash + 1)};
}

std::wstring FolderVariable(const std::wstring& folder) {
    if (folder.size() < 3 || folder[0] != L'%') return L"";
    const std::size_t close = folder.find(L'%', 1);
    if (close == std::wstring::npos || close == 1) return L"";
    const std::wstring name = folder.substr(1, close - 1);
    const bool ok = std::all_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x80 && (iswalnum(c) || c == L'_' || c == L'(' || c == L')');
    });
    return ok ? name : L"";
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& value) {
    const std::wstring name = FolderVariable(folder);
    if (name.empty()) return folder;
    std::wstring rest = folder.substr(name.size() + 2);
    if (!value.empty() && value.back() == L'\\' && !rest.empty() && rest.front() == L'\\') rest.erase(0, 1);
    return value + rest;
}

}  // namespace tw
