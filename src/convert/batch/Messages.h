#pragma once

#include "batch/BatchResult.h"
#include "batch/Failure.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QString>
#include <QStringList>

namespace quillmorph {

// Every text the batch shows the user, in one place. The batch hands over values; the window
// and the command-line tool make their texts here.
namespace message {

// How a path is written into a message: decoded for a window, or with its control characters
// escaped for a terminal (FilePath::printable).
enum class PathForm { Window, Terminal };

// A failure's message, with the path it concerns on a second line when it has one.
QString text(const Failure& failure, PathForm form = PathForm::Window);

// The message that ends a batch: the counts of a completed one (and the files it could not
// bring under the file-size limit), the cancellation, or the failure that ended it.
QString finalMessage(const BatchResult& result, PathForm form = PathForm::Window);

// The message of each failure a keep-going batch went past, in file order, each with its plain
// sentence, then each file stored over the file-size limit with its size.
QStringList failureTexts(const BatchResult& result);

// "エラー: " + message number with its sign position + " In " + operation.
QString ErrorProc(EngineStatus status, const QString& operation);

// A number as text with a blank where a minus sign would stand for negative values.
QString signedPosition(int value);

// The count of files converted; a second line, only when some were skipped, counts the files
// inside dropped folders that were not pictures.
QString completed(int fileCount, int skippedCount = 0);
// The counts at the end of a keep-going batch that had failures.
QString summary(const BatchResult& result);
QString cancelled(int convertedCount);
QString notAnImage();
QString formatSelection(const QString& formatText);
QString boxSizeRange();
QString fillFailed();
QString combineFailed();

// Where a batch had got to when it ended: the last file it started (1-based) of count; count 0
// when it had started none.
struct BatchReach {
    int lastStarted = 0;
    int count = 0;
};

// True when result stopped early (a failure, or a cancel) with files of the drop it never
// converted after the one it stopped at. A failure before any file started says it all itself.
bool leftFilesBehind(const BatchResult& result, const BatchReach& reach);
// Said under the message of a batch that leftFilesBehind.
QString restNotConverted();
// Said under the message of a batch that stopped early while drops waited their turn: they are
// still converted, each in its own batch.
QString waitingDropsStillRun(int drops);

// A failure that concerns one file names that file on a second line, decoded for display.
QString withPath(const QString& text, const FilePath& path, PathForm form = PathForm::Window);

} // namespace message
} // namespace quillmorph
