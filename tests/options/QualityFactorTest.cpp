#include "options/QualityFactor.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

class QualityFactorTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(QualityFactorTest, FollowsTheFactorTable) {
    const auto [quality, factor] = GetParam();
    EXPECT_EQ(qualityFactorText(QString::fromUtf8(quality)), QString::fromUtf8(factor)) << quality;
}

INSTANTIATE_TEST_SUITE_P(
    Table, QualityFactorTest,
    ::testing::Values(std::pair{"100", "2"}, std::pair{"88", "32"}, std::pair{"72", "72"},
                      std::pair{"64", "92"}, std::pair{"50", "128"}, std::pair{"40", "153"},
                      std::pair{"24", "193"}, std::pair{"16", "213"}, std::pair{"8", "233"},
                      std::pair{"2", "248"}, std::pair{"0", "254"}, std::pair{"101", "-1"},
                      std::pair{"150", "-124"}, std::pair{"5", "241"}, std::pair{"99", "4"},
                      std::pair{"1", "251"}, std::pair{"", "2"}, std::pair{"abc", "2"},
                      std::pair{" 88 ", "32"}, std::pair{"1e400", "2"}));

TEST(QualityFactorTextTest, BecomesA16BitInteger) {
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("2")), 2);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("-124")), -124);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("2.5")), 2);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("3.5")), 4);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("40000")), 32767);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("-99999999")), -32768);
    EXPECT_EQ(qualityFactorFromText(QStringLiteral("x")), 2);
}

} // namespace
} // namespace quillmorph
