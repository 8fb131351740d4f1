#include "batch/ConvertFiles.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"
#include "engine/FormatWriters.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
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

TEST(MessagesTest, ErrorProcNumbersStatusesFromOne) {
    EXPECT_EQ(message::ErrorProc(20004, QStringLiteral("Load")), QStringLiteral("エラー:  5 In Load"));
    EXPECT_EQ(message::ErrorProc(20000, QStringLiteral("Size")), QStringLiteral("エラー:  1 In Size"));
    EXPECT_EQ(message::ErrorProc(20036, QStringLiteral("Save")), QStringLiteral("エラー:  37 In Save"));
    EXPECT_EQ(message::ErrorProc(20037, QStringLiteral("Save")), QStringLiteral("エラー:  0 In Save"));
    EXPECT_EQ(message::ErrorProc(-1, QStringLiteral("Load")), QStringLiteral("エラー:  0 In Load"));
}

TEST(MessagesTest, CountsCarryTheirSignPosition) {
    EXPECT_EQ(message::completed(3), QStringLiteral(" 3ファイルを変換終了しました。"));
    EXPECT_EQ(message::completed(0), QStringLiteral(" 0ファイルを変換終了しました。"));
    EXPECT_EQ(message::cancelled(12), QStringLiteral(" 12ファイルを変換した時点で中止しました。"));
    EXPECT_EQ(message::signedPosition(-4), QStringLiteral("-4"));
    EXPECT_EQ(message::formatSelection(QStringLiteral("jpeg")),
              QStringLiteral("画像形式の選択エラーです [jpeg]"));
}

TEST(MessagesTest, AFailureNamesItsFileOnASecondLine) {
    const FilePath file(QStringLiteral("/in/a.png"));
    EXPECT_EQ(message::text(Failure::engine(20000, Stage::Size, file)),
              QStringLiteral("エラー:  1 In Size\n/in/a.png"));
    EXPECT_EQ(message::text(Failure::unknownFormat(QStringLiteral("TIF"), {})),
              QStringLiteral("画像形式の選択エラーです [TIF]"));
    EXPECT_EQ(message::text(Failure::of(Failure::Kind::CombineFailed, file)),
              QStringLiteral("ERR: LEAD1 Combine\n/in/a.png"));
    EXPECT_EQ(message::text(Failure::of(Failure::Kind::FillFailed, {})), QStringLiteral("ERR: LEAD1 Fill"));
    // For a terminal, no character of a name may act on it: C0, DEL and C1 (CSI) are escaped.
    const FilePath hostile = FilePath::fromNative("/in/\x1b[2J\x7f\xc2\x9b\xe5\x86\x99\xe9.png");
    EXPECT_EQ(message::text(Failure::engine(20006, Stage::Load, hostile), message::PathForm::Terminal),
              QStringLiteral("エラー:  7 In Load\n/in/\\x1B[2J\\x7F\\xC2\\x9B写\uFFFD.png"));
}

TEST(MessagesTest, EveryStatusAUserCanMeetHasOnePlainSentence) {
    QSet<QString> sentences;
    for (EngineStatus st = status::kEngineFailure; st <= status::kTooManyOpenFiles; ++st)
        sentences << message::sentence(Failure::engine(st, Stage::Load, {}));
    EXPECT_EQ(sentences.size(), status::kTooManyOpenFiles - status::kEngineFailure + 1);
    EXPECT_FALSE(sentences.contains(QString()));
    EXPECT_EQ(message::sentence(Failure::engine(status::kLast, Stage::Save, {})), QString()) << "reserved";
    EXPECT_EQ(message::sentence(Failure::of(Failure::Kind::NotAnImage, {})), QString());
    EXPECT_FALSE(message::sentence(Failure::of(Failure::Kind::FillFailed, {})).isEmpty());
    const Failure cut = Failure::engine(status::kCorruptData, Stage::Load, QStringLiteral("/in/a.png"));
    EXPECT_EQ(message::withSentence(message::text(cut), cut),
              QStringLiteral("エラー:  7 In Load\n/in/a.png\nファイルが壊れているか、途中で切れています。"));
}

