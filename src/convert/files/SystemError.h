#pragma once

#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QString>

namespace quillmorph {

// What a missing name means depends on what was being done.
enum class FileRole {
    Named,     // a file or folder opened by its name: the name is not there
    NewOutput, // a new file made in the output folder: the folder has gone
};

// The engine status for a system error number (errno); fallback when no status describes it.
// Every mapping from the system's errors to statuses is this one.
EngineStatus statusFromErrno(int error, FileRole role, EngineStatus fallback);

// The same, from the operating system's wording of an error inside a libvips or QFile message
// (a Named file); fallback when the text names none of them.
EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback);

// The same for any library's message: an allocation that failed, however the library words
// it, is status::kOutOfMemory; then the system's wordings.
EngineStatus statusFromLibraryMessage(const QString& text, EngineStatus fallback);

} // namespace quillmorph
