#pragma once

#include <QString>

// A named pipe in the file system, where a file's name may lead a reader to block for a writer.
// Windows has no such thing: makeFifo says so and the test skips itself.
namespace quillmorph::test {

// Makes one at path; false where the system has none (or it could not be made).
bool makeFifo(const QString& path);
// Opens the pipe for writing without waiting and closes it, so that a reader stuck on it goes on.
void releaseFifoReader(const QString& path);
// Why a test that needs one is skipped.
inline constexpr const char* kNoFifos = "no named pipes in the Windows file system";

} // namespace quillmorph::test