TEST(MessagesTest, SizesCountIn1024sWithOneDecimal) {
    const std::pair<qint64, const char*> rows[] = {
        {0, "0 B"}, {1023, "1023 B"}, {1024, "1.0 KB"}, {712'000, "695.3 KB"},
        {1'048'530, "1.0 MB"}, {50'541'363, "48.2 MB"}, {3'250'586, "3.1 MB"}, {5'476'083'302, "5.1 GB"}};
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(message::byteSize(bytes), QLatin1String(text)) << bytes;
    EXPECT_EQ(message::sizes({50'541'363, 3'250'586, 40}), QStringLiteral("合計 48.2 MB → 3.1 MB"));
    EXPECT_EQ(message::sizes({}), QString()) << "nothing converted, nothing to say";
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
        {"VipsJpeg: Premature end of input file", status::kCorruptData},
    };
    for (const auto& m : messages)
        EXPECT_EQ(statusFromLibraryMessage(QString::fromUtf8(m.text), status::kCorruptData), m.status) << m.text;
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

TEST(OutputFormatTest, LookupIsExactAndCaseSensitive) {
    ASSERT_TRUE(outputFormatFor(QStringLiteral("JPEG")));
    EXPECT_EQ(formatChoiceFor(QStringLiteral("PNG")).row, outputFormatFor(FormatCode::Png));
    EXPECT_EQ(formatChoiceFor(QStringLiteral("jpeg")).row, nullptr);
    EXPECT_EQ(formatChoiceFor(QStringLiteral("jpeg")).unknownText, QStringLiteral("jpeg"));
    EXPECT_STREQ(outputFormatFor(QStringLiteral("JPEG"))->extension, ".jpg");
    EXPECT_EQ(outputFormatFor(QStringLiteral("RAS"))->code, FormatCode::Ras);
    EXPECT_EQ(int(outputFormatFor(QStringLiteral("PSD"))->code), 76);
    EXPECT_FALSE(outputFormatFor(QStringLiteral("jpeg")));
    EXPECT_FALSE(outputFormatFor(QStringLiteral("JPEG ")));
    EXPECT_FALSE(outputFormatFor(QStringLiteral("TIF")));
    QStringList names;
    for (const OutputFormat& format : outputFormats())
        names << QLatin1String(format.name) + QLatin1String(format.extension);
    EXPECT_EQ(names.join(' '), "BMP.bmp JPEG.jpg PNG.png GIF.gif PSD.psd CMP.cmp PCT.pct RAS.ras "
                               "WEBP.webp AVIF.avif JXL.jxl TIFF.tif");
}

TEST(OutputFormatTest, AFormatWithoutItsEncoderIsToldApart) {
    for (const OutputFormat& format : outputFormats())
        EXPECT_TRUE(canWrite(format)) << format.name; // the Makefile installs a complete libvips
    OutputFormat missing = *outputFormatFor(QStringLiteral("AVIF"));
    missing.saver = "nosuchsave";
    EXPECT_FALSE(canWrite(missing));
    EXPECT_EQ(message::ErrorProc(status::kNoEncoder, QStringLiteral("Save")), QStringLiteral("エラー:  18 In Save"));
}

TEST(QualityTest, JpegQualityFollowsTheFactor) {
    EXPECT_EQ(jpegQualityFromFactor(2), 100);
    EXPECT_EQ(jpegQualityFromFactor(32), 88);
    EXPECT_EQ(jpegQualityFromFactor(128), 50);
    EXPECT_EQ(jpegQualityFromFactor(248), 2);
    EXPECT_EQ(jpegQualityFromFactor(254), 1);
    EXPECT_EQ(jpegQualityFromFactor(-124), 100);
    EXPECT_EQ(jpegQualityFromFactor(32767), 1);
}

} // namespace
} // namespace quillmorph
