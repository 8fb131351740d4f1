#include "files/FileNames.h"
#include "files/FilePathWindows.h"
#include "files/FileSystem.h"
#include "files/Folder.h"
#include "files/PartialOutput.h"
#include "files/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <vector>
#include <gtest/gtest.h>
#include <vips/vips8>
#include <windows.h>
#include <winioctl.h>

namespace quillmorph {
namespace {

// Japanese with a circled digit, Korean, an emoji (a surrogate pair) and Georgian, which no
// ANSI code page that shows the others can show.
const std::wstring kNames[] = {L"写真①.jpg", L"사진.png", L"\U0001F4F7.webp", L"ფოტო.jpg"};

bool writeFile(const std::wstring& path, const QByteArray& bytes) {
    // As the C library's writers open a file.
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                    written == DWORD(bytes.size());
    ::CloseHandle(file);
    return ok;
}

QByteArray bytesOf(const std::wstring& path) {
    QFile file(QString::fromStdWString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

TEST(FilePathWindowsTest, EveryUtf16NameMakesTheRoundTripUnchanged) {
    for (const std::wstring& name : kNames) {
        EXPECT_EQ(wtf8FromWide(name), QString::fromStdWString(name).toUtf8());
        EXPECT_EQ(wideFromWtf8(wtf8FromWide(name)), name);
    }
    const std::wstring lone = {L'a', wchar_t(0xD83D), L'.', wchar_t(0xDCF7)};
    EXPECT_EQ(wtf8FromWide(lone), QByteArray("a\xED\xA0\xBD.\xED\xB3\xB7"));
    EXPECT_EQ(wideFromWtf8(wtf8FromWide(lone)), lone);
    EXPECT_EQ(toWide(FilePath::fromNative("C:/a\\b/c")), L"C:\\a\\b\\c");
    EXPECT_EQ(wideFromWtf8("x\xFF\xC0\x80y"), L"x\uFFFD\uFFFD\uFFFDy") << "no overlong forms";
}

TEST(FilePathWindowsTest, DrivesSharesAndBothSeparators) {
    const FilePath file = FilePath::fromNative("C:\\Users\\u\\写真.jpg");
    EXPECT_EQ(file.fileName(), QByteArray("写真.jpg"));
    EXPECT_EQ(file.parent(), FilePath::fromNative("C:\\Users\\u"));
    EXPECT_EQ(FilePath::fromNative("C:\\x").parent(), FilePath::fromNative("C:\\"));
    EXPECT_EQ(FilePath::fromNative("\\\\pc\\share\\x").parent(), FilePath::fromNative("\\\\pc\\share\\"));
    EXPECT_EQ(FilePath::fromNative("C:\\a").child(QByteArray("b")), FilePath::fromNative("C:\\a\\b"));
    EXPECT_EQ(FilePath::fromNative("C:/a").child(QByteArray("b")), FilePath::fromNative("C:/a/b"));
    EXPECT_EQ(FilePath::fromNative("C:/a\\..\\b/./c").absolute(), FilePath::fromNative("C:/b/c"));
    EXPECT_EQ(FilePath::fromNative("\\\\pc\\share\\..").absolute(), FilePath::fromNative("\\\\pc\\share\\"));
    QTemporaryDir dir;
    QSet<FilePath> taken;
    EXPECT_EQ(freeOutputName(Folder::open(dir.path()), "IMG", ".JPG", taken), "IMG.JPG");
    EXPECT_EQ(freeOutputName(Folder::open(dir.path()), "img", ".jpg", taken), "img (2).jpg") << "names ignore case";
    EXPECT_EQ(localFilesFromUriList("file:///C:/My%20Pictures/a.jpg\r\n"),
              FilePaths({FilePath::fromNative("C:/My Pictures/a.jpg")}));
}

// Each name kept character for character: made through a held folder, committed, listed and
// read back.
TEST(FilesWindowsTest, NamesTheAnsiCodePageCannotShowAreKept) {
    QTemporaryDir dir;
    const Folder root = Folder::open(dir.path());
    ASSERT_TRUE(root.isOpen());
    const Folder folder = root.child(wtf8FromWide(L"アルバム①"));
    ASSERT_TRUE(folder.isOpen());
    for (const std::wstring& name : kNames) {
        PartialOutput output;
        ASSERT_EQ(output.create(folder), status::kOk);
        ASSERT_TRUE(writeFile(toWide(output.temporaryPath()), wtf8FromWide(name)));
        ASSERT_EQ(output.commit(folder, wtf8FromWide(name)), status::kOk);
    }
    FolderEntries entries = listFolder(folder.path());
    ASSERT_EQ(entries.status, status::kOk);
    QByteArrayList expected;
    for (const std::wstring& name : kNames)
        expected << wtf8FromWide(name);
    std::sort(entries.files.begin(), entries.files.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries.files, expected);
    EXPECT_EQ(QDir(folder.path().display()).entryList(QDir::Files | QDir::Hidden).size(), 4) << "no temporary left";
    for (const std::wstring& name : kNames) {
        EngineStatus opened = status::kEngineFailure;
        const auto source = SourceFile::open(folder.path().child(wtf8FromWide(name)), opened);
        ASSERT_EQ(opened, status::kOk);
        EXPECT_EQ(source->contents(100), wtf8FromWide(name));
        const ReadStream stream = openRegularForReading(source->loaderName().c_str());
        ASSERT_TRUE(stream);
        char bytes[32] = {};
        EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, stream.get()), size_t(wtf8FromWide(name).size()));
    }
}

TEST(FilesWindowsTest, ACommitNeverReplacesAFileNorSeesAHiddenOne) {
    QTemporaryDir dir;
    const Folder folder = Folder::open(dir.path());
    const std::wstring taken = toWide(folder.path().child(QByteArray("taken.jpg")));
    ASSERT_TRUE(writeFile(taken, "kept"));
    PartialOutput output;
    ASSERT_EQ(output.create(folder), status::kOk);
    ASSERT_TRUE(writeFile(toWide(output.temporaryPath()), "new"));
    EXPECT_EQ(output.commit(folder, "taken.jpg"), status::kOutputExists);
    EXPECT_EQ(bytesOf(taken), "kept");
    EXPECT_EQ(listFolder(dir.path()).files, QByteArrayList({"taken.jpg"})) << "the temporary is hidden";
    ASSERT_TRUE(::SetFileAttributesW(taken.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(listFolder(dir.path()).files, QByteArrayList());
}

// libvips, on a C library of its own, opens both by name while they are held: it writes the
// output and reads the source.
TEST(FilesWindowsTest, LibvipsWritesTheOutputAndReadsTheSourceByTheirNames) {
    QTemporaryDir dir;
    const Folder folder = Folder::open(dir.path()).child(wtf8FromWide(L"アルバム"));
    PartialOutput output;
    ASSERT_EQ(output.create(folder), status::kOk);
    vips::VImage::black(7, 5).pngsave(output.temporaryPath().c_str());
    ASSERT_EQ(output.commit(folder, wtf8FromWide(L"写真①.png")), status::kOk);
    EngineStatus opened = status::kEngineFailure;
    const auto source = SourceFile::open(folder.path().child(wtf8FromWide(L"写真①.png")), opened);
    ASSERT_EQ(opened, status::kOk);
    EXPECT_EQ(source->contents(1000).left(4), "\x89PNG");
    EXPECT_EQ(vips::VImage::new_from_file(source->loaderName().c_str()).width(), 7);
}

// Shared for reading only while held: the file at the name cannot be changed, renamed or
// replaced; once released it can.
TEST(FilesWindowsTest, ASourceHeldCannotBeReplacedNorRenamed) {
    QTemporaryDir dir;
    const std::wstring path = toWide(FilePath(dir.filePath(QStringLiteral("写真.jpg"))));
    const std::wstring other = toWide(FilePath(dir.filePath(QStringLiteral("other.jpg"))));
    const std::wstring moved = toWide(FilePath(dir.filePath(QStringLiteral("moved.jpg"))));
    ASSERT_TRUE(writeFile(path, "JFIF"));
    ASSERT_TRUE(writeFile(other, "evil"));
    {
        EngineStatus opened = status::kEngineFailure;
        const auto source = SourceFile::open(fromWide(path), opened);
        ASSERT_EQ(opened, status::kOk);
        EXPECT_FALSE(::MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_FALSE(::MoveFileExW(path.c_str(), moved.c_str(), 0));
        EXPECT_FALSE(writeFile(path, "changed"));
        EXPECT_EQ(source->contents(100), "JFIF");
        EXPECT_EQ(bytesOf(QString::fromStdString(source->loaderName()).toStdWString()), "JFIF")
            << "a loader reopening it by name";
    }
    EXPECT_TRUE(::MoveFileExW(path.c_str(), moved.c_str(), 0));
    EngineStatus status = status::kOk;
    EXPECT_FALSE(SourceFile::open(dir.path(), status));
    EXPECT_EQ(status, status::kNotAFile);
    EXPECT_FALSE(SourceFile::open(fromWide(path), status));
    EXPECT_EQ(status, status::kFileNotFound);
}

// A junction to target at link, as mklink /J makes one (no privilege needed, unlike a symbolic
// link); false when the file system makes none.
bool makeJunction(const std::wstring& link, const std::wstring& target) {
    if (!::CreateDirectoryW(link.c_str(), nullptr))
        return false;
    const HANDLE folder = ::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    // REPARSE_DATA_BUFFER's mount point form: tag, length, reserved, then the substitute name
    // ("\??\" + target) and the print name, each ended by a zero.
    const std::wstring names = L"\\??\\" + target + L'\0' + target + L'\0';
    std::vector<WORD> buffer = {0, 0, 0, 0, 0, WORD((target.size() + 4) * 2),
                                WORD((target.size() + 5) * 2), WORD(target.size() * 2)};
    buffer.insert(buffer.end(), names.begin(), names.end());
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.data(), &tag, sizeof tag);
    buffer[2] = WORD(buffer.size() * 2 - 8);
    DWORD returned = 0;
    const bool made = ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        DWORD(buffer.size() * 2), nullptr, 0, &returned, nullptr);
    ::CloseHandle(folder);
    return made;
}

// A folder link might lead anywhere: never opened, never listed.
TEST(FilesWindowsTest, AFolderLinkIsRefused) {
    QTemporaryDir dir;
    const std::wstring real = toWide(FilePath(dir.filePath(QStringLiteral("real"))));
    const std::wstring link = toWide(FilePath(dir.filePath(QStringLiteral("link"))));
    ASSERT_TRUE(::CreateDirectoryW(real.c_str(), nullptr));
    const bool linked = ::CreateSymbolicLinkW(link.c_str(), real.c_str(),
                                              SYMBOLIC_LINK_FLAG_DIRECTORY |
                                                  SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
                        nameIsTaken(fromWide(link));
    if (!linked && !makeJunction(link, real))
        GTEST_SKIP() << "this file system makes no folder links (Wine's does not)";
    EXPECT_FALSE(Folder::open(fromWide(link)).isOpen());
    EXPECT_FALSE(Folder::open(dir.path()).child("link").isOpen());
    EXPECT_EQ(listFolder(dir.path()).folders, QByteArrayList({"real"}));
}

// Held open, the output folder stays where it is: no rename, no removal.
TEST(FilesWindowsTest, AHeldFolderCannotBeRenamedNorRemoved) {
    QTemporaryDir dir;
    const std::wstring path = toWide(FilePath(dir.filePath(QStringLiteral("出力"))));
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    {
        const Folder held = Folder::open(fromWide(path));
        ASSERT_TRUE(held.isOpen());
        EXPECT_FALSE(::MoveFileExW(path.c_str(), (path + L"2").c_str(), 0));
        EXPECT_FALSE(::RemoveDirectoryW(path.c_str()));
        EXPECT_FALSE(held.isGone());
        EXPECT_TRUE(held.child("sub").isOpen());
    }
    EXPECT_TRUE(::MoveFileExW(path.c_str(), (path + L"2").c_str(), 0));
}

} // namespace
} // namespace quillmorph
