#include "Profile.h"
#include "StoredChoices.h"
#include "TestImages.h"

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

TEST(StoredChoicesTest, WindirDecidesWhereTheFileLives) {
    const QByteArray saved = qgetenv("windir");
    qputenv("windir", "/tmp/somewhere");
    EXPECT_EQ(settingsFilePath(), QStringLiteral("/tmp/somewhere/quillmorph.ini"));
    qunsetenv("windir");
    EXPECT_TRUE(settingsFilePath().endsWith(QLatin1String("/quillmorph/quillmorph.ini")));
    if (!saved.isEmpty())
        qputenv("windir", saved);
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
    EXPECT_EQ(p.text(), QStringLiteral("; keep this comment\r\n[Other]\r\niWidth=1\r\n\r\n[v1.00202]\r\n"
                                       "IWIDTH=800\r\n; note\r\nExtra=yes\r\niHeight=600\r\n\r\n"
                                       "[Last]\r\nz=26\r\n[New]\r\nk=a b\r\n"));
    EXPECT_EQ(p.readInt(QStringLiteral("V1.00202"), QStringLiteral("iwidth"), 0), 800);
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

    const QString huge = dir.filePath(QStringLiteral("huge.ini"));
    const QByteArray bytes(3 << 20, 'x');
    test::writeBytes(huge, bytes);
    EXPECT_FALSE(saveStoredChoices(huge, readStoredChoices(Profile())));
    EXPECT_EQ(test::readBytes(huge), bytes);
}

} // namespace
} // namespace quillmorph
