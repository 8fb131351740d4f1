#include "batch/StatusSentences.h"

#include <QCoreApplication>

namespace quillmorph::message {

namespace {

struct StatusSentence {
    EngineStatus status;
    const char* text;
};

// The statuses a user can meet; the reserved ones have no sentence.
constexpr StatusSentence kSentences[] = {
    {status::kEngineFailure,
     QT_TRANSLATE_NOOP("Messages", "画像処理エンジンの中で予期しないエラーが起きました。")},
    {status::kOutOfMemory,
     QT_TRANSLATE_NOOP("Messages",
                       "メモリが足りません。ほかのプログラムを閉じてからお試しください。")},
    {status::kFileNotFound,
     QT_TRANSLATE_NOOP("Messages", "ファイルが見つかりません。移動または削除されたようです。")},
    {status::kAccessDenied,
     QT_TRANSLATE_NOOP("Messages", "このファイルかフォルダを読み書きする権限がありません。")},
    {status::kNotAFile,
     QT_TRANSLATE_NOOP("Messages", "ふつうのファイルではありません（パイプや装置など）。")},
    {status::kEmptyFile, QT_TRANSLATE_NOOP("Messages", "ファイルが空です（0 バイト）。")},
    {status::kCorruptData,
     QT_TRANSLATE_NOOP("Messages", "ファイルが壊れているか、途中で切れています。")},
    {status::kImageTooLarge, QT_TRANSLATE_NOOP("Messages", "画像が大きすぎて扱えません。")},
    {status::kBadDimensions,
     QT_TRANSLATE_NOOP("Messages", "画像が 1 ピクセルより小さくなってしまいます。")},
    {status::kNoImage, QT_TRANSLATE_NOOP("Messages", "変換する画像がありませんでした。")},
    {status::kUnknownFormatCode,
     QT_TRANSLATE_NOOP("Messages", "この保存形式には対応していません。")},
    {status::kEncodeFailed,
     QT_TRANSLATE_NOOP("Messages", "この画像は選んだ形式では保存できません。")},
    {status::kDiskFull, QT_TRANSLATE_NOOP("Messages", "保存先のディスクがいっぱいです。")},
    {status::kFolderMissing,
     QT_TRANSLATE_NOOP("Messages", "保存先のフォルダが変換中になくなりました。")},
    {status::kTooLargeForFormat,
     QT_TRANSLATE_NOOP("Messages", "選んだ形式に収まらない大きさの画像です。")},
    {status::kOutputExists,
     QT_TRANSLATE_NOOP("Messages", "保存する名前のファイルがほかで先に作られました。")},
    {status::kWriteFailed,
     QT_TRANSLATE_NOOP("Messages", "変換したファイルをその名前で保存できませんでした。")},
    {status::kNoEncoder,
     QT_TRANSLATE_NOOP("Messages", "このシステムの libvips は選んだ形式を書き出せません。")},
    {status::kNameTooLong,
     QT_TRANSLATE_NOOP("Messages", "ファイル名かパスがファイルシステムの上限より長すぎます。")},
    {status::kTooManyOpenFiles,
     QT_TRANSLATE_NOOP(
         "Messages",
         "同時に開けるファイルの数が上限に達しました。上限を上げてもう一度お試しください。")},
};

const char* sentenceText(const Failure& failure) {
    switch (failure.kind) {
    case Failure::Kind::Engine:
        for (const StatusSentence& row : kSentences) {
            if (row.status == failure.status)
                return row.text;
        }
        return nullptr;
    case Failure::Kind::FillFailed:
        return QT_TRANSLATE_NOOP(
            "Messages",
            "余白色を塗れませんでした。画像は保存されますが、引き伸ばされていることがあります。");
    case Failure::Kind::CombineFailed:
        return QT_TRANSLATE_NOOP(
            "Messages",
            "画像を余白の上に置けませんでした。保存された画像は余白色だけのことがあります。");
    case Failure::Kind::BoxSize:
        return QT_TRANSLATE_NOOP("Messages",
                                 "幅と高さは 1〜32767 の数で指定します。片方を空欄か * にすると"
                                 "もう片方は画像の縦横比に従い、50% のように書くと元の大きさの"
                                 "割合になります。");
    case Failure::Kind::NotAnImage:
    case Failure::Kind::UnknownFormat:
    case Failure::Kind::OutputFolder:
        break;
    }
    return nullptr;
}

} // namespace

QString sentence(const Failure& failure) {
    const char* text = sentenceText(failure);
    return text ? QCoreApplication::translate("Messages", text) : QString();
}

QString withSentence(const QString& text, const Failure& failure) {
    const QString plain = sentence(failure);
    return plain.isEmpty() ? text : text + QLatin1Char('\n') + plain;
}

} // namespace quillmorph::message
