#pragma once

#include "files/FilePath.h"
#include "files/SystemHandle.h"

#include <QByteArray>
#include <memory>

namespace quillmorph {

// A folder held open by the system's handle: what is made in it lands in this very folder,
// whatever its path comes to name meanwhile (renamed, or swapped for a link to somewhere
// else). Copies share the handle, which closes with the last of them. Any thread.
class Folder {
public:
    // No folder: isOpen() is false.
    Folder() = default;
    // The folder at path; not open when there is none (or path is a link, which is never
    // followed, or a file).
    static Folder open(const FilePath& path);

    bool isOpen() const { return handle_ != nullptr; }
    // What the system calls that make and name things in it take; null when not open.
    const SystemHandle* handle() const { return handle_.get(); }
    // Where it was opened: for what is shown and reported.
    const FilePath& path() const { return path_; }

    // The subfolder name (one name, no '/'), made when missing; not open when it cannot be
    // made or is not a folder (a link included).
    Folder child(const QByteArray& name) const;
    // The subfolders along relative ("album/2019"), each made when missing; this folder for an
    // empty one.
    Folder descendant(const QByteArray& relative) const;
    // True when something, even a dangling link, has this name inside.
    bool holds(const QByteArray& name) const;
    // True when the folder has been removed since it was opened.
    bool isGone() const;

private:
    Folder(std::shared_ptr<const SystemHandle> handle, FilePath path);

    std::shared_ptr<const SystemHandle> handle_;
    FilePath path_;
};

} // namespace quillmorph
