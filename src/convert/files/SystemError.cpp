#include "files/SystemError.h"

#include "files/SystemErrorWordings.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace quillmorph {

namespace {

struct ErrnoStatus {
    int error;
    EngineStatus named;     // status::kOk: the fallback
    EngineStatus newOutput; // status::kOk: the fallback
};

// The C library's errors, as the system calls, _wfopen and the libraries under libvips report
// them; in the order a message is searched: where a text names two errors, the first row wins.
constexpr ErrnoStatus kErrnoStatuses[] = {
    {ENOSPC, status::kDiskFull, status::kDiskFull},
#ifdef EDQUOT // POSIX's; Windows' C library has no quotas
    {EDQUOT, status::kDiskFull, status::kDiskFull},
#endif
    {EACCES, status::kAccessDenied, status::kAccessDenied},
    {EPERM, status::kAccessDenied, status::kAccessDenied},
    {EROFS, status::kAccessDenied, status::kAccessDenied},
    {ENOENT, status::kFileNotFound, status::kFolderMissing},
    {ENOTDIR, status::kOk, status::kFolderMissing},
    {EISDIR, status::kNotAFile, status::kOk},
    {ENOMEM, status::kOutOfMemory, status::kOutOfMemory},
    {ENAMETOOLONG, status::kNameTooLong, status::kNameTooLong},
    // A limit of the process or the system, whichever file meets it: not the file's fault.
    {ENFILE, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
    {EMFILE, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
};

// How the libraries under libvips say an allocation failed (libvips, libjpeg, libpng, libtiff,
// libheif, libwebp, ImageMagick, cairo, C++), lower case. A thread libvips cannot start (GLib's
// "Error creating thread") is memory too: its stack is what the address space no longer has.
constexpr const char* kOutOfMemoryWordings[] = {
    "out of memory",    "insufficient memory",  "not enough memory",  "memory allocation",
    "allocationfailed", "cannot allocate",      "failed to allocate", "unable to allocate",
    "unable to calloc", "calloc failed",        "bad_alloc",          "unable to create thread",
    "creating thread",  "picture memory error",
};

// Where libvips writes its own disc images and nothing else. Its disc sink hands on the system's
// error, on the line after its own, only for them: a saver's failure there reads "Unknown error
// -1", after the saver's own "write error" with the system's error; disc images are also opened
// by name in the temporary folder.
constexpr const char* kDiscImageWriters[] = {"wbuffer_write: ", "vips__write: "};

// True when a line of text starting with writer has wording on it or on the line after.
bool writerMetError(const QString& text, const char* writer, const QString& wording) {
    for (qsizetype at = text.indexOf(QLatin1String(writer)); at >= 0;
         at = text.indexOf(QLatin1String(writer), at + 1)) {
        if (at > 0 && text[at - 1] != QLatin1Char('\n'))
            continue;
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), at);
        const qsizetype nextEnd = lineEnd < 0 ? -1 : text.indexOf(QLatin1Char('\n'), lineEnd + 1);
        if (text.mid(at, nextEnd < 0 ? -1 : nextEnd - at).contains(wording, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

EngineStatus statusFromErrno(int error, FileRole role, EngineStatus fallback) {
    for (const ErrnoStatus& row : kErrnoStatuses) {
        if (row.error == error) {
            const EngineStatus status = role == FileRole::Named ? row.named : row.newOutput;
            return status != status::kOk ? status : fallback;
        }
    }
    return fallback;
}

EngineStatus errnoStatusNamedIn(const QString& text) {
    for (const ErrnoStatus& row : kErrnoStatuses) {
        if (row.named != status::kOk &&
            text.contains(QString::fromLocal8Bit(std::strerror(row.error)), Qt::CaseInsensitive))
            return row.named;
    }
    return status::kOk;
}

bool isTemporaryWriteFailure(const QString& text, const QString& temporaryFolder) {
    const QString folder = QDir::cleanPath(temporaryFolder);
    // libvips names the file as the system spells it: on Windows with '\'.
    const QString inFolder = folder + QLatin1Char('/');
    for (const QString& spelt : {inFolder, QDir::toNativeSeparators(inFolder)}) {
        if (!folder.isEmpty() && text.contains(QStringLiteral("unable to write to \"") + spelt))
            return true;
    }
    const QStringList wordings = temporaryFolderFullWordings();
    return std::any_of(
        std::begin(kDiscImageWriters), std::end(kDiscImageWriters), [&](const char* writer) {
            return std::any_of(wordings.begin(), wordings.end(),
                               [&](const QString& w) { return writerMetError(text, writer, w); });
        });
}

EngineStatus statusFromLibraryMessage(const QString& text, EngineStatus fallback) {
    // libvips takes its temporary folder from TMPDIR as it makes each file.
    if (isTemporaryWriteFailure(text, QDir::tempPath()))
        return status::kImageTooLarge;
    for (const char* wording : kOutOfMemoryWordings) {
        if (text.contains(QLatin1String(wording), Qt::CaseInsensitive))
            return status::kOutOfMemory;
    }
    return statusFromSystemMessage(text, fallback);
}

} // namespace quillmorph
