// Text, locale and clock, message boxes, shell calls, error texts, and the
// windows and memory of other processes of the in-memory Windows.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "state.h"

namespace fake::detail {
namespace {

constexpr plat::Error kErrPartialCopy = 299;    // ERROR_PARTIAL_COPY
constexpr plat::Error kErrInvalidAddress = 487; // ERROR_INVALID_ADDRESS
constexpr int kSmDbcsEnabled = 42;
constexpr std::uintptr_t kPage = 4096;

struct Window {
    WindowSpec spec;
    MessageHandler handler;
};

struct Process {
    bool is64 = true;
    std::map<std::uintptr_t, std::vector<std::uint8_t>> blocks;  // base -> committed bytes
};

struct SystemState {
    std::vector<std::pair<plat::HWnd, Window>> windows;  // registration (Z) order
    plat::HWnd nextWindow = 0x10010;
    std::map<std::uint32_t, Process> processes;
    std::uintptr_t nextAddress = 0x10000000;
    int screenWidth = 1024, screenHeight = 768;
    std::vector<DisplayChange> displayChanges;
};

SystemState& sys() {
    static SystemState s;
    return s;
}

Window* window(plat::HWnd h) {
    for (auto& [handle, w] : sys().windows)
        if (handle == h) return &w;
    return nullptr;
}

Process* processOf(plat::Handle h) {
    const HandleObject* o = handleObject(h);
    if (!o || o->kind != HandleObject::Kind::Process) return nullptr;
    auto it = sys().processes.find(o->processId);
    return it == sys().processes.end() ? nullptr : &it->second;
}

// The committed block holding [address, address + size), or nullptr.
std::uint8_t* remoteRange(Process& p, std::uintptr_t address, std::size_t size) {
    auto it = p.blocks.upper_bound(address);
    if (it == p.blocks.begin()) return nullptr;
    --it;
    std::uintptr_t offset = address - it->first;
    if (offset > it->second.size() || size > it->second.size() - offset) return nullptr;
    return it->second.data() + offset;
}

bool matchesWindow(const Window& w, const std::wstring* className, const std::wstring* title) {
    if (className && upperW(*className) != upperW(w.spec.className)) return false;
    if (title && *title != w.spec.title) return false;
    return true;
}

}  // namespace

void resetSystem() {
    sys() = SystemState();
    resetHandles();
    resetDesktop();
}

}  // namespace fake::detail

