#include "batch/ConvertFiles.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(MessagesTest, ErrorProcNumbersStatusesFromOne) {
    EXPECT_EQ(message::ErrorProc(20004, QStringLiteral("Load")), QStringLiteral("エラー:  5 In Load"));
    EXPECT_EQ(message::ErrorProc(20000, QStringLiteral("Size")), QStringLiteral("エラー:  1 In Size"));
    EXPECT_EQ(message::ErrorProc(20036, QStringLiteral("Save")), QStringLiteral("エラー:  37 In Save"));
    EXPECT_EQ(message::ErrorProc(20037, QStringLiteral("Save")), QStringLiteral("エラー:  0 In Save"));
    EXPECT_EQ(message::ErrorProc(-1, QStringLiteral("Load")), QStringLiteral("エラー:  0 In Load"));
}

TEST(MessagesTest, CountsCarryTheirSignPosition) {
    EXPECT_EQ(message::completed(3), QStringLiteral(" 3ファイルを変換終了しました。"));
    EXPECT_EQ(message::completed(0), QStringLiteral(" 0ファイルを変換終了しました。"));
    EXPECT_EQ(message::cancelled(12), QStringLiteral(" 12ファイルを変換した時点で中止しました。"));
    EXPECT_EQ(message::signedPosition(-4), QStringLiteral("-4"));
    EXPECT_EQ(message::formatSelection(QStringLiteral("jpeg")),
              QStringLiteral("画像形式の選択エラーです [jpeg]"));
}

TEST(MessagesTest, AFailureNamesItsFileOnASecondLine) {
    const FilePath file(QStringLiteral("/in/a.png"));
    EXPECT_EQ(message::text(Failure::engine(20000, Stage::Size, file)),
              QStringLiteral("エラー:  1 In Size\n/in/a.png"));
    EXPECT_EQ(message::text(Failure::unknownFormat(QStringLiteral("TIF"), {})),
              QStringLiteral("画像形式の選択エラーです [TIF]"));
    EXPECT_EQ(message::text(Failure::of(Failure::Kind::CombineFailed, file)),
              QStringLiteral("ERR: LEAD1 Combine\n/in/a.png"));
    EXPECT_EQ(message::text(Failure::of(Failure::Kind::FillFailed, {})), QStringLiteral("ERR: LEAD1 Fill"));
    // For a terminal, no character of a name may act on it: C0, DEL and C1 (CSI) are escaped.
    const FilePath hostile = FilePath::fromNative("/in/\x1b[2J\x7f\xc2\x9b\xe5\x86\x99\xe9.png");
    EXPECT_EQ(message::text(Failure::engine(20006, Stage::Load, hostile), message::PathForm::Terminal),
              QStringLiteral("エラー:  7 In Load\n/in/\\x1B[2J\\x7F\\xC2\\x9B写\uFFFD.png"));
}

TEST(MessagesTest, EveryStatusAUserCanMeetHasOnePlainSentence) {
    QSet<QString> sentences;
    for (EngineStatus st = status::kEngineFailure; st <= status::kTooManyOpenFiles; ++st)
        sentences << message::sentence(Failure::engine(st, Stage::Load, {}));
    EXPECT_EQ(sentences.size(), status::kTooManyOpenFiles - status::kEngineFailure + 1);
    EXPECT_FALSE(sentences.contains(QString()));
    EXPECT_EQ(message::sentence(Failure::engine(status::kLast, Stage::Save, {})), QString()) << "reserved";
    EXPECT_EQ(message::sentence(Failure::of(Failure::Kind::NotAnImage, {})), QString());
    EXPECT_FALSE(message::sentence(Failure::of(Failure::Kind::FillFailed, {})).isEmpty());
    const Failure cut = Failure::engine(status::kCorruptData, Stage::Load, QStringLiteral("/in/a.png"));
    EXPECT_EQ(message::withSentence(message::text(cut), cut),
              QStringLiteral("エラー:  7 In Load\n/in/a.png\nファイルが壊れているか、途中で切れています。"));
}

TEST(MessagesTest, SizesCountIn1024sWithOneDecimal) {
    const std::pair<qint64, const char*> rows[] = {
        {0, "0 B"}, {1023, "1023 B"}, {1024, "1.0 KB"}, {712'000, "695.3 KB"},
        {1'048'530, "1.0 MB"}, {50'541'363, "48.2 MB"}, {3'250'586, "3.1 MB"}, {5'476'083'302, "5.1 GB"}};
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(message::byteSize(bytes), QLatin1String(text)) << bytes;
    EXPECT_EQ(message::sizes({50'541'363, 3'250'586, 40}), QStringLiteral("合計 48.2 MB → 3.1 MB"));
    EXPECT_EQ(message::sizes({}), QString()) << "nothing converted, nothing to say";
    EXPECT_EQ(message::qualitiesByEye({95, 84, 90}),
              QStringLiteral("見た目で選んだ画質: 84〜95（中央値 90）"));
    EXPECT_EQ(message::qualitiesByEye({90, 84, 95, 87}),
              QStringLiteral("見た目で選んだ画質: 84〜95（中央値 88.5）"));
    EXPECT_EQ(message::qualitiesByEye({91, 91}), QStringLiteral("見た目で選んだ画質: 91"));
    EXPECT_EQ(message::qualitiesByEye({}), QString());
    // Pictures given the fixed quality instead are counted apart, never among the qualities.
    EXPECT_EQ(message::qualitiesByEye({95, 84, 90}, 3),
              QStringLiteral("見た目で選んだ画質: 84〜95（中央値 90）、3 枚は判定なし"));
    EXPECT_EQ(message::qualitiesByEye({91}, 1),
              QStringLiteral("見た目で選んだ画質: 91、1 枚は判定なし"));
    EXPECT_EQ(message::qualitiesByEye({}, 2),
              QStringLiteral("見た目で選んだ画質: なし（2 枚は判定なし）"));
}

} // namespace
} // namespace quillmorph
