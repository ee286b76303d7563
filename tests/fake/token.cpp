// Kernel handles, the process token with its privileges, and restarts.
#include <stdexcept>

#include "state.h"

namespace fake::detail {
namespace {

struct Privilege {
    const char* name;
    std::uint64_t luid;
    bool held = false;
    bool enabled = false;
};

struct TokenState {
    std::map<plat::Handle, HandleObject> handles;
    plat::Handle next = 0x104;
    std::vector<Privilege> privileges;
    std::vector<std::string> log;
    int shutdowns = 0;
};

TokenState& tok() {
    static TokenState t;
    return t;
}

Privilege* privilegeByName(const std::string& name) {
    for (auto& p : tok().privileges)
        if (upper(p.name) == upper(name)) return &p;
    return nullptr;
}

Privilege* privilegeByLuid(std::uint64_t luid) {
    for (auto& p : tok().privileges)
        if (p.luid == luid) return &p;
    return nullptr;
}

}  // namespace

plat::Handle newHandle(const HandleObject& object) {
    plat::Handle h = tok().next;
    tok().next += 4;
    tok().handles[h] = object;
    return h;
}

const HandleObject* handleObject(plat::Handle handle) {
    auto it = tok().handles.find(handle);
    return it == tok().handles.end() ? nullptr : &it->second;
}

void resetHandles() {
    tok() = TokenState();
    // The local identifiers Windows gives these privileges.
    tok().privileges = {
        {"SeSecurityPrivilege", 8},  {"SeTakeOwnershipPrivilege", 9}, {"SeBackupPrivilege", 17, true},
        {"SeRestorePrivilege", 18, true}, {"SeShutdownPrivilege", 19, true}, {"SeDebugPrivilege", 20},
    };
}

bool privilegeIsEnabled(const std::string& name) {
    Privilege* p = privilegeByName(name);
    return p && p->held && p->enabled;
}

}  // namespace fake::detail

namespace plat {

using namespace fake::detail;

Error openProcessToken(std::uint32_t access, Handle& token) {
    token = newHandle({HandleObject::Kind::Token, access, 0, {}, 0});
    return kOk;
}

Error lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) {
    Privilege* p = privilegeByName(name);
    if (!p) return kErrNoSuchPrivilege;
    luid = p->luid;
    return kOk;
}

bool adjustTokenPrivilege(Handle token, std::uint64_t luid, bool enable, Error& lastError) {
    const HandleObject* o = handleObject(token);
    if (!o || o->kind != HandleObject::Kind::Token) {
        lastError = kErrInvalidHandle;
        return false;
    }
    if ((o->access & kTokenAdjustPrivileges) == 0) {
        lastError = kErrAccessDenied;
        return false;
    }
    Privilege* p = privilegeByLuid(luid);
    if (!p || !p->held) {
        // AdjustTokenPrivileges succeeds and reports what it could not assign.
        lastError = kErrNotAllAssigned;
        return true;
    }
    p->enabled = enable;
    tok().log.push_back(std::string(enable ? "+" : "-") + p->name);
    lastError = kOk;
    return true;
}

Error closeHandle(Handle handle) {
    return tok().handles.erase(handle) ? kOk : kErrInvalidHandle;
}

bool initiateSystemShutdown(bool, bool) {
    ++tok().shutdowns;
    return privilegeIsEnabled("SeShutdownPrivilege");
}

}  // namespace plat

namespace fake {

using namespace detail;

void setPrivilegeHeld(const std::string& name, bool held) {
    Privilege* p = privilegeByName(name);
    if (!p) throw std::invalid_argument("fake: unknown privilege " + name);
    p->held = held;
    if (!held) p->enabled = false;
}

bool privilegeEnabled(const std::string& name) { return privilegeIsEnabled(name); }
std::vector<std::string> privilegeLog() { return tok().log; }
int openHandleCount() { return static_cast<int>(tok().handles.size()); }
int shutdownRequests() { return tok().shutdowns; }

}  // namespace fake
