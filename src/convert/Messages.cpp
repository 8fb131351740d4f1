#include "Messages.h"

namespace quillmorph::message {

namespace {

QString skipped(int count) {
    return signedPosition(count) + QStringLiteral("ファイルは画像ではないため変換しませんでした。");
}

} // namespace

QString ErrorProc(EngineStatus status, const QString& operation) {
    const int number = (status >= 20000 && status <= status::kLast) ? status - 20000 + 1 : 0;
    return QStringLiteral("エラー: ") + signedPosition(number) + QStringLiteral(" In ") + operation;
}

QString signedPosition(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString completed(int fileCount, int skippedCount) {
    QString text = signedPosition(fileCount) + QStringLiteral("ファイルを変換終了しました。");
    if (skippedCount > 0)
        text += QLatin1Char('\n') + skipped(skippedCount);
    return text;
}

QString summary(int convertedCount, int failedCount, int skippedCount) {
    QString text = signedPosition(convertedCount) + QStringLiteral("ファイルを変換し、") +
                   signedPosition(failedCount) + QStringLiteral("ファイルが失敗しました。");
    if (skippedCount > 0)
        text += QLatin1Char('\n') + skipped(skippedCount);
    return text;
}

QString cancelled(int convertedCount) {
    return signedPosition(convertedCount) + QStringLiteral("ファイルを変換した時点で中止しました。");
}

QString notAnImage() {
    return QStringLiteral("画像形式が不正です。");
}

QString formatSelection(const QString& formatText) {
    return QStringLiteral("画像形式の選択エラーです [") + formatText + QLatin1Char(']');
}

QString boxSizeRange() {
    return QStringLiteral("幅と高さには 1 ～ 32767 の数値を指定してください。");
}

QString outputFolderFailed(const FilePath& folder) {
    return withPath(QStringLiteral("出力フォルダを作成できませんでした。"), folder);
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
