#include "TestImages.h"
#include "settings/Presets.h"
#include "settings/Profile.h"
#include "settings/StoredChoices.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(ProfileTest, SectionsAndKeysMatchWithoutRegardToCase) {
    const Profile p(QStringLiteral("; comment\r\n[Other]\r\niWidth=1\r\n[v1.00202]\r\n  IWIDTH = 640 \r\nImageFormat=\"PNG\"\r\n"));
    EXPECT_EQ(p.readInt(QStringLiteral("V1.00202"), QStringLiteral("iWidth"), 600), 640);
    EXPECT_EQ(p.readInt(QStringLiteral("other"), QStringLiteral("iwidth"), 600), 1);
    EXPECT_EQ(p.readString(QStringLiteral("V1.00202"), QStringLiteral("imageformat"), QStringLiteral("JPEG")),
              QStringLiteral("PNG"));
    EXPECT_EQ(p.readInt(QStringLiteral("V1.00202"), QStringLiteral("iHeight"), 450), 450);
    EXPECT_EQ(p.readInt(QStringLiteral("Missing"), QStringLiteral("iWidth"), 7), 7);
}

TEST(ProfileTest, IntegersTakeTheLeadingDigits) {
    const Profile p(QStringLiteral("[s]\na=12abc\nb=-5\nc=abc\nd=\ne=99999999999\nf=--3\ng=+4\nh=１２\n"));
    const QString s = QStringLiteral("s");
    EXPECT_EQ(p.readInt(s, QStringLiteral("a"), 1), 12);
    EXPECT_EQ(p.readInt(s, QStringLiteral("b"), 1), -5);
    EXPECT_EQ(p.readInt(s, QStringLiteral("c"), 1), 0);
    EXPECT_EQ(p.readInt(s, QStringLiteral("d"), 1), 0);
    EXPECT_EQ(p.readInt(s, QStringLiteral("e"), 1), 2147483647);
    EXPECT_EQ(p.readInt(s, QStringLiteral("f"), 1), 0);
    EXPECT_EQ(p.readInt(s, QStringLiteral("g"), 1), 0);
    EXPECT_EQ(p.readInt(s, QStringLiteral("h"), 1), 0); // full-width digits are not digits here
}

TEST(ProfileTest, UnreadableOrHugeFilesReadAsEmpty) {
    QTemporaryDir dir;
    EXPECT_EQ(Profile::fromFile(dir.filePath(QStringLiteral("none.ini")))
                  .readInt(QStringLiteral("V1.00202"), QStringLiteral("iWidth"), 600), 600);
    EXPECT_EQ(Profile::fromFile(dir.path()).readInt(QStringLiteral("s"), QStringLiteral("k"), 3), 3);
    QByteArray big("[V1.00202]\niWidth=1\n");
    big.append(QByteArray(2 << 20, 'x'));
    test::writeBytes(dir.filePath(QStringLiteral("big.ini")), big);
    EXPECT_EQ(Profile::fromFile(dir.filePath(QStringLiteral("big.ini")))
                  .readInt(QStringLiteral("V1.00202"), QStringLiteral("iWidth"), 600), 600);
    test::writeBytes(dir.filePath(QStringLiteral("bin.ini")), QByteArray("\x00\xff\xfe[V1\x00", 7));
    EXPECT_EQ(readStoredChoices(Profile::fromFile(dir.filePath(QStringLiteral("bin.ini")))).widthText,
              QStringLiteral("600"));
}

TEST(StoredChoicesTest, DefaultsWhenNothingIsStored) {
    const StoredChoices c = readStoredChoices(Profile());
    EXPECT_FALSE(c.sizeConversion);
    EXPECT_EQ(c.widthText, QStringLiteral("600"));
    EXPECT_EQ(c.heightText, QStringLiteral("450"));
    EXPECT_EQ(c.qualityText, QStringLiteral("100"));
    EXPECT_EQ(c.formatText, QStringLiteral("JPEG"));
    EXPECT_EQ(c.backColor, 0xFFFFFFu);
    EXPECT_FALSE(c.keepGoing);
}

