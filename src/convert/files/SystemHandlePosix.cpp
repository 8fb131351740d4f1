#include "files/SystemHandle.h"

#include <unistd.h>

namespace quillmorph {

void SystemHandle::reset() {
    if (isOpen())
        ::close(int(std::exchange(native_, kNone)));
}

} // namespace quillmorph
