#include "files/FolderWindows.h"

#include "files/FilePathWindows.h"
#include "files/SystemHandleWindows.h"

#include <windows.h>

namespace quillmorph {

namespace {

// Held without FILE_SHARE_DELETE, the folder can be neither renamed nor removed, nor swapped
// for a junction, while it is open; what is made in it may still be.
SystemHandle openFolder(const std::wstring& path) {
    SystemHandle folder = systemHandle(
        ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!folder.isOpen() ||
        !::GetFileInformationByHandleEx(handleOf(folder), FileAttributeTagInfo, &info,
                                        sizeof info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    // A junction or a link is never followed: it might lead anywhere. Other reparse points (a
    // OneDrive folder's) are the folder itself.
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        IsReparseTagNameSurrogate(info.ReparseTag))
        return {};
    return folder;
}

bool isOneName(const QByteArray& name) {
    return !name.isEmpty() && !name.contains('/') && !name.contains('\\') && !name.contains(':') &&
           name != "." && name != "..";
}

} // namespace

std::wstring pathInside(const Folder& folder, const QByteArray& name) {
    if (!folder.isOpen())
        return {};
    std::wstring path = finalPathOf(handleOf(*folder.handle()));
    if (path.empty())
        return {};
    if (path.back() != L'\\')
        path += L'\\';
    return path + wideFromWtf8(name);
}

Folder Folder::open(const FilePath& path) {
    SystemHandle folder = openFolder(toWide(path));
    if (!folder.isOpen())
        return {};
    return Folder(std::make_shared<const SystemHandle>(std::move(folder)), path);
}

Folder Folder::child(const QByteArray& name) const {
    // ':' would name an alternate data stream of the folder, not a folder in it.
    if (!isOpen() || !isOneName(name))
        return {};
    const std::wstring path = pathInside(*this, name);
    if (path.empty() ||
        (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS))
        return {};
    SystemHandle child = openFolder(path);
    if (!child.isOpen())
        return {};
    return Folder(std::make_shared<const SystemHandle>(std::move(child)), path_.child(name));
}

bool Folder::holds(const QByteArray& name) const {
    const std::wstring path = pathInside(*this, name);
    return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Folder::isGone() const {
    FILE_STANDARD_INFO info{};
    return !isOpen() ||
           !::GetFileInformationByHandleEx(handleOf(*handle()), FileStandardInfo, &info,
                                           sizeof info) ||
           info.DeletePending;
}

} // namespace quillmorph
