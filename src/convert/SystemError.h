#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

#include <QFile>
#include <QString>
#include <stdexcept>

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

// A file could not be written; what() holds the system's error text.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens file on path (by its bytes) for writing, truncated; the descriptor closes with file.
// Throws FileWriteError with the system's error text.
void openForWriting(QFile& file, const FilePath& path);

} // namespace quillmorph
