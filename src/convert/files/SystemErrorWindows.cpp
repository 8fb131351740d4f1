#include "files/SystemErrorWindows.h"

#include "files/SystemErrorWordings.h"

#include <cerrno>
#include <cstring>
#include <windows.h>

namespace quillmorph {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's winerror.h leaves out.
constexpr unsigned long kDiskQuotaExceeded = 1295;

struct ErrorStatus {
    unsigned long error;
    EngineStatus named;     // status::kOk: the fallback
    EngineStatus newOutput; // status::kOk: the fallback
};

// The errors the W functions give, in the order a message is searched: where a text names two,
// the first row wins. ERROR_NOT_ENOUGH_QUOTA is the process's share of memory, not of a disc.
constexpr ErrorStatus kWindowsStatuses[] = {
    {ERROR_DISK_FULL, status::kDiskFull, status::kDiskFull},
    {ERROR_HANDLE_DISK_FULL, status::kDiskFull, status::kDiskFull},
    {kDiskQuotaExceeded, status::kDiskFull, status::kDiskFull},
    {ERROR_ACCESS_DENIED, status::kAccessDenied, status::kAccessDenied},
    {ERROR_WRITE_PROTECT, status::kAccessDenied, status::kAccessDenied},
    {ERROR_SHARING_VIOLATION, status::kAccessDenied, status::kAccessDenied},
    {ERROR_LOCK_VIOLATION, status::kAccessDenied, status::kAccessDenied},
    {ERROR_FILE_NOT_FOUND, status::kFileNotFound, status::kFolderMissing},
    {ERROR_PATH_NOT_FOUND, status::kFileNotFound, status::kFolderMissing},
    {ERROR_BAD_NETPATH, status::kFileNotFound, status::kFolderMissing},
    {ERROR_DIRECTORY, status::kNotAFile, status::kFolderMissing},
    {ERROR_FILE_EXISTS, status::kOk, status::kOutputExists},
    {ERROR_ALREADY_EXISTS, status::kOk, status::kOutputExists},
    {ERROR_NOT_ENOUGH_MEMORY, status::kOutOfMemory, status::kOutOfMemory},
    {ERROR_OUTOFMEMORY, status::kOutOfMemory, status::kOutOfMemory},
    {ERROR_COMMITMENT_LIMIT, status::kOutOfMemory, status::kOutOfMemory},
    {ERROR_NOT_ENOUGH_QUOTA, status::kOutOfMemory, status::kOutOfMemory},
    {ERROR_FILENAME_EXCED_RANGE, status::kNameTooLong, status::kNameTooLong},
    // A limit of the process or the system, whichever file meets it: not the file's fault.
    {ERROR_TOO_MANY_OPEN_FILES, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
};

EngineStatus orFallback(EngineStatus status, EngineStatus fallback) {
    return status != status::kOk ? status : fallback;
}

template <size_t N>
EngineStatus statusIn(const ErrorStatus (&table)[N], unsigned long error, FileRole role,
                      EngineStatus fallback) {
    for (const ErrorStatus& row : table) {
        if (row.error == error)
            return orFallback(role == FileRole::Named ? row.named : row.newOutput, fallback);
    }
    return fallback;
}

// The system's wording of a Windows error in the desktop's language, without the full stop and
// line end it comes with; empty when it has none.
QString windowsWording(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return {};
    QString wording = QString::fromWCharArray(text, int(length)).trimmed();
    ::LocalFree(text);
    while (wording.endsWith(QLatin1Char('.')) || wording.endsWith(QChar(0x3002)))
        wording.chop(1);
    return wording;
}

QString errnoWording(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool names(const QString& text, const QString& wording) {
    return !wording.isEmpty() && text.contains(wording, Qt::CaseInsensitive);
}

} // namespace

EngineStatus statusFromWindowsError(unsigned long error, FileRole role, EngineStatus fallback) {
    return statusIn(kWindowsStatuses, error, role, fallback);
}

EngineStatus statusFromLastError(FileRole role, EngineStatus fallback) {
    return statusFromWindowsError(::GetLastError(), role, fallback);
}

EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback) {
    for (const ErrorStatus& row : kWindowsStatuses) {
        if (row.named != status::kOk && names(text, windowsWording(row.error)))
            return row.named;
    }
    const EngineStatus named = errnoStatusNamedIn(text);
    return named != status::kOk ? named : fallback;
}

QStringList temporaryFolderFullWordings() {
    QStringList wordings;
    constexpr unsigned long kFull[] = {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, kDiskQuotaExceeded,
                                       ERROR_FILE_TOO_LARGE};
    for (const unsigned long error : kFull) {
        if (const QString wording = windowsWording(error); !wording.isEmpty())
            wordings << wording;
    }
    for (const int error : {ENOSPC, EFBIG})
        wordings << errnoWording(error);
    return wordings;
}

} // namespace quillmorph
