#include "BatchEndText.h"
#include "EventLoop.h"
#include "LauncherEntry.h"
#include "SurfaceNote.h"
#include "TestImages.h"
#include "WindowTest.h"

#include <QDir>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

// A box's text with its folder /d/pic1 as the box shows it: in the system's own separators.
QString shown(QString text) {
    return text.replace(QStringLiteral("/d/pic1"), QDir::toNativeSeparators(QStringLiteral("/d/pic1")));
}

TEST(SurfaceNote, InksInBlackOrWhiteWhicheverReadsOnTheMargin) {
    const std::pair<QColor, QColor> rows[] = {
        {Qt::white, Qt::black}, {Qt::black, Qt::white},  {QColor(0, 0, 128), Qt::white},
        {Qt::yellow, Qt::black}, {QColor(128, 128, 128), Qt::black}, {Qt::red, Qt::black},
        {QColor(0, 0, 255), Qt::white}};
    for (const auto& [margin, ink] : rows)
        EXPECT_EQ(SurfaceNote::inkOn(margin), ink) << margin.name().toStdString();
}

using WindowTips = WindowTest;

TEST_F(WindowTips, EveryShownControlAndTheSurfaceExplainThemselves) {
    EXPECT_EQ(window_->toolTip(), QStringLiteral("画像やフォルダをここにドロップ — 右クリックでその他の設定"));
    for (const char* name : {"chkMode", "lbl01", "cobWidth", "lbl05", "Command1", "lbl02", "cobHeight",
                             "lbl06", "lbl03", "cobiQuality", "lbl04", "cobFormat", "Command2"})
        EXPECT_FALSE(control<QWidget>(name)->toolTip().isEmpty()) << name;
    EXPECT_TRUE(control<QWidget>("lbl03")->toolTip().contains(QStringLiteral("100 が最高")));
}

TEST(BatchEndText, NamesTheFolderOnceFilesWereWrittenAndTheSizesOfACompletedBatch) {
    BatchResult result;
    result.outputFolder = FilePath(QStringLiteral("/d/pic1"));
    result.converted = 2;
    result.sizes = {50'541'363, 3'250'586, 2};
    const BoxText done = batchEndText(result);
    EXPECT_EQ(done.text, QStringLiteral(" 2ファイルを変換終了しました。"));
    EXPECT_EQ(done.notes, shown(QStringLiteral("保存先: /d/pic1\n合計 48.2 MB → 3.1 MB")));
    EXPECT_TRUE(done.offersFolder);
    result.qualitiesByEye = {92, 88}; // under the sizes, and only once completed
    EXPECT_EQ(
        batchEndText(result).notes,
        shown(QStringLiteral(
            "保存先: /d/pic1\n合計 48.2 MB → 3.1 MB\n見た目で選んだ画質: 88〜92（中央値 90）")));
    result.notJudgedByEye = 3;
    EXPECT_TRUE(batchEndText(result).notes.endsWith(
        QStringLiteral("見た目で選んだ画質: 88〜92（中央値 90）、3 枚は判定なし")));

    result.outcome = BatchResult::Outcome::Failed;
    result.failure = Failure::engine(status::kDiskFull, Stage::Save, QStringLiteral("/in/c.png"));
    const BoxText failed = batchEndText(result);
    EXPECT_EQ(failed.text, QStringLiteral("エラー:  13 In Save\n/in/c.png"));
    EXPECT_EQ(failed.notes, shown(QStringLiteral("保存先のディスクがいっぱいです。\n保存先: /d/pic1")));
    EXPECT_TRUE(failed.offersFolder);

    // Stopped at the third file of five, with a drop waiting: both said, under the sentence.
    EXPECT_EQ(
        batchEndText(result, {{3, 5}, 1}).notes,
        shown(QStringLiteral(
            "保存先のディスクがいっぱいです。\n残りのファイルは変換していません。\n"
            "順番を待っているドロップ（1 件）は、このあと続けて変換します。\n保存先: /d/pic1")));
    EXPECT_EQ(batchEndText(result, {{5, 5}, 0}).notes, failed.notes) << "the last file: none left";

    result.converted = 0; // failed at its first file: nothing to open
    EXPECT_EQ(batchEndText(result).notes, QStringLiteral("保存先のディスクがいっぱいです。"));
    EXPECT_FALSE(batchEndText(result).offersFolder);

    result.outcome = BatchResult::Outcome::Cancelled; // before its first file
    result.failure.reset();
    EXPECT_EQ(batchEndText(result, {{0, 0}, 2}).notes,
              QStringLiteral("残りのファイルは変換していません。\n"
                             "順番を待っているドロップ（2 件）は、このあと続けて変換します。"));
}

// With the first drop's choices (no resizing, 解像度 100) photos grow: the box says what
// makes them smaller, only when the outputs came to more than their sources.
TEST(BatchEndText, OutputsLargerThanTheirSourcesSayWhatMakesThemSmaller) {
    BatchResult result;
    result.outputFolder = FilePath(QStringLiteral("/d/pic1"));
    result.converted = 4;
    result.sizes = {5'767'168, 20'027'801, 4};
    EXPECT_EQ(batchEndText(result).notes,
              shown(QStringLiteral("保存先: /d/pic1\n合計 5.5 MB → 19.1 MB\n"
                                   "変換後のファイルは元より大きくなりました。サイズ変換、低めの解像度、"
                                   "プリセット（右クリック）で小さくできます。")));
    result.sizes.outputs = result.sizes.sources; // as large: nothing to say
    EXPECT_EQ(batchEndText(result).notes, shown(QStringLiteral("保存先: /d/pic1\n合計 5.5 MB → 5.5 MB")));
}

TEST(LauncherEntry, ShowsTheShareOfFilesDoneWhileThereIsACount) {
    EXPECT_EQ(LauncherEntry::properties(3, 12),
              (QVariantMap{{"progress", 0.25}, {"progress-visible", true}}));
    EXPECT_EQ(LauncherEntry::properties(0, 0), (QVariantMap{{"progress-visible", false}}));
}

} // namespace
} // namespace quillmorph::test
