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

// The same for any library's message: a picture libvips could not unpack into the temporary
// folder (isTemporaryWriteFailure) is status::kImageTooLarge; an allocation that failed, however
// the library words it, is status::kOutOfMemory; then the system's wordings.
EngineStatus statusFromLibraryMessage(const QString& text, EngineStatus fallback);

// True when text tells of libvips failing to write one of its own temporary images, a picture
// it unpacks to disc in temporaryFolder (never an output, which its savers write): the folder
// full, over a quota or the file too large for it, or the file not to be made there.
bool isTemporaryWriteFailure(const QString& text, const QString& temporaryFolder);

} // namespace quillmorph
