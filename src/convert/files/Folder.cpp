#include "files/Folder.h"

namespace quillmorph {

Folder::Folder(std::shared_ptr<const SystemHandle> handle, FilePath path)
    : handle_(std::move(handle)), path_(std::move(path)) {}

Folder Folder::descendant(const QByteArray& relative) const {
    Folder folder = *this;
    for (const QByteArray& name : relative.split('/')) {
        if (!name.isEmpty())
            folder = folder.child(name);
    }
    return folder;
}

} // namespace quillmorph
