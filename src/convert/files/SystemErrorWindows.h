#pragma once

#include "files/SystemError.h"

namespace quillmorph {

// The engine status for a Windows error code (GetLastError); fallback when no status describes
// it. The …Windows.cpp files' counterpart of statusFromErrno.
EngineStatus statusFromWindowsError(unsigned long error, FileRole role, EngineStatus fallback);

// The status of the calling thread's last Windows error.
EngineStatus statusFromLastError(FileRole role, EngineStatus fallback);

} // namespace quillmorph
