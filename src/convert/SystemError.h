#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

#include <QFile>
#include <QString>
#include <stdexcept>

namespace quillmorph {

// Maps the operating system's wording of a file error (as found in a libvips or QFile message)
// to an engine status; fallback when the text names none of them.
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
