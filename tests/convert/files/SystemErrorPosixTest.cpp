#include "files/EngineStatus.h"
#include "files/SystemError.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(SystemErrorTest, AMissingNameMeansWhatWasBeingDone) {
    EXPECT_EQ(statusFromErrno(ENOENT, FileRole::Named, status::kWriteFailed), status::kFileNotFound);
    EXPECT_EQ(statusFromErrno(ENOENT, FileRole::NewOutput, status::kWriteFailed), status::kFolderMissing);
    EXPECT_EQ(statusFromErrno(ENOTDIR, FileRole::Named, status::kNotAFile), status::kNotAFile);
    EXPECT_EQ(statusFromErrno(EDQUOT, FileRole::NewOutput, status::kWriteFailed), status::kDiskFull);
    EXPECT_EQ(statusFromErrno(ENOMEM, FileRole::NewOutput, status::kWriteFailed), status::kOutOfMemory);
    EXPECT_EQ(statusFromErrno(EMFILE, FileRole::Named, status::kAccessDenied), status::kTooManyOpenFiles);
    EXPECT_EQ(statusFromErrno(ENFILE, FileRole::NewOutput, status::kWriteFailed), status::kTooManyOpenFiles);
    EXPECT_EQ(statusFromErrno(ENAMETOOLONG, FileRole::NewOutput, status::kWriteFailed), status::kNameTooLong);
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("write: ") + QString::fromLocal8Bit(std::strerror(EROFS)),
                                      status::kEngineFailure),
              status::kAccessDenied);
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("bad Huffman code"), status::kCorruptData),
              status::kCorruptData);
}

// The same cause, whichever library meets it first, as each words it.
TEST(SystemErrorTest, LibrariesMessagesOfTheSameCauseGiveOneStatus) {
    const struct {
        const char* text;
        EngineStatus status;
    } messages[] = {
        {"VipsJpeg: Insufficient memory (case 4)", status::kOutOfMemory},
        {"out of memory --- size == 1525MB", status::kOutOfMemory},
        {"pngload: Insufficient memory for save_buffer", status::kOutOfMemory},
        {"tiff2vips: Cannot allocate decompression stream", status::kOutOfMemory},
        {"heifload: Memory allocation error: Cannot allocate image memory.", status::kOutOfMemory},
        {"magickload: PixelCacheAllocationFailed `x.bmp'", status::kOutOfMemory},
        {"jxlsave: std::bad_alloc", status::kOutOfMemory},
        {"vips_g_thread_new: unable to create thread", status::kOutOfMemory},
        {"GLib: Error creating thread: Resource temporarily unavailable", status::kOutOfMemory},
        {"vips2webp: picture memory error", status::kOutOfMemory}, // libwebp's picture
        {"VipsJpeg: Premature end of input file", status::kCorruptData},
    };
    for (const auto& m : messages)
        EXPECT_EQ(statusFromLibraryMessage(QString::fromUtf8(m.text), status::kCorruptData), m.status) << m.text;
    // libvips' own disc images, unpacked into the temporary folder, are the picture's: too large.
    // An output's saver fails through the same disc sink, but the system's words are its own.
    const auto unixError = [](int error) { return QStringLiteral("\nunix error: ") + QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('\n'); };
    for (const int error : {ENOSPC, EDQUOT, EFBIG}) {
        EXPECT_EQ(statusFromLibraryMessage(QStringLiteral("wbuffer_write: write failed") + unixError(error), status::kCorruptData),
                  status::kImageTooLarge) << error;
        EXPECT_EQ(statusFromLibraryMessage(QStringLiteral("vips__write: write failed") + unixError(error), status::kCorruptData),
                  status::kImageTooLarge) << error;
    }
    const QString saverFailed = QStringLiteral("/out/x.png: write error") + unixError(ENOSPC) +
                                QStringLiteral("wbuffer_write: write failed") + unixError(-1) +
                                QStringLiteral("vips2png: unable to write to target /out/x.png\n");
    EXPECT_EQ(statusFromLibraryMessage(saverFailed, status::kCorruptData), status::kDiskFull);
    const QString unmade = QStringLiteral("VipsImage: unable to write to \"") + QDir::tempPath() +
                           QStringLiteral("/vips-0-1.v\"") + unixError(ENOENT);
    EXPECT_EQ(statusFromLibraryMessage(unmade, status::kCorruptData), status::kImageTooLarge);
    EXPECT_TRUE(isTemporaryWriteFailure(QStringLiteral("VipsImage: unable to write to \"/t/q/vips-0-1.v\"") + unixError(EACCES), QStringLiteral("/t/q/")));
    EXPECT_FALSE(isTemporaryWriteFailure(QStringLiteral("VipsImage: unable to write to \"/t/qq/vips-0-1.v\"") + unixError(EACCES), QStringLiteral("/t/q")));
    // The system's own words, in the language of the desktop.
    for (const int error : {EMFILE, ENFILE}) {
        const QString text = QStringLiteral("unable to open \"/p/x.jpg\": ") + QString::fromLocal8Bit(std::strerror(error));
        EXPECT_EQ(statusFromLibraryMessage(text, status::kCorruptData), status::kTooManyOpenFiles) << error;
    }
}

} // namespace
} // namespace quillmorph