TEST(StoredChoicesTest, StoredValuesAreReadAsTheWindowShowsThem) {
    const StoredChoices c = readStoredChoices(Profile(QStringLiteral(
        "[V1.00202]\niSizeConv=2\niWidth=640px\niHeight=-3\niRez=88\nImageFormat=tiff\niBackColor=255\n")));
    EXPECT_TRUE(c.sizeConversion);
    EXPECT_EQ(c.widthText, QStringLiteral("640"));
    EXPECT_EQ(c.heightText, QStringLiteral("-3"));
    EXPECT_EQ(c.qualityText, QStringLiteral("88"));
    EXPECT_EQ(c.formatText, QStringLiteral("tiff")); // kept; the batch will refuse it
    EXPECT_EQ(c.backColor, 255u);
}

TEST(StoredChoicesTest, ColoursOutside24BitsReadAsWhite) {
    for (const char* value : {"16777216", "-1", "99999999999"}) {
        const StoredChoices c = readStoredChoices(
            Profile(QStringLiteral("[V1.00202]\niBackColor=") + QLatin1String(value)));
        EXPECT_EQ(c.backColor, 0xFFFFFFu) << value;
    }
}

} // namespace
} // namespace quillmorph

namespace quillmorph {
namespace {

TEST(ProfileWriteTest, FirstSaveFromDefaultsIsExactlyEightLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/quillmorph.ini"));
    ASSERT_TRUE(saveStoredChoices(path, readStoredChoices(Profile())));
    EXPECT_EQ(test::readBytes(path), QByteArray("[V1.00202]\niSizeConv=0\niWidth=600\niHeight=450\n"
                                                "iRez=100\nImageFormat=JPEG\niBackColor=16777215\n"
                                                "iKeepGoing=0\n"));
}

TEST(ProfileWriteTest, UpdatesInPlaceAndKeepsEverythingElse) {
    Profile p(QStringLiteral("; keep this comment\r\n[Other]\r\niWidth=1\r\n\r\n[v1.00202]\r\nIWIDTH=640\r\n"
                             "; note\r\nExtra=yes\r\n\r\n[Last]\r\nz=26\r\n"));
    p.writeString(QStringLiteral("V1.00202"), QStringLiteral("iWidth"), QStringLiteral("800"));
    p.writeString(QStringLiteral("V1.00202"), QStringLiteral("iHeight"), QStringLiteral("600"));
    p.writeString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("a\nb"));
    EXPECT_EQ(p.bytes(), QByteArray("; keep this comment\r\n[Other]\r\niWidth=1\r\n\r\n[v1.00202]\r\n"
                                    "IWIDTH=800\r\n; note\r\nExtra=yes\r\niHeight=600\r\n\r\n"
                                    "[Last]\r\nz=26\r\n[New]\r\nk=a b\r\n"));
    EXPECT_EQ(p.readInt(QStringLiteral("V1.00202"), QStringLiteral("iwidth"), 0), 800);
}

// The file is the user's: a Shift_JIS section and comment, a Latin-1 value, a byte order mark,
// mixed line breaks and no break at the end all stay byte for byte, through a link too.
TEST(ProfileWriteTest, BytesThatAreNotOursStayAsTheyWere) {
    QTemporaryDir dir;
    const QByteArray mine = "\xEF\xBB\xBF; \x83\x81\x83\x82\r\n[\x90\xDD\x92\xE8]\nname=caf\xe9\r\n";
    const QString target = test::writeBytes(dir.filePath(QStringLiteral("dotfiles.ini")),
                                            mine + "[V1.00202]\niWidth=640\n; \x83\x81\r\n[Last]\nz=26");
#ifdef _WIN32
    // QFile::link makes a shortcut, a file of its own to the system: the file is saved itself.
    const QString path = target;
#else
    const QString path = dir.filePath(QStringLiteral("quillmorph.ini"));
    ASSERT_TRUE(QFile::link(target, path));
#endif
    StoredChoices c = readStoredChoices(Profile::fromFile(path));
    EXPECT_EQ(c.widthText, QStringLiteral("640"));
    c.widthText = QStringLiteral("800");
    ASSERT_TRUE(saveStoredChoices(path, c));
#ifndef _WIN32
    EXPECT_TRUE(QFileInfo(path).isSymLink());
#endif
    EXPECT_EQ(test::readBytes(target),
              mine + "[V1.00202]\niWidth=800\n; \x83\x81\r\niSizeConv=0\r\niHeight=450\r\niRez=100\r\n"
                     "ImageFormat=JPEG\r\niBackColor=16777215\r\niKeepGoing=0\r\n[Last]\nz=26");
}

TEST(ProfileWriteTest, SavingRoundTripsTheStoredChoices) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.ini"));
    test::writeBytes(path, "[Mine]\nkeep=1\n[V1.00202]\niSizeConv=2\n");
    StoredChoices c = readStoredChoices(Profile::fromFile(path));
    EXPECT_TRUE(c.sizeConversion);
    EXPECT_FALSE(c.keepGoing); // a file from before the key
    c.keepGoing = true;
    c.widthText = QStringLiteral("abc");
    c.formatText = QStringLiteral("写真");
    c.backColor = 255;
    ASSERT_TRUE(saveStoredChoices(path, c));
    EXPECT_EQ(test::readBytes(path),
              QStringLiteral("[Mine]\nkeep=1\n[V1.00202]\niSizeConv=1\niWidth=abc\niHeight=450\niRez=100\n"
                             "ImageFormat=写真\niBackColor=255\niKeepGoing=1\n").toUtf8());
    const StoredChoices back = readStoredChoices(Profile::fromFile(path));
    EXPECT_TRUE(back.keepGoing);
    EXPECT_EQ(back.widthText, QStringLiteral("0")); // a non-number reads back through the integer rules
    EXPECT_EQ(back.formatText, QStringLiteral("写真"));
    EXPECT_EQ(dir.path() + QStringLiteral("/q.ini"), path);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("q.ini")});
}

