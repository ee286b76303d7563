// Shared pieces of the benchmark programs: the synthetic machine's shape,
// small handle owners and process helpers. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace twbench {

// Owns a kernel handle.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h_) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HANDLE h_ = nullptr;
};

// Owns a registry key.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

// Owns a find handle.
class Find {
public:
    explicit Find(HANDLE h) : h_(h) {}
    Find(const Find&) = delete;
    Find& operator=(const Find&) = delete;
    ~Find() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// The control sets every system-configuration list is applied to.
inline const std::vector<std::string>& controlSets() {
    static const std::vector<std::string> sets = {"System\\ControlSet001", "System\\ControlSet002",
                                                  "System\\ControlSet003", "System\\ControlSet004",
                                                  "System\\CurrentControlSet"};
    return sets;
}

// Name stems of the synthetic machine. Leftovers start with a stem that one
// of the targets' patterns matches; the other files match none.
inline const std::vector<std::string>& systemLeftoverStems() {
    static const std::vector<std::string> s = {"nvapi", "nvcpl", "nvd3d", "atiddc", "atiok", "CTAGENT",
                                               "CTxfi", "RtkAPO", "SRSHP", "PhysX", "AgCPanel"};
    return s;
}
inline const std::vector<std::string>& driverLeftoverStems() {
    static const std::vector<std::string> s = {"nvlddmkm", "nvraid", "ativmc", "point32k", "RTKVHDA", "ctaud2"};
    return s;
}
inline const std::vector<std::string>& serviceLeftovers() {
    static const std::vector<std::string> s = {"nvlddmkm", "nvstor", "ati2mtag", "Point32", "ATI Smart"};
    return s;
}
inline constexpr int kBystanderServices = 1000;
inline const char* const kBystanderServicePrefix = "TwBenchSvc";

inline std::string envVar(const char* name) {
    char buffer[32768];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace twbench
