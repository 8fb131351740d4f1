#include "batch/SizeSummary.h"

#include "files/FileSystem.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <iterator>

namespace quillmorph {

void SizeTotals::add(const FilePath& source, const FilePath& output) {
    sources += fileSizeOf(source);
    outputs += fileSizeOf(output);
    ++files;
}

namespace message {

QString byteSize(qint64 bytes) {
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral(" B");
    double value = double(bytes) / 1024;
    int unit = 0;
    // 1023.96 KB would print as "1024.0 KB"; it is 1.0 MB.
    while (value >= 1023.95 && unit + 1 < int(std::size(kUnits))) {
        value /= 1024;
        ++unit;
    }
    // The same digits in every language, as the file-size limit shows them.
    return QLocale::c().toString(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(kUnits[unit]);
}

QString sizes(const SizeTotals& totals) {
    if (totals.files == 0)
        return {};
    return QCoreApplication::translate("Messages", "合計 %1 → %2")
        .arg(byteSize(totals.sources), byteSize(totals.outputs));
}

QString largerOutputs(const SizeTotals& totals) {
    if (totals.files == 0 || totals.outputs <= totals.sources)
        return {};
    return QCoreApplication::translate(
        "Messages", "変換後のファイルは元より大きくなりました。サイズ変換、低めの解像度、"
                    "プリセット（右クリック）で小さくできます。");
}

namespace {

// The qualities judged: the lowest and highest with their median, or one alone.
QString judgedQualities(QList<int> qualities) {
    std::sort(qualities.begin(), qualities.end());
    const QString lowest = QString::number(qualities.first());
    const QString highest = QString::number(qualities.last());
    if (lowest == highest)
        return QCoreApplication::translate("Messages", "見た目で選んだ画質: %1").arg(lowest);
    const qsizetype half = qualities.size() / 2;
    const double median =
        qualities.size() % 2 ? qualities[half] : (qualities[half - 1] + qualities[half]) / 2.0;
    return QCoreApplication::translate("Messages", "見た目で選んだ画質: %1〜%2（中央値 %3）")
        .arg(lowest, highest, QLocale::c().toString(median, 'g', 4));
}

} // namespace

QString qualitiesByEye(QList<int> qualities, int notJudged) {
    if (notJudged <= 0)
        return qualities.isEmpty() ? QString() : judgedQualities(std::move(qualities));
    if (qualities.isEmpty())
        return QCoreApplication::translate("Messages",
                                           "見た目で選んだ画質: なし（%1 枚は判定なし）")
            .arg(notJudged);
    return QCoreApplication::translate("Messages", "%1、%2 枚は判定なし")
        .arg(judgedQualities(std::move(qualities)), QString::number(notJudged));
}

} // namespace message
} // namespace quillmorph
