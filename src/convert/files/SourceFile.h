#pragma once

#include "files/EngineStatus.h"
#include "files/FilePath.h"
#include "files/SystemHandle.h"

#include <QByteArray>
#include <cstdio>
#include <memory>
#include <string>

namespace quillmorph {

// A source file opened once, for reading, without waiting for a writer, and checked to be a
// regular file that holds something. Loaders reach it by a name the system gives what was
// opened (on Linux, its descriptor's), so every later read (a loader that reopens to shrink on
// load, a decode again) comes from the very file checked: a path swapped meanwhile for a pipe
// or another file changes nothing, and none can block. It is closed with the last owner.
class SourceFile {
public:
    // The file at path, or why it cannot be read (status::kOk with a file).
    static std::shared_ptr<const SourceFile> open(const FilePath& path, EngineStatus& status);

    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // The name loaders open; valid while this lives.
    const std::string& loaderName() const { return name_; }
    // Up to count bytes from offset into into, read through what was opened (never moving a
    // position anybody shares); how many were read, 0 at the end, -1 on a failure. Any thread.
    qint64 readAt(qint64 offset, void* into, qint64 count) const;
    // The file's size in bytes; -1 when the system cannot tell.
    qint64 size() const;
    // The whole file read into memory, at most maxBytes; empty when it is larger or unreadable.
    QByteArray contents(qint64 maxBytes) const;

private:
    explicit SourceFile(SystemHandle file);

    SystemHandle file_;
    std::string name_;
};

struct StreamCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using ReadStream = std::unique_ptr<std::FILE, StreamCloser>;

// The file name names (a loaderName()) opened for reading from its start on a stream of its
// own, never waiting for a writer (a name swapped for a pipe); null unless it is a regular
// file. Any thread.
ReadStream openRegularForReading(const char* name);

} // namespace quillmorph
