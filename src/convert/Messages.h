#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

#include <QString>

namespace quillmorph {

// Every text the batch shows the user, in one place.
namespace message {

// "エラー: " + message number with its sign position + " In " + operation.
QString ErrorProc(EngineStatus status, const QString& operation);

// A number as text with a blank where a minus sign would stand for negative values.
QString signedPosition(int value);

// The count of files converted; a second line, only when some were skipped, counts the files
// inside dropped folders that were not pictures.
QString completed(int fileCount, int skippedCount = 0);
// The counts at the end of a keep-going batch that had failures.
QString summary(int convertedCount, int failedCount, int skippedCount);
QString cancelled(int convertedCount);
QString notAnImage();
QString formatSelection(const QString& formatText);
QString boxSizeRange();
QString outputFolderFailed(const FilePath& folder);
QString fillFailed();
QString combineFailed();

// A failure that concerns one file names that file on a second line, decoded for display.
QString withPath(const QString& text, const FilePath& path);

} // namespace message
} // namespace quillmorph
