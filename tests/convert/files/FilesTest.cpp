#include "files/EngineStatus.h"
#include "files/FileNames.h"
#include "files/OutputFolder.h"
#include "files/SystemError.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(FileNamesTest, BaseNameKeepsTheExtension) {
    EXPECT_EQ(GetBaseName(QStringLiteral("/home/u/Pictures/IMG_0001.JPG")), "IMG_0001.JPG");
    EXPECT_EQ(GetBaseName(QStringLiteral("/写真/写真.png")), QByteArray("写真.png"));
    EXPECT_EQ(GetBaseName(QStringLiteral("plain.bmp")), "plain.bmp");
}

TEST(FileNamesTest, FileTitleDropsOnlyTheLastExtension) {
    EXPECT_EQ(ufnGetFileTitle("IMG_0001.JPG"), "IMG_0001");
    EXPECT_EQ(ufnGetFileTitle("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(ufnGetFileTitle("x.y.bmp"), "x.y");
    EXPECT_EQ(ufnGetFileTitle("photo"), "photo");
    EXPECT_EQ(ufnGetFileTitle(".profile"), ".profile");
    EXPECT_EQ(ufnGetFileTitle(".hidden"), ".hidden");
    EXPECT_EQ(ufnGetFileTitle("a."), "a.");
    EXPECT_EQ(ufnGetFileTitle("abc."), "abc.");
    EXPECT_EQ(ufnGetFileTitle("a.b"), "a");
    EXPECT_EQ(ufnGetFileTitle("..b"), ".");
    EXPECT_EQ(ufnGetFileTitle(QByteArray()), "");
}

TEST(FileNamesTest, CollidingOutputsGetNumberedNames) {
    QTemporaryDir dir;
    const Folder folder = Folder::open(dir.path());
    QSet<FilePath> taken;
    EXPECT_EQ(freeOutputName(folder, "a", ".jpg", taken), "a.jpg");
    EXPECT_EQ(freeOutputName(folder, "a", ".jpg", taken), "a (2).jpg");

    QSet<FilePath> fresh;
    QFile existing(dir.filePath(QStringLiteral("b.png")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    EXPECT_EQ(freeOutputName(folder, "b", ".png", fresh), "b (2).png");
}

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

TEST(OutputFolderTest, JapaneseLocaleGivesDigitsOnly) {
    const QDateTime when(QDate(2026, 12, 7), QTime(9, 6, 32));
    EXPECT_EQ(outputFolderName(when, QLocale(QLocale::Japanese, QLocale::Japan)),
              QStringLiteral("pic2026120790632"));
    EXPECT_EQ(outputFolderName(QDateTime(QDate(2026, 1, 2), QTime(23, 59, 5)),
                               QLocale(QLocale::Japanese, QLocale::Japan)),
              QStringLiteral("pic20260102235905"));
}

TEST(OutputFolderTest, OtherLocalesKeepTheirMarkersButNoSeparators) {
    const QString name = outputFolderName(QDateTime(QDate(2026, 12, 7), QTime(21, 6, 32)),
                                          QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(name.startsWith(QLatin1String("pic")));
    EXPECT_FALSE(name.contains(QLatin1Char('/')));
    EXPECT_FALSE(name.contains(QLatin1Char(':')));
    EXPECT_TRUE(name.contains(QLatin1String("90632"))) << name.toStdString();
    EXPECT_TRUE(name.contains(QLatin1String("PM"))) << name.toStdString();
}

TEST(OutputFolderTest, AnExistingFolderIsNeverReused) {
    QTemporaryDir parent;
    const FilePath first = createOutputFolder(parent.path(), QStringLiteral("pic1"));
    const FilePath second = createOutputFolder(parent.path(), QStringLiteral("pic1"));
    EXPECT_EQ(first, FilePath(parent.filePath(QStringLiteral("pic1"))));
    EXPECT_EQ(second, FilePath(parent.filePath(QStringLiteral("pic1 (2)"))));
    EXPECT_TRUE(QFileInfo(second.display()).isDir());

    const FilePath nested = createOutputFolder(parent.filePath(QStringLiteral("デスクトップ/x")),
                                               QStringLiteral("pic2"));
    EXPECT_TRUE(QFileInfo(nested.display()).isDir());
}

} // namespace
} // namespace quillmorph
