#pragma once

#include <QtGlobal>

namespace quillmorph {

// The result of every imaging operation: 0 for success, otherwise one of the codes below.
// Message number shown to the user = code - 20000 + 1 (see ErrorProc).
using EngineStatus = qint16;

namespace status {
inline constexpr EngineStatus kOk = 0;
inline constexpr EngineStatus kEngineFailure = 20000; // unexpected failure inside the engine
inline constexpr EngineStatus kOutOfMemory = 20001;   // not enough memory for the image
inline constexpr EngineStatus kFileNotFound = 20002; // the file does not exist (or a dangling link)
inline constexpr EngineStatus kAccessDenied = 20003; // no permission to read or write the file
inline constexpr EngineStatus kNotAFile = 20004;     // the path is a folder or a device
inline constexpr EngineStatus kEmptyFile = 20005;    // the file has zero bytes
inline constexpr EngineStatus kCorruptData = 20006;  // damaged or truncated image data
inline constexpr EngineStatus kImageTooLarge = 20007;     // beyond the engine's pixel limit
inline constexpr EngineStatus kBadDimensions = 20008;     // a size or rectangle below one pixel
inline constexpr EngineStatus kNoImage = 20009;           // the instance holds no image
inline constexpr EngineStatus kUnknownFormatCode = 20010; // save asked for a format code not known
inline constexpr EngineStatus kEncodeFailed = 20011;      // the encoder refused the image
inline constexpr EngineStatus kDiskFull = 20012;          // no space left where the file goes
inline constexpr EngineStatus kFolderMissing = 20013;     // the output folder is gone
inline constexpr EngineStatus kTooLargeForFormat = 20014; // the format cannot hold this many pixels
inline constexpr EngineStatus kOutputExists = 20015;      // another file took the output name
inline constexpr EngineStatus kWriteFailed = 20016;       // the finished file could not be stored
inline constexpr EngineStatus kNoEncoder = 20017; // this system's libvips cannot write the format
inline constexpr EngineStatus kNameTooLong =
    20018; // a name or path longer than the file system takes
inline constexpr EngineStatus kTooManyOpenFiles = 20019; // the limit on open files was reached
inline constexpr EngineStatus kLast = 20036;             // 20020 … 20036 are reserved
} // namespace status

} // namespace quillmorph
