#include "WindowTest.h"
#include "options/QualityFactor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace quillmorph::test {
namespace {

struct FactorCase {
    const char* quality;
    const char* factor;
};

void PrintTo(const FactorCase& c, std::ostream* os) {
    *os << c.quality << " -> " << c.factor;
}

class QualityFactorTyped : public WindowTest, public ::testing::WithParamInterface<FactorCase> {
protected:
    QComboBox* quality() const { return control<QComboBox>("cobiQuality"); }
};

TEST_P(QualityFactorTyped, RecomputesTheFactorAsTheUserTypes) {
    const FactorCase& c = GetParam();
    ASSERT_TRUE(focusForTyping(quality()));
    quality()->lineEdit()->selectAll();
    QTest::keyClick(quality()->lineEdit(), Qt::Key_Delete);
    ASSERT_EQ(quality()->currentText(), QString());
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
    QTest::keyClicks(quality()->lineEdit(), QString::fromLatin1(c.quality));
    EXPECT_EQ(quality()->currentText(), QString::fromLatin1(c.quality));
    EXPECT_EQ(window_->text1(), QString::fromLatin1(c.factor));
    EXPECT_EQ(window_->currentOptions().qualityFactor, QString::fromLatin1(c.factor).toInt());
}

INSTANTIATE_TEST_SUITE_P(
    Table, QualityFactorTyped,
    ::testing::Values(FactorCase{"100", "2"}, FactorCase{"88", "32"}, FactorCase{"72", "72"},
                      FactorCase{"64", "92"}, FactorCase{"50", "128"}, FactorCase{"40", "153"},
                      FactorCase{"24", "193"}, FactorCase{"16", "213"}, FactorCase{"8", "233"},
                      FactorCase{"2", "248"}, FactorCase{"0", "254"}, FactorCase{"101", "-1"},
                      FactorCase{"150", "-124"}, FactorCase{"5", "241"}, FactorCase{"99", "4"},
                      FactorCase{"1", "251"}, FactorCase{"abc", "2"}),
    [](const auto& info) {
        return std::string("q") + info.param.quality + "_f" +
               (info.param.factor[0] == '-' ? std::string("minus") + (info.param.factor + 1)
                                            : std::string(info.param.factor));
    });

using QualityFactor = QualityFactorTyped;

TEST_F(QualityFactor, FollowsEveryKeystrokeAndAnEmptyBoxMeansBest) {
    ASSERT_TRUE(focusForTyping(quality()));
    quality()->lineEdit()->selectAll();
    QTest::keyClicks(quality()->lineEdit(), QStringLiteral("8"));
    EXPECT_EQ(window_->text1(), QStringLiteral("233"));
    QTest::keyClicks(quality()->lineEdit(), QStringLiteral("8"));
    EXPECT_EQ(window_->text1(), QStringLiteral("32"));
    QTest::keyClick(quality()->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(window_->text1(), QStringLiteral("233"));
    QTest::keyClick(quality()->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
}

TEST_F(QualityFactor, FollowsAProgramSetText) {
    quality()->setEditText(QStringLiteral("64"));
    EXPECT_EQ(window_->text1(), QStringLiteral("92"));
    EXPECT_EQ(window_->currentOptions().qualityFactor, 92);
}

TEST_F(QualityFactor, FollowsAPickFromTheList) {
    ASSERT_TRUE(focusForTyping(quality()));
    quality()->lineEdit()->selectAll();
    QTest::keyClicks(quality()->lineEdit(), QStringLiteral("5"));
    ASSERT_EQ(window_->text1(), QStringLiteral("241"));
    // Picked through the open list as a user would: highlight "50" and press Enter.
    quality()->showPopup();
    ASSERT_TRUE(waitUntil([this] { return quality()->view()->isVisible(); }, 5000));
    quality()->view()->setCurrentIndex(quality()->model()->index(4, 0));
    QTest::keyClick(quality()->view(), Qt::Key_Return);
    EXPECT_EQ(quality()->currentText(), QStringLiteral("50"));
    EXPECT_EQ(window_->text1(), QStringLiteral("128"));
    EXPECT_EQ(window_->currentOptions().qualityFactor, 128);
}

TEST_F(QualityFactor, AFactorBeyondSixteenBitsStaysTextAndIsClampedOnlyWhenSaving) {
    quality()->setEditText(QStringLiteral("-20000"));
    EXPECT_EQ(window_->text1(), QStringLiteral("50654"));
    EXPECT_EQ(qualityFactorFromText(window_->text1()), 32767);
    quality()->setEditText(QStringLiteral("1e309"));
    EXPECT_EQ(window_->text1(), QStringLiteral("2"));
}

} // namespace
} // namespace quillmorph::test
