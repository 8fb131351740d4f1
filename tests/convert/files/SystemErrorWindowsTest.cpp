#include "files/EngineStatus.h"
#include "files/SystemErrorWindows.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <windows.h>

namespace quillmorph {
namespace {

QString wordingOf(DWORD error) {
    wchar_t text[512] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, text, DWORD(std::size(text)), nullptr);
    return QString::fromWCharArray(text, int(length));
}

TEST(SystemErrorWindowsTest, WindowsErrorsMeanWhatTheCErrorsMean) {
    const struct {
        DWORD error;
        EngineStatus named;
        EngineStatus newOutput;
    } rows[] = {
        {ERROR_DISK_FULL, status::kDiskFull, status::kDiskFull},
        {ERROR_HANDLE_DISK_FULL, status::kDiskFull, status::kDiskFull},
        {1295 /* quota */, status::kDiskFull, status::kDiskFull},
        {ERROR_ACCESS_DENIED, status::kAccessDenied, status::kAccessDenied},
        {ERROR_SHARING_VIOLATION, status::kAccessDenied, status::kAccessDenied},
        {ERROR_FILE_NOT_FOUND, status::kFileNotFound, status::kFolderMissing},
        {ERROR_PATH_NOT_FOUND, status::kFileNotFound, status::kFolderMissing},
        {ERROR_FILE_EXISTS, status::kWriteFailed, status::kOutputExists},
        {ERROR_ALREADY_EXISTS, status::kWriteFailed, status::kOutputExists},
        {ERROR_NOT_ENOUGH_MEMORY, status::kOutOfMemory, status::kOutOfMemory},
        {ERROR_NOT_ENOUGH_QUOTA, status::kOutOfMemory, status::kOutOfMemory},
        {ERROR_FILENAME_EXCED_RANGE, status::kNameTooLong, status::kNameTooLong},
        {ERROR_TOO_MANY_OPEN_FILES, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
        {ERROR_INVALID_FUNCTION, status::kWriteFailed, status::kWriteFailed},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(statusFromWindowsError(row.error, FileRole::Named, status::kWriteFailed), row.named) << row.error;
        EXPECT_EQ(statusFromWindowsError(row.error, FileRole::NewOutput, status::kWriteFailed), row.newOutput) << row.error;
    }
    EXPECT_EQ(statusFromErrno(ENOENT, FileRole::NewOutput, status::kWriteFailed), status::kFolderMissing);
    EXPECT_EQ(statusFromErrno(EMFILE, FileRole::Named, status::kAccessDenied), status::kTooManyOpenFiles);
}

// libvips words the system's errors with FormatMessage ("windows error: …") or the C library's
// strerror; both are read.
TEST(SystemErrorWindowsTest, TheSystemsWordingsInALibrarysMessage) {
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("windows error: ") + wordingOf(ERROR_DISK_FULL), status::kCorruptData),
              status::kDiskFull);
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("unable to open: ") + wordingOf(ERROR_ACCESS_DENIED), status::kCorruptData),
              status::kAccessDenied);
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("unable to open: ") + QString::fromLocal8Bit(std::strerror(EMFILE)), status::kCorruptData),
              status::kTooManyOpenFiles);
    EXPECT_EQ(statusFromLibraryMessage(QStringLiteral("wbuffer_write: write failed\nwindows error: ") + wordingOf(ERROR_DISK_FULL),
                                       status::kCorruptData),
              status::kImageTooLarge);
    EXPECT_EQ(statusFromSystemMessage(QStringLiteral("bad Huffman code"), status::kCorruptData), status::kCorruptData);
    EXPECT_TRUE(isTemporaryWriteFailure(QStringLiteral("VipsImage: unable to write to \"C:\\t\\q\\vips-0-1.v\""), QStringLiteral("C:/t/q")));
    EXPECT_FALSE(isTemporaryWriteFailure(QStringLiteral("VipsImage: unable to write to \"C:\\t\\qq\\vips-0-1.v\""), QStringLiteral("C:/t/q")));
}

} // namespace
} // namespace quillmorph
