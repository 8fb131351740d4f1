#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

#include <QByteArray>
#include <memory>
#include <string>

namespace quillmorph {

// A source file opened once, for reading, without waiting for a writer, and checked to be a
// regular file that holds something. Loaders reach it by the name of its descriptor
// (/proc/self/fd/N), so every later read (a loader that reopens to shrink on load, a decode
// again) comes from the very file checked: a path swapped meanwhile for a pipe or another file
// changes nothing, and none can block. The descriptor is closed with the last owner.
class SourceFile {
public:
    // The file at path, or why it cannot be read (status::kOk with a file).
    static std::shared_ptr<const SourceFile> open(const FilePath& path, EngineStatus& status);

    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // The name loaders open; valid while this lives.
    const std::string& loaderName() const { return name_; }
    // The whole file read into memory, at most maxBytes; empty when it is larger or unreadable.
    QByteArray contents(qint64 maxBytes) const;

private:
    explicit SourceFile(int fd);

    int fd_;
    std::string name_;
};

} // namespace quillmorph
