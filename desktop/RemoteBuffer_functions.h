// A scratch buffer inside another process: the process is opened, a block of
// its memory committed, and both are released when the owner goes away.
// List-view messages that carry pointers only work with memory of the process
// that owns the control, so requests are written here and answers read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tw {

// The system's error as the error report shows it: code and text.
std::wstring SystemErrorText(plat::Error code);

// Owns one open process and one committed block in it. Move-only. The
// destructor releases quietly (it runs while an error is on its way);
// FreeRemoteBuffer releases and reports a refused release.
class RemoteBuffer {
public:
    RemoteBuffer() = default;
    RemoteBuffer(RemoteBuffer&& other) noexcept;
    RemoteBuffer& operator=(RemoteBuffer&& other) noexcept;
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer();

    bool open() const { return process_ != 0; }
    plat::Handle process() const { return process_; }
    std::uintptr_t address() const { return address_; }
    std::size_t size() const { return size_; }

private:
    friend RemoteBuffer AllocRemoteBuffer(std::uint32_t processId, std::size_t size);
    friend void FreeRemoteBuffer(RemoteBuffer& buffer);
    // Releases block and handle; the first failure's code, or kOk.
    plat::Error release() noexcept;

    plat::Handle process_ = 0;
    std::uintptr_t address_ = 0;
    std::size_t size_ = 0;
};

// The size every list-view request of the desktop works in.
inline constexpr std::size_t kRemoteBufferSize = 4095;

// Opens the process (PROCESS_ALL_ACCESS as Windows before Vista defined it)
// and commits Size bytes of read-write memory in it. Throws AppError with the
// system's code and text when either step is refused; nothing stays open then.
RemoteBuffer AllocRemoteBuffer(std::uint32_t processId, std::size_t size);
// Releases the block (MEM_RELEASE) and closes the process; the handle is
// closed even when the release is refused, which then throws AppError.
// Does nothing for a buffer that is not open.
void FreeRemoteBuffer(RemoteBuffer& buffer);
// Copies Size bytes from the other process; returns the bytes read (0 when
// the buffer is not open or the read failed). Not checked otherwise.
std::size_t ReadRemoteBuffer(const RemoteBuffer& buffer, std::uintptr_t remote, void* local,
                             std::size_t size);
// Copies Size bytes into the other process; does nothing when the buffer is
// not open. A refused or partial write throws AppError.
void WriteRemoteBuffer(const RemoteBuffer& buffer, const void* local, std::uintptr_t remote,
                       std::size_t size);

}  // namespace tw
