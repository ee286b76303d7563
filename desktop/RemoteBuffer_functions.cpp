#include "desktop/RemoteBuffer_functions.h"

#include <utility>

#include "platform/common.h"
#include "platform/other_programs.h"

namespace tw {

std::wstring SystemErrorText(plat::Error code) {
    return L"System Error.  Code: " + std::to_wstring(code) + L".\r\n" + plat::errorText(code);
}

namespace {
constexpr plat::Error kErrPartialCopy = 299;  // ERROR_PARTIAL_COPY

[[noreturn]] void raise(plat::Error code) { throw AppError(SystemErrorText(code)); }
}  // namespace

RemoteBuffer::RemoteBuffer(RemoteBuffer&& other) noexcept
    : process_(std::exchange(other.process_, 0)),
      address_(std::exchange(other.address_, 0)),
      size_(std::exchange(other.size_, 0)) {}

RemoteBuffer& RemoteBuffer::operator=(RemoteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        process_ = std::exchange(other.process_, 0);
        address_ = std::exchange(other.address_, 0);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

RemoteBuffer::~RemoteBuffer() { release(); }

plat::Error RemoteBuffer::release() noexcept {
    plat::Error result = plat::kOk;
    if (process_ != 0) {
        if (address_ != 0) result = plat::virtualFreeEx(process_, address_, 0, plat::kMemRelease);
        const plat::Error closed = plat::closeHandle(process_);
        if (result == plat::kOk) result = closed;
    }
    process_ = 0;
    address_ = 0;
    size_ = 0;
    return result;
}

RemoteBuffer AllocRemoteBuffer(std::uint32_t processId, std::size_t size) {
    RemoteBuffer buffer;
    if (plat::Error e = plat::openProcess(plat::kProcessAllAccessLegacy, processId, buffer.process_))
        raise(e);
    // A data buffer: read and write are all it needs, never execute.
    if (plat::Error e = plat::virtualAllocEx(buffer.process_, size, plat::kMemCommit,
                                             plat::kPageReadWrite, buffer.address_))
        raise(e);  // the owner closes the process on the way out
    buffer.size_ = size;
    return buffer;
}

void FreeRemoteBuffer(RemoteBuffer& buffer) {
    if (plat::Error e = buffer.release()) raise(e);
}

std::size_t ReadRemoteBuffer(const RemoteBuffer& buffer, std::uintptr_t remote, void* local,
                             std::size_t size) {
    if (!buffer.open()) return 0;
    std::size_t read = 0;
    if (plat::readProcessMemory(buffer.process(), remote, local, size, read) != plat::kOk) return 0;
    return read;
}

void WriteRemoteBuffer(const RemoteBuffer& buffer, const void* local, std::uintptr_t remote,
                       std::size_t size) {
    if (!buffer.open()) return;
    std::size_t written = 0;
    if (plat::Error e = plat::writeProcessMemory(buffer.process(), remote, local, size, written))
        raise(e);
    if (written != size) raise(kErrPartialCopy);
}

}  // namespace tw
