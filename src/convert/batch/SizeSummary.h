#pragma once

#include "files/FilePath.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace quillmorph {

// What a batch did to the sizes: the bytes of the sources it converted and of their outputs.
struct SizeTotals {
    qint64 sources = 0;
    qint64 outputs = 0;
    int files = 0;

    // Counts one converted file by the sizes the file system gives now. Any thread.
    void add(const FilePath& source, const FilePath& output);

    friend bool operator==(const SizeTotals&, const SizeTotals&) = default;
};

namespace message {

// bytes in units of 1024, as the file-size limit counts them: "512 B", "695.3 KB", "48.2 MB".
QString byteSize(qint64 bytes);

// "合計 48.2 MB → 3.1 MB"; empty when no file was converted.
QString sizes(const SizeTotals& totals);

// Under the totals, when the outputs came to more bytes than their sources: what makes them
// smaller. Empty otherwise.
QString largerOutputs(const SizeTotals& totals);

// "見た目で選んだ画質: 84〜95（中央値 90）", or one quality alone, of the pictures judged;
// with "、3 枚は判定なし" after it for notJudged pictures given the fixed quality instead
// ("なし（3 枚は判定なし）" when none was judged). Empty when there are neither.
QString qualitiesByEye(QList<int> qualities, int notJudged = 0);

} // namespace message
} // namespace quillmorph
