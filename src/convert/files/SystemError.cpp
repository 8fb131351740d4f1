#include "files/SystemError.h"

#include "files/SystemErrorWordings.h"

#include <QDir>
#include <algorithm>
#include <iterator>

namespace quillmorph {

namespace {

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