TEST(ProfileWriteTest, FilesThatAreNotSettingsAreLeftAlone) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(saveStoredChoices(folder, readStoredChoices(Profile())));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    for (const QByteArray& bytes : {QByteArray(3 << 20, 'x'), QByteArray("[V1.00202]\niWidth=1\n\0\x01", 22)}) {
        const QString other = test::writeBytes(dir.filePath(QStringLiteral("other.ini")), bytes);
        EXPECT_FALSE(saveStoredChoices(other, readStoredChoices(Profile())));
        EXPECT_EQ(test::readBytes(other), bytes);
    }
}

// The keys after keep-going: what a file holds, what it is read as, what a save writes back.
struct LaterKeysCase {
    const char* stored; // the lines after the six and keep-going
    int fitMode, crop; // as the file numbers them
    bool noEnlarge, keepExif, keepDates;
    QByteArray folder; // the bytes of the output folder
    const char* saved; // the lines a save writes after iKeepGoing=0
    int maxKB = 0;
    bool qualityByEye = false;
};

void PrintTo(const LaterKeysCase& c, std::ostream* os) {
    *os << c.stored;
}

class LaterKeysTest : public ::testing::TestWithParam<LaterKeysCase> {};

TEST_P(LaterKeysTest, RoundTripAfterTheSixKeys) {
    const LaterKeysCase c = GetParam();
    const QByteArray head = "[V1.00202]\niSizeConv=0\niWidth=600\niHeight=450\niRez=100\n"
                            "ImageFormat=JPEG\niBackColor=16777215\niKeepGoing=0\n";
    QTemporaryDir dir;
    const QString path = test::writeBytes(dir.filePath(QStringLiteral("q.ini")), head + c.stored);
    const StoredChoices read = readStoredChoices(Profile::fromFile(path));
    EXPECT_EQ(int(read.fitMode), c.fitMode);
    EXPECT_EQ(int(read.crop), c.crop);
    EXPECT_EQ(read.noEnlarge, c.noEnlarge);
    EXPECT_EQ(read.keepExif, c.keepExif);
    EXPECT_EQ(read.keepDates, c.keepDates);
    EXPECT_EQ(read.maxKB, c.maxKB);
    EXPECT_EQ(read.qualityByEye, c.qualityByEye);
    EXPECT_EQ(FilePath::fromPortableText(read.outputFolder).native(), c.folder);
    EXPECT_EQ(FilePath::fromNative(c.folder).portableText(), read.outputFolder);
    ASSERT_TRUE(saveStoredChoices(path, read));
    EXPECT_EQ(test::readBytes(path), head + c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LaterKeysTest,
    ::testing::Values(
        // Untouched: nothing is added to the file.
        LaterKeysCase{"", 0, 0, false, false, false, "", ""},
        LaterKeysCase{"iFitMode=2\niCrop=1\niNoEnlarge=1\niKeepExif=1\niKeepDates=1\n"
                      "OutputFolder=/home/u/写真\niMaxKB=300\niQualityByEye=1\n",
                      2, 1, true, true, true, "/home/u/写真",
                      "iFitMode=2\niCrop=1\niNoEnlarge=1\niKeepExif=1\niKeepDates=1\n"
                      "OutputFolder=/home/u/写真\niMaxKB=300\niQualityByEye=1\n",
                      300, true},
        LaterKeysCase{"iQualityByEye=0\n", 0, 0, false, false, false, "", "iQualityByEye=0\n"},
        // A limit below nothing or beyond 1 GiB reads as none or 1 GiB.
        LaterKeysCase{"iMaxKB=-5\n", 0, 0, false, false, false, "", "iMaxKB=0\n"},
        LaterKeysCase{"iMaxKB=99999999\n", 0, 0, false, false, false, "", "iMaxKB=1048576\n",
                      1048576},
        // Turned off again: written in place, as 0.
        LaterKeysCase{"iKeepDates=0\niFitMode=7\niCrop=-1\nOutputFolder=\n", 0, 0, false, false,
                      false, "", "iKeepDates=0\niFitMode=0\niCrop=0\nOutputFolder=\n"},
        // One past the last choice reads as the first.
        LaterKeysCase{"iFitMode=3\niCrop=2\n", 0, 0, false, false, false, "",
                      "iFitMode=0\niCrop=0\n"},
        // A name that is not UTF-8 (Latin-1 "café"), a "%", a space at the end: kept as bytes.
        LaterKeysCase{"iFitMode=1\nOutputFolder=/media/caf%E9 50%25/ x%20\n", 1, 0, false, false,
                      false, "/media/caf\xe9 50%/ x ",
                      "iFitMode=1\nOutputFolder=/media/caf%E9 50%25/ x%20\n"}));

// A percent or a one-sided box comes back as typed; the number keys keep what they always
// held, and a hand-edited number key wins over a text it no longer matches.
TEST(ProfileWriteTest, SizeTextsComeBackAsTyped) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.ini"));
    StoredChoices c = readStoredChoices(Profile());
    c.widthText = QStringLiteral("50%");
    c.heightText = QStringLiteral("*");
    ASSERT_TRUE(saveStoredChoices(path, c));
    EXPECT_TRUE(test::readBytes(path).startsWith("[V1.00202]\niSizeConv=0\niWidth=50%\niHeight=*\n"));
    EXPECT_TRUE(test::readBytes(path).endsWith("iKeepGoing=0\nWidthText=50%\nHeightText=*\n"));
    StoredChoices back = readStoredChoices(Profile::fromFile(path));
    EXPECT_EQ(back.widthText, QStringLiteral("50%"));
    EXPECT_EQ(back.heightText, QStringLiteral("*"));
    Profile edited = Profile::fromFile(path);
    edited.writeString(settings::kSection, settings::kWidth, QStringLiteral("800"));
    EXPECT_EQ(readStoredChoices(edited).widthText, QStringLiteral("800"));
}

