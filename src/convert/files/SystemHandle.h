#pragma once

#include <cstdint>
#include <utility>

namespace quillmorph {

// An open file or folder as the operating system numbers it (a descriptor on POSIX; a Windows
// HANDLE fits the same integer), closed when destroyed. Move-only. Only the files room's
// system files make one and know what the number means; everyone else just holds it.
class SystemHandle {
public:
    using Native = std::intptr_t;

    SystemHandle() = default;
    explicit SystemHandle(Native native) : native_(native) {}
    SystemHandle(SystemHandle&& other) noexcept : native_(std::exchange(other.native_, kNone)) {}
    SystemHandle& operator=(SystemHandle&& other) noexcept {
        if (this != &other) {
            reset();
            native_ = std::exchange(other.native_, kNone);
        }
        return *this;
    }
    SystemHandle(const SystemHandle&) = delete;
    SystemHandle& operator=(const SystemHandle&) = delete;
    ~SystemHandle() { reset(); }

    bool isOpen() const { return native_ != kNone; }
    Native native() const { return native_; }
    // Closes it now; nothing when it is not open.
    void reset();

private:
    static constexpr Native kNone = -1;
    Native native_ = kNone;
};

} // namespace quillmorph
