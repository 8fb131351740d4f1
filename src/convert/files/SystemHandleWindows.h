#pragma once

#include "files/SystemHandle.h"

#include <string>
#include <windows.h>

namespace quillmorph {

// The HANDLE a SystemHandle holds (INVALID_HANDLE_VALUE for none), and the other way round.
// Only …Windows.cpp files include this.
inline HANDLE handleOf(const SystemHandle& handle) {
    return reinterpret_cast<HANDLE>(handle.native());
}
inline SystemHandle systemHandle(HANDLE handle) {
    return SystemHandle(reinterpret_cast<SystemHandle::Native>(handle));
}

// The path the system holds for what handle opened, "\\?\" spelling included; empty when it
// cannot say.
std::wstring finalPathOf(HANDLE handle);

// The same without "\\?\" when the path is short enough to work without it, as the C
// library's and Qt's file functions take paths.
std::wstring plainPath(std::wstring finalPath);

} // namespace quillmorph