namespace plat {

using namespace fake::detail;

std::wstring errorText(Error code) {
    switch (code) {
        case kOk: return L"The operation completed successfully.";
        case kErrFileNotFound: return L"The system cannot find the file specified.";
        case kErrPathNotFound: return L"The system cannot find the path specified.";
        case kErrAccessDenied: return L"Access is denied.";
        case kErrInvalidHandle: return L"The handle is invalid.";
        case kErrNotEnoughMemory: return L"Not enough memory resources are available to process this command.";
        case kErrWriteProtect: return L"The media is write protected.";
        case kErrSharingViolation:
            return L"The process cannot access the file because it is being used by another process.";
        case kErrFileExists: return L"The file exists.";
        case kErrInvalidParameter: return L"The parameter is incorrect.";
        case kErrDirNotEmpty: return L"The directory is not empty.";
        case kErrBadPathname: return L"The specified path is invalid.";
        case kErrAlreadyExists: return L"Cannot create a file when that file already exists.";
        case kErrMoreData: return L"More data is available.";
        case kErrNoMoreItems: return L"No more data is available.";
        case 267: return L"The directory name is invalid.";
        case kErrKeyDeleted: return L"Illegal operation attempted on a registry key that has been marked for deletion.";
        case kErrNotAllAssigned: return L"Not all privileges or groups referenced are assigned to the caller.";
        case kErrNoSuchPrivilege: return L"A specified privilege does not exist.";
        case kErrPrivilegeNotHeld: return L"A required privilege is not held by the client.";
        default: return {};  // FormatMessage knows no text
    }
}

std::wstring ansiToWide(const std::string& text) { return ansiToWideText(text); }
std::string wideToAnsi(const std::wstring& text) { return wideToAnsiText(text); }
bool isAnsiLeadByte(unsigned char byte) { return leadByte(byte); }
bool sameNameIgnoreCase(const std::wstring& a, const std::wstring& b) { return upperW(a) == upperW(b); }

int compareTextIgnoreCase(const std::wstring& a, const std::wstring& b) {
    int c = upperW(a).compare(upperW(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::wstring shortDateText() {
    if (machine().clockHook) machine().clockHook();
    return machine().date;
}

std::wstring longTimeText() {
    if (machine().clockHook) machine().clockHook();
    return machine().time;
}

std::wstring decimalSeparator() { return machine().decimal; }
bool isDbcsSystem() { return machine().dbcs; }

int messageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t flags) {
    Machine& m = machine();
    m.boxes.push_back({text, caption, flags});
    if (m.answers.empty()) return kIdOk;
    int answer = m.answers.front();
    m.answers.erase(m.answers.begin());
    return answer;
}

int messageBoxA(const std::string& text, const std::string& caption, std::uint32_t flags) {
    return messageBox(ansiToWide(text), ansiToWide(caption), flags);
}

std::intptr_t shellOpen(std::uintptr_t, const std::string& file, int show) {
    machine().shellOpens.emplace_back(file, show);
    return 42;
}

// ---- windows of other programs ----

HWnd findWindow(const std::wstring& className, const std::wstring* title) {
    return findWindowEx(0, 0, &className, title);
}

HWnd findWindowEx(HWnd parent, HWnd childAfter, const std::wstring* className, const std::wstring* title) {
    if (parent != 0 && !window(parent)) return 0;
    bool started = childAfter == 0;
    for (auto& [handle, w] : sys().windows) {
        if (w.spec.parent != parent) continue;
        if (!started) {
            started = handle == childAfter;
            continue;
        }
        if (matchesWindow(w, className, title)) return handle;
    }
    return 0;
}

std::wstring getClassName(HWnd h) {
    Window* w = window(h);
    return w ? w->spec.className : std::wstring();
}

HWnd getParent(HWnd h) {
    Window* w = window(h);
    return w ? w->spec.parent : 0;
}

std::uint32_t getWindowThreadProcessId(HWnd h, std::uint32_t& processId) {
    Window* w = window(h);
    processId = w ? w->spec.processId : 0;
    return w ? w->spec.processId + 4 : 0;  // the window's thread
}

std::intptr_t getWindowLongA(HWnd h, int index) {
    Window* w = window(h);
    return w && index == kGwlStyle ? w->spec.style : 0;
}

std::intptr_t setWindowLongA(HWnd h, int index, std::intptr_t value) {
    Window* w = window(h);
    if (!w || index != kGwlStyle) return 0;
    std::intptr_t old = w->spec.style;
    w->spec.style = value;
    return old;
}

std::intptr_t sendMessageA(HWnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    Window* w = window(h);
    return w && w->handler ? w->handler(msg, wParam, lParam, false) : 0;
}

std::intptr_t sendMessageW(HWnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    Window* w = window(h);
    return w && w->handler ? w->handler(msg, wParam, lParam, true) : 0;
}

int getSystemMetrics(int index) {
    if (index == kSmCxScreen) return sys().screenWidth;
    if (index == kSmCyScreen) return sys().screenHeight;
    if (index == kSmDbcsEnabled) return machine().dbcs ? 1 : 0;
    return 0;
}

std::int32_t changeDisplayResolution(std::uint32_t width, std::uint32_t height, std::uint32_t flags) {
    sys().displayChanges.push_back({width, height, flags});
    if ((flags & 2) == 0) {  // CDS_TEST only asks
        sys().screenWidth = static_cast<int>(width);
        sys().screenHeight = static_cast<int>(height);
    }
    return 0;  // DISP_CHANGE_SUCCESSFUL
}

// ---- memory of other processes ----

Error openProcess(std::uint32_t access, std::uint32_t processId, Handle& process) {
    process = 0;
    if (sys().processes.count(processId) == 0) return kErrInvalidParameter;
    process = newHandle({HandleObject::Kind::Process, access, processId, {}, 0});
    return kOk;
}

Error virtualAllocEx(Handle process, std::size_t size, std::uint32_t allocationType, std::uint32_t,
                     std::uintptr_t& address) {
    address = 0;
    Process* p = processOf(process);
    if (!p) return kErrInvalidHandle;
    if (size == 0 || (allocationType & kMemCommit) == 0) return kErrInvalidParameter;
    std::uintptr_t rounded = (size + kPage - 1) / kPage * kPage;
    address = sys().nextAddress;
    sys().nextAddress += (rounded + 0xFFFF) / 0x10000 * 0x10000;  // allocation granularity
    p->blocks[address] = std::vector<std::uint8_t>(rounded, 0);
    return kOk;
}

Error virtualFreeEx(Handle process, std::uintptr_t address, std::size_t size, std::uint32_t freeType) {
    Process* p = processOf(process);
    if (!p) return kErrInvalidHandle;
    if (freeType != kMemRelease || size != 0) return kErrInvalidParameter;
    if (p->blocks.erase(address) == 0) return kErrInvalidAddress;
    return kOk;
}

Error readProcessMemory(Handle process, std::uintptr_t address, void* buffer, std::size_t size, std::size_t& read) {
    read = 0;
    Process* p = processOf(process);
    if (!p) return kErrInvalidHandle;
    std::uint8_t* src = remoteRange(*p, address, size);
    if (!src) return kErrPartialCopy;
    if (size) std::memcpy(buffer, src, size);
    read = size;
    return kOk;
}

Error writeProcessMemory(Handle process, std::uintptr_t address, const void* buffer, std::size_t size,
                         std::size_t& written) {
    written = 0;
    Process* p = processOf(process);
    if (!p) return kErrInvalidHandle;
    std::uint8_t* dst = remoteRange(*p, address, size);
    if (!dst) return kErrPartialCopy;
    if (size) std::memcpy(dst, buffer, size);
    written = size;
    return kOk;
}

bool isProcess64Bit(Handle process) {
    Process* p = processOf(process);
    return p && p->is64;
}

}  // namespace plat

namespace fake {

using namespace detail;

void setDate(const std::wstring& shortDate) { machine().date = shortDate; }
void setTime(const std::wstring& longTime) { machine().time = longTime; }
void onClockRead(std::function<void()> hook) { machine().clockHook = std::move(hook); }
void setDecimalSeparator(const std::wstring& separator) { machine().decimal = separator; }
void setDbcs(bool dbcs) { machine().dbcs = dbcs; }

void queueMessageBoxAnswer(int answer) { machine().answers.push_back(answer); }
std::vector<MessageBoxCall> messageBoxes() { return machine().boxes; }
std::vector<std::pair<std::string, int>> shellOpens() { return machine().shellOpens; }

plat::HWnd registerWindow(const WindowSpec& spec, MessageHandler handler) {
    if (spec.parent != 0 && !window(spec.parent)) throw std::invalid_argument("fake: no such parent window");
    plat::HWnd h = sys().nextWindow;
    sys().nextWindow += 0x10;
    sys().windows.push_back({h, Window{spec, std::move(handler)}});
    return h;
}

void registerProcess(std::uint32_t processId, bool is64Bit) { sys().processes[processId].is64 = is64Bit; }

bool readRemote(std::uint32_t processId, std::uintptr_t address, void* buffer, std::size_t size) {
    auto it = sys().processes.find(processId);
    if (it == sys().processes.end()) return false;
    std::uint8_t* src = remoteRange(it->second, address, size);
    if (!src) return false;
    if (size) std::memcpy(buffer, src, size);
    return true;
}

bool writeRemote(std::uint32_t processId, std::uintptr_t address, const void* data, std::size_t size) {
    auto it = sys().processes.find(processId);
    if (it == sys().processes.end()) return false;
    std::uint8_t* dst = remoteRange(it->second, address, size);
    if (!dst) return false;
    if (size) std::memcpy(dst, data, size);
    return true;
}

int remoteAllocationCount() {
    int n = 0;
    for (auto& [id, p] : sys().processes) n += static_cast<int>(p.blocks.size());
    return n;
}

void setScreenSize(int width, int height) {
    sys().screenWidth = width;
    sys().screenHeight = height;
}

std::vector<DisplayChange> displayChanges() { return sys().displayChanges; }

}  // namespace fake
