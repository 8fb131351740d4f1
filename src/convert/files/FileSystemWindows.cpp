#include "files/FileSystem.h"

#include "files/FilePathWindows.h"
#include "files/SystemErrorWindows.h"
#include "files/SystemHandleWindows.h"

#include <iterator>
#include <memory>
#include <optional>
#include <vector>
#include <windows.h>

namespace quillmorph {

namespace {

// What is at path, a link or junction followed to where it leads; nothing when there is none.
std::optional<BY_HANDLE_FILE_INFORMATION> followedInfo(const FilePath& path) {
    const SystemHandle file =
        systemHandle(::CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.isOpen() || !::GetFileInformationByHandle(handleOf(file), &info))
        return std::nullopt;
    return info;
}

bool isFolderAttribute(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// FILETIME counts 100 ns from 1601; the epoch is 11644473600 s later.
qint64 secondsSinceEpoch(const FILETIME& time) {
    const qint64 ticks = qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return ticks / 10'000'000 - 11'644'473'600LL;
}

using Kind = FolderEntries::Kind;

Kind kindOf(const FilePath& path, const WIN32_FIND_DATAW& entry) {
    const DWORD attributes = entry.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return Kind::Other;
    // Only a link or a junction leads elsewhere; other reparse points (OneDrive's) are the
    // file or folder itself. The tag is in dwReserved0; Wine leaves it 0 for a link.
    const DWORD tag = entry.dwReserved0;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (tag != 0 && !IsReparseTagNameSurrogate(tag)))
        return isFolderAttribute(attributes) ? Kind::Folder : Kind::File;
    // A link or junction to a folder might lead back up the tree: never entered. One to a file
    // counts when it leads to one.
    if (isFolderAttribute(attributes))
        return Kind::Other;
    const std::optional<BY_HANDLE_FILE_INFORMATION> target = followedInfo(path);
    return target && !isFolderAttribute(target->dwFileAttributes) ? Kind::File : Kind::Other;
}

bool isHidden(const WIN32_FIND_DATAW& entry) {
    return entry.cFileName[0] == L'.' || (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
}

struct FindCloser {
    void operator()(HANDLE find) const { ::FindClose(find); }
};

} // namespace

bool nameIsTaken(const FilePath& path) {
    // The attributes of a link itself: a dangling one is there too.
    return ::GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const FilePath& path) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = followedInfo(path);
    return info && isFolderAttribute(info->dwFileAttributes);
}

qint64 fileSizeOf(const FilePath& path) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = followedInfo(path);
    return info ? qint64((quint64(info->nFileSizeHigh) << 32) | info->nFileSizeLow) : 0;
}

QDateTime modificationTimeOf(const FilePath& path) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info = followedInfo(path);
    if (!info)
        return {};
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch(info->ftLastWriteTime));
}

MadeFolder makeFolder(const FilePath& path) {
    if (::CreateDirectoryW(toWide(path).c_str(), nullptr))
        return MadeFolder::Made;
    return ::GetLastError() == ERROR_ALREADY_EXISTS ? MadeFolder::Exists : MadeFolder::Refused;
}

FolderEntries listFolder(const FilePath& folder) {
    FolderEntries entries;
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = toWide(folder.child(QByteArray("*")));
    const HANDLE find =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A drive's root has no "." nor "..": nothing found is an empty folder. A file in the
        // folder's place fails its pattern with ERROR_DIRECTORY or ERROR_PATH_NOT_FOUND.
        if (error == ERROR_FILE_NOT_FOUND && isFolder(folder))
            return entries;
        entries.status = nameIsTaken(folder) && !isFolder(folder)
                             ? status::kNotAFile
                             : statusFromWindowsError(error, FileRole::Named, status::kNotAFile);
        return entries;
    }
    const std::unique_ptr<void, FindCloser> closer(find);
    do {
        if (isHidden(entry))
            continue;
        QByteArray name = wtf8FromWide(entry.cFileName);
        const Kind kind = kindOf(folder.child(name), entry);
        entries.add(kind, std::move(name));
    } while (::FindNextFileW(find, &entry));
    return entries;
}

QByteArray currentFolder() {
    std::vector<wchar_t> folder(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(DWORD(folder.size()), folder.data());
        if (length < folder.size())
            return wtf8FromWide(std::wstring_view(folder.data(), length));
        folder.resize(length);
    }
}

bool isThisHostName(const QByteArray& host) {
    // The NetBIOS name and the DNS one both name this machine in a file: URI, in any case.
    for (const COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        wchar_t name[256] = {};
        DWORD size = DWORD(std::size(name));
        if (::GetComputerNameExW(format, name, &size) &&
            QString::fromUtf8(host).compare(QString::fromWCharArray(name, int(size)),
                                            Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace quillmorph
