#include "files/PartialOutput.h"

#include "files/FilePathWindows.h"
#include "files/FolderWindows.h"
#include "files/SystemErrorWindows.h"
#include "files/SystemHandleWindows.h"

#include <windows.h>

namespace quillmorph {

PartialOutput::Attempt PartialOutput::createAnonymous(const Folder&) {
    // Windows has no file without a name: a hidden temporary name it is.
    return {{}, status::kWriteFailed, true};
}

PartialOutput::Attempt PartialOutput::createNamed(const Folder& folder, const QByteArray& name) {
    const std::wstring path = pathInside(folder, name);
    if (path.empty())
        return {{}, status::kFolderMissing};
    // The writer (libvips, through another C library) opens the file again by its name, asking
    // to share reading and writing but not deletion: this handle holds no data access, so it
    // never bars that, nor, sharing deletion, the rename that commits the file. It stays open
    // for the times given to the file. No FILE_ATTRIBUTE_HIDDEN: the writer's CREATE_ALWAYS is
    // refused on a hidden file; the leading '.' and ".part" keep it out of listings.
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        return {systemHandle(file)};
    const DWORD error = ::GetLastError();
    return {{},
            statusFromWindowsError(error, FileRole::NewOutput, status::kWriteFailed),
            error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS};
}

FilePath PartialOutput::nameOf(const SystemHandle& file) {
    return fromWide(plainPath(finalPathOf(handleOf(file))));
}

bool PartialOutput::takeTimesOf(const FilePath& source) {
    if (!file_.isOpen())
        return false;
    const SystemHandle from =
        systemHandle(::CreateFileW(toWide(source).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILETIME accessed{};
    FILETIME modified{};
    if (!from.isOpen() || !::GetFileTime(handleOf(from), nullptr, &accessed, &modified))
        return false;
    // Renaming the file into place later leaves its times as they are.
    return ::SetFileTime(handleOf(file_), nullptr, &accessed, &modified) != 0;
}

EngineStatus PartialOutput::placeAs(const Folder& folder, const QByteArray& name) const {
    // Without MOVEFILE_REPLACE_EXISTING, MoveFileExW never replaces an existing name.
    const std::wstring from = pathInside(folder_, temporary_);
    const std::wstring to = pathInside(folder, name);
    if (from.empty() || to.empty())
        return status::kFolderMissing;
    if (::MoveFileExW(from.c_str(), to.c_str(), 0))
        return status::kOk;
    return statusFromLastError(FileRole::NewOutput, status::kWriteFailed);
}

void PartialOutput::removeTemporary() const {
    const std::wstring path = pathInside(folder_, temporary_);
    if (!path.empty())
        ::DeleteFileW(path.c_str());
}

} // namespace quillmorph