// The user's presets live in a section of their own: storing, renaming and removing one
// leaves the window's section byte for byte, and a preset reads back as it was stored.
TEST(PresetStoreTest, PresetsRoundTripBesideTheWindowsSection) {
    const QByteArray window = "[V1.00202]\niSizeConv=1\niWidth=640\niHeight=480\niRez=88\n"
                              "ImageFormat=PNG\niBackColor=255\niKeepGoing=0\n";
    Profile profile(window);
    StoredChoices shop = withPreset(readStoredChoices(profile), builtInPresets()[2]);
    shop.widthText = QStringLiteral("50%");
    shop.qualityText = QStringLiteral("77");
    shop.maxKB = 120;
    shop.keepDates = true;
    shop.namePattern = QStringLiteral("shop;{n}=x");
    storePreset(profile, QStringLiteral("お店"), shop);
    storePreset(profile, QStringLiteral("b"), readStoredChoices(Profile()));
    EXPECT_TRUE(profile.bytes().startsWith(window + "[Presets]\n"));
    const std::vector<Preset> mine = userPresets(Profile(profile.bytes()));
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].name, QStringLiteral("お店"));
    const StoredChoices back = withPreset(StoredChoices{}, mine[0]);
    EXPECT_EQ(back.widthText, QStringLiteral("50%"));
    EXPECT_EQ(back.heightText, QStringLiteral("1080"));
    EXPECT_EQ(back.fitMode, StoredFit::Fill);
    EXPECT_EQ(back.crop, StoredCrop::Attention);
    EXPECT_TRUE(back.noEnlarge && back.keepDates && back.sizeConversion);
    EXPECT_EQ(back.qualityText, QStringLiteral("77"));
    EXPECT_EQ(back.maxKB, 120);
    EXPECT_EQ(back.namePattern, QStringLiteral("shop;{n}=x"));
    removePreset(profile, QStringLiteral("お店"));
    removePreset(profile, QStringLiteral("b"));
    EXPECT_EQ(profile.bytes(), window + "[Presets]\n");

    // Names: built-ins answer to their ASCII name and Japanese label; a user's name may not
    // take theirs, nor break the file's lines.
    const std::vector<Preset> all = allPresets(Profile(QByteArray("[Presets]\nShop=format=JPEG\n")));
    EXPECT_EQ(findPreset(all, QStringLiteral("メール用"))->name, QStringLiteral("mail"));
    EXPECT_EQ(findPreset(all, QStringLiteral("SNS-Square"))->choices.widthText, QStringLiteral("1080"));
    EXPECT_EQ(findPreset(all, QStringLiteral("shop"))->name, QStringLiteral("Shop"));
    EXPECT_FALSE(findPreset(all, QStringLiteral("nope")));
    const QString longest(kMaxPresetName, QLatin1Char('x'));
    for (const QString& bad :
         {QString(), QStringLiteral(" "), QStringLiteral("mail"), QStringLiteral("ブログ用"),
          QStringLiteral("SHOP"), QStringLiteral("a=b"), QStringLiteral("[x"), QStringLiteral(";x"),
          QStringLiteral("a\tb"), longest + QLatin1Char('x'),
          QString(kMaxPresetName + 1, QChar(0x3042)), QStringLiteral("\uFEFFShop2"),
          QStringLiteral("Holiday\u2028b"), QStringLiteral("a\u2029b"), QStringLiteral("a\uFFFFb"),
          QStringLiteral("a\u0085b"), QStringLiteral("a\u202Eb"),
          QString(QChar(0xD800)) + QLatin1Char('a')})
        EXPECT_FALSE(presetNameProblem(all, bad).isEmpty()) << qPrintable(bad);
    EXPECT_TRUE(presetNameProblem(all, QStringLiteral("SHOP"), QStringLiteral("Shop")).isEmpty());
    for (const QString& good :
         {QStringLiteral("旅行 2026"), longest, QString(kMaxPresetName, QChar(0x3042)),
          QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9 家族"),
          QString::fromUcs4(std::u32string(kMaxPresetName, U'\U0001F600').c_str())})
        EXPECT_TRUE(presetNameProblem(all, good).isEmpty()) << qPrintable(good);
}

