#include "batch/Messages.h"

#include "batch/StatusSentences.h"

#include <QCoreApplication>

namespace quillmorph::message {

// Whole sentences go to the translator with the blank-led numbers as %1, %2, so that a
// language can put them where it needs them; the count also picks its plural form there.

namespace {

QString skipped(int count) {
    return QCoreApplication::translate(
               "Messages", "%1ファイルは画像ではないため変換しませんでした。", nullptr, count)
        .arg(signedPosition(count));
}

// Sizes in whole KB, rounded up: a file a little over its limit does not read as on it.
QString kilobytes(qint64 bytes) {
    return QString::number((bytes + 1023) / 1024);
}

// A limit in KB as the user gave it: 300, or 1.6 for 1 638 bytes.
QString limitKilobytes(qint64 bytes) {
    QString text = QString::number(double(bytes) / 1024, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// The file-size limit's line of the final message; empty when every output is within it.
QString overLimitLine(const BatchResult& result) {
    if (result.overLimit.isEmpty())
        return {};
    const int count = int(result.overLimit.size());
    return QLatin1Char('\n') +
           QCoreApplication::translate(
               "Messages", "%1ファイルは上限の %2 KB に収まりませんでした。", nullptr, count)
               .arg(signedPosition(count), limitKilobytes(result.overLimit.first().limitBytes));
}

QString stageName(Stage stage) {
    switch (stage) {
    case Stage::Load:
        return QStringLiteral("Load");
    case Stage::Size:
        return QStringLiteral("Size");
    case Stage::Save:
        return QStringLiteral("Save");
    }
    return {};
}

// The first line of a failure's message.
QString headline(const Failure& failure) {
    switch (failure.kind) {
    case Failure::Kind::Engine:
        return ErrorProc(failure.status, stageName(failure.stage));
    case Failure::Kind::NotAnImage:
        return notAnImage();
    case Failure::Kind::BoxSize:
        return boxSizeRange();
    case Failure::Kind::UnknownFormat:
        return formatSelection(failure.formatText);
    case Failure::Kind::OutputFolder:
        return QCoreApplication::translate("Messages", "出力フォルダを作成できませんでした。");
    case Failure::Kind::FillFailed:
        return fillFailed();
    case Failure::Kind::CombineFailed:
        return combineFailed();
    }
    return {};
}

} // namespace

QString text(const Failure& failure, PathForm form) {
    const QString first = headline(failure);
    return failure.path.isEmpty() ? first : withPath(first, failure.path, form);
}

QString finalMessage(const BatchResult& result, PathForm form) {
    switch (result.outcome) {
    case BatchResult::Outcome::Completed:
        return completed(result.converted, result.skipped) + overLimitLine(result);
    case BatchResult::Outcome::Cancelled:
        return cancelled(result.converted);
    case BatchResult::Outcome::Failed:
        break;
    }
    return result.failure ? text(*result.failure, form) : QString();
}

QStringList failureTexts(const BatchResult& result) {
    QStringList texts;
    for (const Failure& failure : result.failures)
        texts << withSentence(text(failure), failure);
    for (const OverLimit& file : result.overLimit) {
        texts << withPath(
            QCoreApplication::translate("Messages", "上限の %1 KB に収まりませんでした（%2 KB）。")
                .arg(limitKilobytes(file.limitBytes), kilobytes(file.bytes)),
            file.output);
    }
    return texts;
}

QString ErrorProc(EngineStatus status, const QString& operation) {
    const int number = (status >= 20000 && status <= status::kLast) ? status - 20000 + 1 : 0;
    return QCoreApplication::translate("Messages", "エラー: %1 In %2")
        .arg(signedPosition(number), operation);
}

QString signedPosition(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString completed(int fileCount, int skippedCount) {
    QString text = QCoreApplication::translate("Messages", "%1ファイルを変換終了しました。",
                                               nullptr, fileCount)
                       .arg(signedPosition(fileCount));
    if (skippedCount > 0)
        text += QLatin1Char('\n') + skipped(skippedCount);
    return text;
}

QString summary(const BatchResult& result) {
    QString text =
        QCoreApplication::translate("Messages", "%1ファイルを変換し、%2ファイルが失敗しました。")
            .arg(signedPosition(result.converted), signedPosition(int(result.failures.size())));
    if (result.skipped > 0)
        text += QLatin1Char('\n') + skipped(result.skipped);
    return text + overLimitLine(result);
}

QString cancelled(int convertedCount) {
    return QCoreApplication::translate("Messages", "%1ファイルを変換した時点で中止しました。",
                                       nullptr, convertedCount)
        .arg(signedPosition(convertedCount));
}

QString notAnImage() {
    return QCoreApplication::translate("Messages", "画像形式が不正です。");
}

QString formatSelection(const QString& formatText) {
    return QCoreApplication::translate("Messages", "画像形式の選択エラーです [%1]").arg(formatText);
}

QString boxSizeRange() {
    return QCoreApplication::translate("Messages",
                                       "幅と高さには 1 ～ 32767 の数値を指定してください。");
}

QString fillFailed() {
    return QStringLiteral("ERR: LEAD1 Fill");
}

QString combineFailed() {
    return QStringLiteral("ERR: LEAD1 Combine");
}

bool leftFilesBehind(const BatchResult& result, const BatchReach& reach) {
    switch (result.outcome) {
    case BatchResult::Outcome::Completed:
        return false;
    case BatchResult::Outcome::Cancelled:
        // Stopped before its first file: the files of the drop were all left.
        return reach.count == 0 || reach.lastStarted < reach.count;
    case BatchResult::Outcome::Failed:
        break;
    }
    return reach.count > 0 && reach.lastStarted < reach.count;
}

QString restNotConverted() {
    return QCoreApplication::translate("Messages", "残りのファイルは変換していません。");
}

QString waitingDropsStillRun(int drops) {
    return QCoreApplication::translate(
        "Messages", "順番を待っているドロップ（%n 件）は、このあと続けて変換します。", nullptr,
        drops);
}

QString withPath(const QString& text, const FilePath& path, PathForm form) {
    return text + QLatin1Char('\n') +
           (form == PathForm::Terminal ? QString::fromUtf8(path.printable()) : path.display());
}

} // namespace quillmorph::message
