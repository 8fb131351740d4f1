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
    using Fault = NamePattern::Fault;
    const struct {
        const char* pattern;
        Fault fault;
    } refused[] = {
        {"../{name}", Fault::Hidden}, {"a/b", Fault::Part},
        {"{nam}", Fault::Part},       {"{name", Fault::Part},
        {"{}", Fault::Part},          {"x{W}", Fault::Part},
        {".{name}", Fault::Hidden},   {"{name}\n_x", Fault::Control},
        {"a\x01b", Fault::Control},   {"a\u2028b", Fault::Control},
        {"\t{n}", Fault::Control},
    };
    for (const auto& row : refused) {
        QString part;
        Fault fault = Fault::Part;
        EXPECT_FALSE(NamePattern::parse(QString::fromUtf8(row.pattern), &part, &fault))
            << row.pattern;
        EXPECT_FALSE(part.isEmpty()) << row.pattern;
        EXPECT_EQ(fault, row.fault) << row.pattern;
    }
    QString part;
    NamePattern::parse(QStringLiteral("ok_{size}"), &part);
    EXPECT_EQ(part, QStringLiteral("{size}"));

    const NameFields fields{"src", 1, 1, 1, 1, {}, QStringLiteral("a/../b")};
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{preset}"))->expand(fields), "a_.._b");
    // A pattern that gives nothing keeps the source's name; ".." is no name either.
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{date}"))->expand(fields), "src");
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{date}.."))->expand(fields), "src");
    EXPECT_EQ(NamePattern::parse(QStringLiteral("{preset}"))
                  ->expand({"src", 1, 1, 1, 1, {}, QStringLiteral("...")}),
              "src");
    // A long name is cut at a character's start, never inside one.
    const QByteArray cut =
        NamePattern::parse(QString(300, QChar(0x3042)))->expand(fields); // あ: 3 bytes
    EXPECT_EQ(cut.size(), 198);
    EXPECT_TRUE(QString::fromUtf8(cut).toUtf8() == cut);
    // A name that is not UTF-8 is cut where it falls, not walked back to nothing: 110
    // hiragana in Shift_JIS (0x82 0xA0…) are 220 bytes that all look like continuations.
    QByteArray shiftJis;
    for (int i = 0; i < 110; ++i)
        shiftJis += QByteArray("\x82") + char(0xA0 + i % 0x50);
    const NameFields old{shiftJis, 2, 2, 1, 1, {}, {}};
    for (const char* pattern : {"{name}", "{name}_{n}"}) {
        const QByteArray title = NamePattern::parse(QString::fromUtf8(pattern))->expand(old);
        EXPECT_GE(title.size(), NamePattern::kMaxTitleBytes - 3) << pattern;
        EXPECT_LE(title.size(), NamePattern::kMaxTitleBytes) << pattern;
        EXPECT_TRUE(shiftJis.startsWith(title)) << pattern;
    }
}

} // namespace
} // namespace quillmorph
