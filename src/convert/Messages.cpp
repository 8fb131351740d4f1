#include "Messages.h"

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

QString text(const Failure& failure) {
    const QString first = headline(failure);
    return failure.path.isEmpty() ? first : withPath(first, failure.path);
}

QString finalMessage(const BatchResult& result) {
    switch (result.outcome) {
    case BatchResult::Outcome::Completed:
        return completed(result.converted, result.skipped);
    case BatchResult::Outcome::Cancelled:
        return cancelled(result.converted);
    case BatchResult::Outcome::Failed:
        break;
    }
    return result.failure ? text(*result.failure) : QString();
}

QStringList failureTexts(const BatchResult& result) {
    QStringList texts;
    for (const Failure& failure : result.failures)
        texts << text(failure);
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

QString summary(int convertedCount, int failedCount, int skippedCount) {
    QString text =
        QCoreApplication::translate("Messages", "%1ファイルを変換し、%2ファイルが失敗しました。")
            .arg(signedPosition(convertedCount), signedPosition(failedCount));
    if (skippedCount > 0)
        text += QLatin1Char('\n') + skipped(skippedCount);
    return text;
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

QString withPath(const QString& text, const FilePath& path) {
    return text + QLatin1Char('\n') + path.display();
}

} // namespace quillmorph::message
