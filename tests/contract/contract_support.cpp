#include "contract_support.h"

namespace contract {

std::string scratchFolder() {
    auto temp = plat::getEnv("TEMP");
    std::string base = temp ? *temp : std::string("C:\\");
    if (base.empty() || base.back() != '\\') base += "\\";
    return base + "TidewellContract\\";
}

void removeTree(const std::string& folder) {
    std::vector<plat::FindData> entries;
    if (plat::findEntries(folder + "*", entries) != plat::kOk) return;
    for (const auto& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        std::string path = folder + e.name;
        if (e.attributes & plat::kAttrDirectory) {
            removeTree(path + "\\");
        } else {
            plat::setFileAttributes(path, plat::kAttrNormal);
            plat::deleteFile(path);
        }
    }
    plat::setFileAttributes(folder, plat::kAttrDirectory);
    plat::removeDirectory(folder.substr(0, folder.size() - 1));
}

void removeKeyTree(plat::HKey root, const std::string& path) {
    plat::HKey k = 0;
    if (plat::regOpenKey(root, path, plat::kKeyAllAccess, k) != plat::kOk) return;
    std::vector<std::string> children;
    std::string name;
    for (std::uint32_t i = 0; plat::regEnumKey(k, i, 256, name) == plat::kOk; ++i) children.push_back(name);
    plat::regCloseKey(k);
    for (const auto& c : children) removeKeyTree(root, path + "\\" + c);
    plat::regDeleteKey(root, path);
}

std::vector<std::uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> utf16WithBom(const std::wstring& text) {
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    for (wchar_t c : text) {
        auto u = static_cast<std::uint32_t>(c);
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
    }
    return out;
}

std::vector<std::string> names(const std::vector<plat::FindData>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.name);
    return out;
}

std::set<std::string> nameSet(const std::vector<plat::FindData>& entries) {
    auto v = names(entries);
    return {v.begin(), v.end()};
}

void ScratchFolderTest::SetUp() {
    dir = scratchFolder();
    removeTree(dir);
    ASSERT_EQ(plat::createDirectory(dir.substr(0, dir.size() - 1)), plat::kOk) << dir;
}

void ScratchFolderTest::TearDown() { removeTree(dir); }

void ScratchFolderTest::write(const std::string& name, const std::string& content) {
    ASSERT_EQ(plat::writeFileBytes(dir + name, bytes(content)), plat::kOk) << name;
}

void ScratchKeyTest::SetUp() {
    ScratchFolderTest::SetUp();
    removeKeyTree(plat::kHKeyCurrentUser, kScratchKey);
    ASSERT_EQ(plat::regCreateKey(plat::kHKeyCurrentUser, kScratchKey, plat::kRegOptionNonVolatile,
                                 plat::kKeyAllAccess, key),
              plat::kOk);
}

void ScratchKeyTest::TearDown() {
    if (key) plat::regCloseKey(key);
    removeKeyTree(plat::kHKeyCurrentUser, kScratchKey);
    ScratchFolderTest::TearDown();
}

plat::Error setPrivilege(const std::string& name, bool enable) {
    plat::Handle token = 0;
    if (plat::Error e = plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token)) return e;
    std::uint64_t luid = 0;
    plat::Error last = plat::lookupPrivilegeValue(name, luid);
    if (last == plat::kOk && !plat::adjustTokenPrivilege(token, luid, enable, last) && last == plat::kOk)
        last = plat::kErrAccessDenied;
    plat::closeHandle(token);
    return last;
}

}  // namespace contract
