#include "files/NamePattern.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

// What each pattern makes of one photo: the 7th of a batch of 120, 1280 × 960, taken
// 2026-03-14, with the preset "mail", its name not UTF-8 (Latin-1 "café").
TEST(NamePatternTest, FieldsFillInAndBracesEscape) {
    const NameFields photo{"caf\xe9", 7, 120, 1280, 960, "20260314", QStringLiteral("mail")};
    const struct {
        const char* pattern;
        QByteArray title;
    } rows[] = {
        {"{name}", "caf\xe9"},
        {"{name}_{w}x{h}", "caf\xe9_1280x960"},
        {"shop_{n}", "shop_007"},
        {"{date}-{preset}", "20260314-mail"},
        {"{{n}} {n}}}", "{n} 007}"},
        {"写真 {n}", "写真 007"},
        {"", "caf\xe9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern);
        const auto pattern = NamePattern::parse(QString::fromUtf8(row.pattern));
        ASSERT_TRUE(pattern);
        EXPECT_EQ(pattern->expand(photo), row.title);
    }
    // Padding follows the batch: 9 pictures need no zero, 1000 need three.
    const auto numbered = NamePattern::parse(QStringLiteral("{n}"));
    EXPECT_EQ(numbered->expand({"a", 3, 9, 1, 1, {}, {}}), "3");
    EXPECT_EQ(numbered->expand({"a", 3, 1000, 1, 1, {}, {}}), "0003");
    EXPECT_TRUE(NamePattern::parse(QStringLiteral("x{date}"))->usesDate());
    EXPECT_FALSE(NamePattern::parse(QStringLiteral("x{n}"))->usesDate());
}

// Nothing a pattern or a field brings can lead the output out of its folder.
TEST(NamePatternTest, NamesNeverLeaveTheirFolder) {
    for (const char* bad : {"../{name}", "a/b", "{nam}", "{name", "{}", "x{W}"}) {
        QString part;
        EXPECT_FALSE(NamePattern::parse(QString::fromUtf8(bad), &part)) << bad;
        EXPECT_FALSE(part.isEmpty()) << bad;
    }
    QString part;
    NamePattern::parse(QStringLiteral("ok_{size}"), &part);
    EXPECT_EQ(part, QStringLiteral("{size}"));

    const NameFields fields{"src", 1, 1, 1, 1, {}, QStringLiteral("a/../b")};
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{preset}"))->expand(fields), "a_.._b");
    // A pattern that gives nothing keeps the source's name; ".." is no name either.
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{date}"))->expand(fields), "src");
    EXPECT_EQ(NamePattern::parse(QStringLiteral(".."))->expand(fields), "src");
    // A long name is cut at a character's start, never inside one.
    const QByteArray cut =
        NamePattern::parse(QString(300, QChar(0x3042)))->expand(fields); // あ: 3 bytes
    EXPECT_EQ(cut.size(), 198);
    EXPECT_TRUE(QString::fromUtf8(cut).toUtf8() == cut);
}

} // namespace
} // namespace quillmorph
