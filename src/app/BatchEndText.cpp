#include "BatchEndText.h"

#include "batch/Messages.h"
#include "batch/StatusSentences.h"

#include <QCoreApplication>
#include <QDir>

namespace quillmorph {

namespace {

bool completed(const BatchResult& result) {
    return result.outcome == BatchResult::Outcome::Completed;
}

// A completed batch made its folder for the user even when nothing went into it.
bool offersFolder(const BatchResult& result) {
    return !result.outputFolder.isEmpty() && (result.converted > 0 || completed(result));
}

QString notesOf(const BatchResult& result, const BatchAfterwards& afterwards) {
    QStringList lines;
    if (result.failure)
        lines << message::sentence(*result.failure);
    if (message::leftFilesBehind(result, afterwards.reach))
        lines << message::restNotConverted();
    if (!completed(result) && afterwards.waitingDrops > 0)
        lines << message::waitingDropsStillRun(afterwards.waitingDrops);
    if (offersFolder(result)) {
        lines << QCoreApplication::translate("BatchEndText", "保存先: %1")
                     .arg(QDir::toNativeSeparators(result.outputFolder.display()));
    }
    if (completed(result)) {
        lines << message::sizes(result.sizes);
        lines << message::largerOutputs(result.sizes);
        lines << message::qualitiesByEye(result.qualitiesByEye, result.notJudgedByEye);
    }
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

BoxText batchEndText(const BatchResult& result, const BatchAfterwards& afterwards) {
    return {message::finalMessage(result), notesOf(result, afterwards), offersFolder(result)};
}

BoxText failuresSummaryText(const BatchResult& result, const BatchAfterwards& afterwards) {
    const QString counts = message::summary(result);
    // A batch that stopped early (cancelled, or a failure no file can go past) says why first.
    const QString text =
        completed(result) ? counts : message::finalMessage(result) + QLatin1Char('\n') + counts;
    return {text, notesOf(result, afterwards), offersFolder(result)};
}

} // namespace quillmorph
