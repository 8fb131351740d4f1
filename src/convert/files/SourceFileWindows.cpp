#include "files/SourceFile.h"

#include "files/FilePathWindows.h"
#include "files/SystemErrorWindows.h"
#include "files/SystemHandleWindows.h"

#include <algorithm>
#include <cstdio>
#include <io.h>
#include <windows.h>

namespace quillmorph {

namespace {

EngineStatus statusOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return status::kNotAFile;
    return info.nFileSizeHigh == 0 && info.nFileSizeLow == 0 ? status::kEmptyFile : status::kOk;
}

bool isFolderOrMissing(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::shared_ptr<const SourceFile> SourceFile::open(const FilePath& path, EngineStatus& status) {
    const std::wstring wide = toWide(path);
    // Looked at first so that a folder is refused for what it is.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        status = statusFromLastError(FileRole::Named, status::kFileNotFound);
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        status = status::kNotAFile;
        return nullptr;
    }
    // Shared for reading only: while it is held, nobody can change, rename, replace or delete
    // the file at this name, so loaders that open it again by name read the very file checked.
    SystemHandle file =
        systemHandle(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isOpen()) {
        status = statusFromLastError(FileRole::Named, status::kAccessDenied);
        return nullptr;
    }
    // What was opened is what counts.
    if (status = statusOf(handleOf(file)); status != status::kOk)
        return nullptr;
    return std::shared_ptr<const SourceFile>(new SourceFile(std::move(file)));
}

// The name the system holds for what was opened, as the UTF-8 libvips and GLib open on Windows.
SourceFile::SourceFile(SystemHandle file)
    : file_(std::move(file)),
      name_(fromWide(plainPath(finalPathOf(handleOf(file_)))).native().toStdString()) {}

qint64 SourceFile::readAt(qint64 offset, void* into, qint64 count) const {
    // Read at an offset of its own, as pread does: the handle's position is nobody's.
    OVERLAPPED at{};
    at.Offset = DWORD(quint64(offset) & 0xFFFFFFFF);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    DWORD got = 0;
    if (::ReadFile(handleOf(file_), into, DWORD(std::min<qint64>(count, 1 << 30)), &got, &at))
        return qint64(got);
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

qint64 SourceFile::size() const {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handleOf(file_), &size) ? qint64(size.QuadPart) : -1;
}

QByteArray SourceFile::contents(qint64 maxBytes) const {
    const qint64 size = this->size();
    if (size < 0 || size > maxBytes)
        return {};
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 got = readAt(done, bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            break;
        done += qsizetype(got);
    }
    bytes.truncate(done);
    return bytes;
}

ReadStream openRegularForReading(const char* name) {
    // This stream is our own C library's, read only by our own libjpeg, never by libvips.
    const std::wstring wide = wideFromWtf8(QByteArray(name));
    if (isFolderOrMissing(wide))
        return nullptr;
    ReadStream file(::_wfopen(wide.c_str(), L"rb"));
    if (!file)
        return nullptr;
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file.get())));
    if (handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_DISK)
        return nullptr;
    return file;
}

} // namespace quillmorph
