#include "files/EngineStatus.h"
#include "files/FileNames.h"
#include "files/FileSystem.h"
#include "files/OutputFolder.h"
#include "files/PartialOutput.h"
#include "files/SourceFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
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

// What a drop reads of a folder: its files, a link to one among them, and its folders; nothing
// hidden, no link to a folder, no dangling link.
TEST(FileSystemTest, AFolderListsItsFilesAndFoldersNothingHiddenNorLinkedFolders) {
#ifdef _WIN32
    GTEST_SKIP() << "QFile::link makes a shortcut on Windows, no link; FilesWindowsTest lists a Windows folder";
#endif
    QTemporaryDir dir;
    const QDir root(dir.path());
    for (const char* name : {"a.jpg", ".hidden.jpg", "sub/b.png"}) {
        ASSERT_TRUE(root.mkpath(QFileInfo(root.filePath(QString::fromUtf8(name))).path()));
        QFile file(root.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(root.mkdir(QStringLiteral(".hidden")));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("a.jpg")), root.filePath(QStringLiteral("link.jpg"))));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("sub")), root.filePath(QStringLiteral("up"))));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("gone.jpg")), root.filePath(QStringLiteral("dangling.jpg"))));

    FolderEntries entries = listFolder(dir.path());
    EXPECT_EQ(entries.status, status::kOk);
    std::sort(entries.files.begin(), entries.files.end());
    EXPECT_EQ(entries.files, QByteArrayList({"a.jpg", "link.jpg"}));
    EXPECT_EQ(entries.folders, QByteArrayList({"sub"}));
    EXPECT_EQ(listFolder(root.filePath(QStringLiteral("missing"))).status, status::kFileNotFound);
    EXPECT_EQ(listFolder(root.filePath(QStringLiteral("a.jpg"))).status, status::kNotAFile);
}

TEST(FileSystemTest, SizeAndModificationTimeOfAFileToTheSecond) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write("12345"), 5);
    ASSERT_TRUE(file.flush()); // else closing writes, and the time is now
    const QDateTime changed(QDate(2019, 5, 4), QTime(10, 20, 30, 700));
    ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(fileSizeOf(path), 5);
    EXPECT_EQ(modificationTimeOf(path), QDateTime(QDate(2019, 5, 4), QTime(10, 20, 30)));
    EXPECT_EQ(fileSizeOf(dir.filePath(QStringLiteral("missing"))), 0);
    EXPECT_FALSE(modificationTimeOf(dir.filePath(QStringLiteral("missing"))).isValid());
}

// Written through the name it gives, invisible in the folder until committed, never over a name
// taken meanwhile, and gone without a trace when dropped.
TEST(PartialOutputTest, AnOutputAppearsWholeUnderItsNameOnlyWhenCommitted) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no anonymous files: the named temporary shows; FilesWindowsTest commits there";
#endif
    QTemporaryDir dir;
    const Folder folder = Folder::open(dir.path());
    PartialOutput output;
    ASSERT_EQ(output.create(folder), status::kOk);
    QFile writer(output.temporaryPath().display());
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
    ASSERT_EQ(writer.write("pixels"), 6);
    writer.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList()) << "nothing visible before the commit";
    QFile taken(dir.filePath(QStringLiteral("taken.jpg")));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    EXPECT_EQ(output.commit(folder, "taken.jpg"), status::kOutputExists);
    EXPECT_EQ(output.commit(folder, "out.jpg"), status::kOk);
    QFile out(dir.filePath(QStringLiteral("out.jpg")));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "pixels");
    EXPECT_EQ(QFileInfo(taken).size(), 0);

    {
        PartialOutput dropped;
        ASSERT_EQ(dropped.create(folder), status::kOk);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("out.jpg"), QStringLiteral("taken.jpg")}));
    EXPECT_EQ(PartialOutput().commit(folder, "x.jpg"), status::kNoImage);
}

// A source read on a stream of its own from its start; a folder is not read at all.
TEST(SourceFileTest, ReadsOnAStreamOfItsOwnOnlyARegularFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write("JFIF"), 4);
    file.close();
    EngineStatus opened = status::kEngineFailure;
    const auto source = SourceFile::open(file.fileName(), opened);
    ASSERT_EQ(opened, status::kOk);
    EXPECT_EQ(source->contents(100), "JFIF");
    const ReadStream stream = openRegularForReading(source->loaderName().c_str());
    ASSERT_TRUE(stream);
    char bytes[8] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, stream.get()), 4u);
    EXPECT_STREQ(bytes, "JFIF");
    EXPECT_FALSE(openRegularForReading(QFile::encodeName(dir.path()).constData()));
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