// A name put into the file by hand that no preset may have is not listed, and the reader says
// so; each of the others is read with its own choices, the first of a repeated name winning.
TEST(PresetStoreTest, NamesNoPresetMayHaveAreSkippedAndTold) {
    const Profile profile(QByteArray("[Presets]\n"
                                     "\xEF\xBB\xBF"
                                     "Bom=format=PNG\n"
                                     "Line\xE2\x80\xA8"
                                     "b=format=PNG\n"
                                     "Esc\x1b[31m=format=PNG\n"
                                     "No\xEF\xBF\xBF=format=PNG\n"
                                     "Shop=format=GIF\n"
                                     "Photo=format=BMP;exif=1\n"
                                     "shop=format=TIFF\n"));
    QStringList notices;
    const std::vector<Preset> mine = userPresets(profile, &notices);
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].name, QStringLiteral("Shop"));
    EXPECT_EQ(mine[0].choices.formatText, QStringLiteral("GIF"));
    EXPECT_EQ(mine[1].choices.formatText, QStringLiteral("BMP"));
    EXPECT_TRUE(mine[1].choices.keepExif);
    ASSERT_EQ(notices.size(), 5);
    EXPECT_TRUE(notices[2].contains(QStringLiteral("Esc\\x1B[31m"))) << qPrintable(notices[2]);
    EXPECT_FALSE(notices.join(QString()).contains(QChar(0x1b)));
}

} // namespace
} // namespace quillmorph
