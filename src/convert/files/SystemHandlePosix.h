#pragma once

#include "files/SystemHandle.h"

namespace quillmorph {

// The descriptor a handle holds, for the *at functions; -1 for none. Only …Posix.cpp files
// include this.
inline int fdOf(const SystemHandle& handle) {
    return int(handle.native());
}
inline int fdOf(const SystemHandle* handle) {
    return handle ? fdOf(*handle) : -1;
}

} // namespace quillmorph
