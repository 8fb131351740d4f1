#include "Language.h"
#include "Messages.h"

#include <QCoreApplication>
#include <QTranslator>
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
    EXPECT_EQ(message::summary(2, 1, 1), QStringLiteral("Files converted: 2, failed: 1.\n"
                                                        "Skipped 1 file that is not a picture."));
    EXPECT_EQ(message::cancelled(1), QStringLiteral("Cancelled after converting 1 file."));
    EXPECT_EQ(message::formatSelection(QStringLiteral("jpeg")),
              QStringLiteral("Unknown image format [jpeg]"));
}

} // namespace
} // namespace quillmorph
