#include "batch/Messages.h"
#include "options/Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(LanguageTest, TheFirstLanguageSpokenDecides) {
    EXPECT_TRUE(prefersJapanese({QStringLiteral("ja")}));
    EXPECT_TRUE(prefersJapanese({QStringLiteral("ja-JP"), QStringLiteral("en-US")}));
    EXPECT_TRUE(prefersJapanese({QStringLiteral("fr-FR"), QStringLiteral("ja-JP")}));
    EXPECT_FALSE(prefersJapanese({QStringLiteral("en-GB"), QStringLiteral("ja-JP")}));
    EXPECT_FALSE(prefersJapanese({QStringLiteral("de-DE")}));
    EXPECT_FALSE(prefersJapanese({QStringLiteral("C")}));
    EXPECT_FALSE(prefersJapanese({}));
}

// A text as the user's languages show it: ours, and Qt's own under Japanese only.
struct Shown {
    QStringList languages;
    const char* context;
    const char* source;
    QString expected;
};

void PrintTo(const Shown& shown, std::ostream* out) {
    *out << shown.languages.join(QLatin1Char(':')).toStdString() << ' ' << shown.context << " \""
         << shown.source << '"';
}

class TranslationsTest : public ::testing::TestWithParam<Shown> {};

TEST_P(TranslationsTest, InstalledForTheLanguagesShowTheText) {
    QObject owner; // takes the translations away again when the test ends
    installTranslations(owner, GetParam().languages);
    EXPECT_EQ(QCoreApplication::translate(GetParam().context, GetParam().source),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    LanguageTest, TranslationsTest,
    ::testing::Values(
        Shown{{QStringLiteral("ja-JP")}, "QColorDialog", "Select Color", QStringLiteral("色を選択")},
        Shown{{QStringLiteral("ja-JP")}, "QPlatformTheme", "Cancel", QStringLiteral("キャンセル")},
        Shown{{QStringLiteral("en-US")}, "QColorDialog", "Select Color", QStringLiteral("Select Color")},
        Shown{{QStringLiteral("ja")}, "quillmorph-cli", "no files given",
              QStringLiteral("ファイルが指定されていません")},
        Shown{{QStringLiteral("de-DE")}, "quillmorph-cli", "no files given",
              QStringLiteral("no files given")},
        Shown{{QStringLiteral("ja")}, "Messages", "画像形式が不正です。",
              QStringLiteral("画像形式が不正です。")},
        Shown{{QStringLiteral("en")}, "Messages", "画像形式が不正です。",
              QStringLiteral("Not a picture format quillmorph reads.")},
        Shown{{QStringLiteral("ja")}, "quillmorph::frmMain", "pixels", QStringLiteral("pixels")}));

// Every text written in English has its Japanese; those written in Japanese show as written.
TEST(LanguageTest, EveryEnglishTextHasItsJapanese) {
    QFile file(QStringLiteral(QUILLMORPH_SOURCE_DIR "/translations/quillmorph_ja.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Kana or kanji.
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]"));
    QXmlStreamReader ts(&file);
    QString source;
    int english = 0;
    while (!ts.atEnd()) {
        if (ts.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (ts.name() == QLatin1String("source")) {
            source = ts.readElementText();
        } else if (ts.name() == QLatin1String("translation") && !source.contains(japanese)) {
            ++english;
            EXPECT_NE(ts.attributes().value(QLatin1String("type")), QLatin1String("unfinished"))
                << source.toStdString();
            EXPECT_FALSE(ts.readElementText().isEmpty()) << source.toStdString();
        }
    }
    EXPECT_FALSE(ts.hasError()) << ts.errorString().toStdString();
    EXPECT_GT(english, 10); // the two helps, the usage errors, the progress line
}

// The English translation for one test; the others keep asserting the Japanese texts.
class EnglishTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadEnglish(english_));
        ASSERT_TRUE(QCoreApplication::installTranslator(&english_));
    }
    void TearDown() override { QCoreApplication::removeTranslator(&english_); }

    QTranslator english_;
};

TEST_F(EnglishTest, MessagesAreWholeSentencesAroundTheirNumbers) {
    EXPECT_EQ(message::completed(3), QStringLiteral("Converted 3 files."));
    EXPECT_EQ(message::completed(1, 2),
              QStringLiteral("Converted 1 file.\nSkipped 2 files that are not pictures."));
    EXPECT_EQ(message::ErrorProc(20004, QStringLiteral("Load")), QStringLiteral("Error 5 in Load"));
    BatchResult result;
    result.converted = 2;
    result.skipped = 1;
    result.failures << Failure::of(Failure::Kind::NotAnImage, FilePath::fromNative("/a/x.txt"));
    result.overLimit << OverLimit{FilePath::fromNative("/d/a.jpg"), 400 * 1024, 300 * 1024};
    EXPECT_EQ(message::summary(result), QStringLiteral("Files converted: 2, failed: 1.\n"
                                                       "Skipped 1 file that is not a picture.\n"
                                                       "Could not bring 1 file under 300 KB."));
    EXPECT_EQ(message::cancelled(1), QStringLiteral("Cancelled after converting 1 file."));
    EXPECT_EQ(message::formatSelection(QStringLiteral("jpeg")),
              QStringLiteral("Unknown image format [jpeg]"));
    EXPECT_EQ(message::qualitiesByEye({95, 84, 90}, 3),
              QStringLiteral("Quality chosen by eye: 84–95 (median 90), 3 not judged"));
    EXPECT_EQ(message::qualitiesByEye({}, 1),
              QStringLiteral("Quality chosen by eye: none (1 not judged)"));
}

} // namespace
} // namespace quillmorph
