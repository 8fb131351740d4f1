#include "Bombs.h"
#include "CliOptionTable.h"
#include "CliOptions.h"
#include "CliUsage.h"
#include "TestImages.h"
#include "batch/SizeSummary.h"
#include "files/PatternFields.h"
#include "frontend/OptionsFromChoices.h"
#include "options/Language.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <csignal>
#include <unistd.h>
#endif

namespace quillmorph {
namespace {

using vips::VImage;

// The program's translation into language ("ja", "en") while it lives.
class Translations {
public:
    explicit Translations(const QString& language) { installTranslations(owner_, {language}); }

private:
    QObject owner_;
};

QString withoutSpaces(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// The text of the --help row that begins with head, its lines joined, without spaces.
QString unwrapped(const QStringList& lines, const QString& head) {
    const auto row = std::find_if(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(head + QLatin1String("  "));
    });
    if (row == lines.end())
        return QStringLiteral("(no row)");
    QString text = row->mid(head.size());
    for (auto next = row + 1; next != lines.end() && next->startsWith(QString(22, QLatin1Char(' ')));
         ++next)
        text += *next;
    return withoutSpaces(text);
}

// Columns a terminal gives line: two for a Japanese character.
int terminalColumns(const QString& line) {
    int columns = 0;
    for (const char32_t c : line.toUcs4())
        columns += c >= 0x1100 ? 2 : 1;
    return columns;
}

struct CliRun {
    int exitCode = -1;
    QStringList out;
    QString err;
};

class CliTest : public ::testing::Test {
protected:
    CliTest() { QDir().mkpath(windir()); }

    QString windir() const { return home_.filePath(QStringLiteral("windir")); }
    QString outputDir() const { return home_.filePath(QStringLiteral("out")); }
    QString image(const QString& name, const VImage& pixels) const {
        return test::writeImage(pixels, home_.filePath(name));
    }

    // locale, when given, replaces the desktop's language settings (the test main's "ja");
    // prefix, when given, is the command the tool is started through.
    CliRun run(const QStringList& args, const QString& locale = {}, const QStringList& prefix = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("windir"), windir());
        env.insert(QStringLiteral("APPDATA"), home_.filePath(QStringLiteral("appdata"))); // Windows: no settings of the account
        env.insert(QStringLiteral("HOME"), home_.path());
        if (!locale.isEmpty()) {
            for (const char* name : {"LANGUAGE", "LC_MESSAGES", "LANG"})
                env.remove(QLatin1String(name));
            env.insert(QStringLiteral("LC_ALL"), locale);
        }
#ifdef _WIN32
        // Qt on Windows reads no LANGUAGE nor LC_ALL: the locale LANG names goes before the
        // account's UI languages.
        env.insert(QStringLiteral("LANG"), locale.isEmpty() ? QStringLiteral("ja_JP") : locale);
#endif
        process.setProcessEnvironment(env);
        if (prefix.isEmpty())
            process.start(QStringLiteral(QUILLMORPH_CLI), args);
        else
            process.start(prefix.first(), prefix.mid(1) + QStringList{QStringLiteral(QUILLMORPH_CLI)} + args);
        process.waitForFinished(120000);
        CliRun r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.err = QString::fromUtf8(process.readAllStandardError());
        return r;
    }

    QTemporaryDir home_;
};

TEST_F(CliTest, ConvertsLikeADropAndPrintsWhatItDid) {
    const QString a = image(QStringLiteral("a.png"), test::solid(200, 100, {0, 255, 0}));
    const QString b = image(QStringLiteral("b.jpg"), test::solid(100, 200, {0, 255, 0}));
    const CliRun r = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--format"),
                          QStringLiteral("PNG"), QStringLiteral("--size"), QStringLiteral("64x48"),
                          QStringLiteral("--background"), QStringLiteral("#ff0000"), a, b});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.out.size(), 5);
    const QString folder = r.out[0];
    EXPECT_EQ(QFileInfo(folder).absolutePath(), outputDir());
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith(QLatin1String("pic")));
    EXPECT_EQ(r.out[1], folder + QStringLiteral("/a.png"));
    EXPECT_EQ(r.out[2], folder + QStringLiteral("/b.png"));
    EXPECT_EQ(r.out[3], QStringLiteral(" 2ファイルを変換終了しました。"));
    const auto bytes = [](const QStringList& files) {
        return QFileInfo(files[0]).size() + QFileInfo(files[1]).size();
    };
    EXPECT_EQ(r.out[4], QStringLiteral("合計 %1 → %2")
                            .arg(message::byteSize(bytes({a, b})), message::byteSize(bytes(r.out.mid(1)))));

    const VImage out = test::readImage(r.out[2]);
    EXPECT_EQ(out.width(), 64);
    EXPECT_EQ(out.height(), 48);
    EXPECT_TRUE(test::near(test::pixelAt(out, 0, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(test::near(test::pixelAt(out, 32, 24), {0, 255, 0}));
}

TEST_F(CliTest, SpeaksEnglishOutsideAJapaneseLocale) {
    const QString a = image(QStringLiteral("a.png"), test::solid(20, 10, {0, 255, 0}));
    const QStringList args{QStringLiteral("--output-dir"), outputDir(), a};
    const CliRun english = run(args, QStringLiteral("en_US.UTF-8"));
    ASSERT_EQ(english.exitCode, 0) << english.err.toStdString();
    EXPECT_EQ(english.out.value(english.out.size() - 2), QStringLiteral("Converted 1 file."));
    EXPECT_TRUE(english.out.last().startsWith(QLatin1String("Total "))) << english.out.last().toStdString();
    // With auto, the quality chosen follows the sizes.
    const CliRun byEye =
        run(args + QStringList{QStringLiteral("--quality=auto")}, QStringLiteral("en_US.UTF-8"));
    EXPECT_TRUE(byEye.out.last().startsWith(QLatin1String("Quality chosen by eye: ")))
        << byEye.out.last().toStdString();
    // A picture too small to judge is counted apart.
    const QString tiny = image(QStringLiteral("tiny.png"), test::solid(5, 4, {0, 255, 0}));
    const CliRun notJudged =
        run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--quality=auto"), tiny},
            QStringLiteral("en_US.UTF-8"));
    EXPECT_EQ(notJudged.out.value(notJudged.out.size() - 1),
              QStringLiteral("Quality chosen by eye: none (1 not judged)"));
    const CliRun japanese = run(args, QStringLiteral("ja_JP.UTF-8"));
    ASSERT_EQ(japanese.exitCode, 0) << japanese.err.toStdString();
    EXPECT_EQ(japanese.out.value(japanese.out.size() - 2), QStringLiteral(" 1ファイルを変換終了しました。"));

    EXPECT_EQ(run({}, QStringLiteral("en_US.UTF-8")).err,
              QStringLiteral("quillmorph-cli: no files given\nTry 'quillmorph-cli --help'.\n"));
    EXPECT_EQ(run({}, QStringLiteral("ja_JP.UTF-8")).err,
              QStringLiteral("quillmorph-cli: ファイルが指定されていません\n"
                             "詳しくは「quillmorph-cli --help」を実行してください。\n"));
}

TEST_F(CliTest, NamesKeepTheirBytesButNeverDriveTheTerminal) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows name is UTF-16: no file is named by bytes that are not UTF-8, "
                    "and no bash hands names over as bytes";
#endif
    // Latin-1 "café" and Shift_JIS "写真", as unpacked from old archives; a name that would set
    // the terminal's title and split its line; one that is no picture and would clear the screen.
    const QByteArrayList names{"caf\xe9.png", "\x8e\xca\x90\x5e.jpg",
                               "t\x1b]0;pwned\x07\nx.png", "z\x1b[2J.jpg"};
    const QByteArray dir = QFile::encodeName(home_.filePath(QStringLiteral("in")));
    ASSERT_TRUE(QDir().mkpath(home_.filePath(QStringLiteral("in"))));
    for (const QByteArray& name : names) {
        const QString made = name.startsWith('z')
                                 ? test::writeBytes(home_.filePath(QStringLiteral("made.png")), "text")
                                 : image(QStringLiteral("made.png"), test::solid(40, 20, {0, 0, 255}));
        ASSERT_EQ(::rename(QFile::encodeName(made).constData(), (dir + '/' + name).constData()), 0);
    }
    // The shell hands the names over as bytes; QProcess would encode them as UTF-8.
    QProcess shell;
    shell.setWorkingDirectory(home_.filePath(QStringLiteral("in")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("windir"), windir());
    env.insert(QStringLiteral("APPDATA"), home_.filePath(QStringLiteral("appdata"))); // Windows: no settings of the account
    shell.setProcessEnvironment(env);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("\"$0\" --keep-going --format JPEG --output-dir \"$1\" *"),
                                         QStringLiteral(QUILLMORPH_CLI), outputDir()});
    ASSERT_TRUE(shell.waitForFinished(120000));
    const QByteArray err = shell.readAllStandardError();
    ASSERT_EQ(shell.exitCode(), 1) << err.toStdString();
    const QByteArrayList lines = shell.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 5);
    const QByteArray folder = lines[0];
    EXPECT_EQ(lines[1], folder + "/caf\xe9.jpg");
    EXPECT_EQ(lines[2], folder + "/t\\x1B]0;pwned\\x07\\x0Ax.jpg");
    EXPECT_EQ(lines[3], folder + "/\x8e\xca\x90\x5e.jpg");
    for (const QByteArray& line : {lines[1], lines[3]}) {
        const VImage out = VImage::new_from_file(line.constData());
        EXPECT_EQ(out.width(), 40) << line.toStdString();
    }
    EXPECT_TRUE(err.contains(dir + "/z\\x1B[2J.jpg\n")) << err.toStdString();
    EXPECT_FALSE(err.contains('\x1b'));
    // QTemporaryDir cannot remove what it cannot name.
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), home_.path()});
}

TEST_F(CliTest, StoredSettingsAreTheDefaultsAndAreNeverWritten) {
    const QByteArray ini =
        "[V1.00202]\r\niSizeConv=1\r\niWidth=32\r\niHeight=24\r\niRez=100\r\nImageFormat=BMP\r\niBackColor=255\r\n";
    const QString iniPath = windir() + QStringLiteral("/quillmorph.ini");
    test::writeBytes(iniPath, ini);
    const QString a = image(QStringLiteral("wide.png"), test::solid(100, 20, {0, 0, 255}));

    const CliRun r = run({QStringLiteral("--output-dir"), outputDir(), a});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.out.size(), 4);
    ASSERT_TRUE(r.out[1].endsWith(QLatin1String("/wide.bmp")));
    // Read by Qt: the Windows build's libvips has no BMP loader.
    const QImage out(r.out[1]);
    EXPECT_EQ(out.width(), 32);
    EXPECT_EQ(out.height(), 24);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(test::readBytes(iniPath), ini);

    const CliRun off = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--no-size"), a});
    ASSERT_EQ(off.exitCode, 0);
    EXPECT_EQ(QImage(off.out[1]).width(), 100);

    QFile::remove(iniPath);
    ASSERT_EQ(run({QStringLiteral("--output-dir"), outputDir(), a}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(iniPath));
}

TEST_F(CliTest, AFailedBatchExitsWithOneAndItsMessage) {
    const QString good = image(QStringLiteral("good.png"), test::solid(10, 10, {1, 2, 3}));
    const QString missing = home_.filePath(QStringLiteral("missing.png"));
    const CliRun r = run({QStringLiteral("--output-dir"), outputDir(), good, missing, good});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.size(), 2); // the folder and the one file converted before the failure
    const QString notThere = QStringLiteral("ファイルが見つかりません。移動または削除されたようです。\n");
    // The file after it was left, and that is said too.
    const QString rest = QStringLiteral("残りのファイルは変換していません。\n");
    EXPECT_EQ(r.err, QStringLiteral("エラー:  3 In Load\n") + missing + QLatin1Char('\n') + notThere + rest);

    // Kept going: the failure as it happens, the file after it converted, the counts, exit 1.
    const CliRun going = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--keep-going"),
                              good, missing, image(QStringLiteral("after.png"), test::solid(10, 10, {1, 2, 3}))});
    EXPECT_EQ(going.exitCode, 1);
    EXPECT_EQ(going.out.size(), 3);
    EXPECT_TRUE(going.err.startsWith(QStringLiteral("エラー:  3 In Load\n") + missing + QLatin1Char('\n') +
                                     notThere + QStringLiteral(" 2ファイルを変換し、 1ファイルが失敗しました。\n合計 ")))
        << going.err.toStdString();

    // An option no picture can be converted with names none; the dated folder is made first.
    test::writeBytes(windir() + QStringLiteral("/quillmorph.ini"), "[V1.00202]\niSizeConv=1\niWidth=abc\n");
    const CliRun option = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--keep-going"), good, good});
    EXPECT_EQ(option.exitCode, 1);
    // The specified line, then the quieter one naming the forms the boxes take.
    EXPECT_EQ(option.err, QStringLiteral("幅と高さには 1 ～ 32767 の数値を指定してください。\n"
                                         "幅と高さは 1〜32767 の数で指定します。片方を空欄か * にすると"
                                         "もう片方は画像の縦横比に従い、50% のように書くと元の大きさの"
                                         "割合になります。\n") +
                             rest);
    ASSERT_EQ(option.out.size(), 1);
    EXPECT_TRUE(QFileInfo(option.out[0]).isDir());
}

TEST_F(CliTest, QualityReachesTheEncoder) {
    VImage noise = VImage::gaussnoise(300, 300, VImage::option()->set("sigma", 60)).cast(VIPS_FORMAT_UCHAR);
    const QString file = image(QStringLiteral("noise.png"), noise);
    for (const auto& [format, extension] : {std::pair{"JPEG", ".jpg"}, std::pair{"AVIF", ".avif"}}) {
        const auto sizeAt = [&](const char* quality) {
            const CliRun r = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--format"),
                                  QLatin1String(format), QStringLiteral("--no-size"),
                                  QStringLiteral("--quality"), QLatin1String(quality), file});
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_TRUE(r.out.value(1).endsWith(QLatin1String(extension))) << r.out.value(1).toStdString();
            return QFileInfo(r.out.value(1)).size();
        };
        EXPECT_GT(sizeAt("100"), 3 * sizeAt("8")) << format;
    }
}

QString sizeWants(const QString& text) {
    return QStringLiteral("--size には「%1」ではなく、W と H が 1 ～ 32767 の WxH、Wx* か *xH、"
                          "または 50% のような割合を指定してください").arg(text);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const QString file = image(QStringLiteral("x.png"), test::solid(4, 4, {1, 2, 3}));
#ifdef _WIN32
    // A Windows command line holds 32767 characters at most, quotes and spaces included.
    const qsizetype many = 30000 / (file.size() + 3);
#else
    const qsizetype many = 4000;
#endif
    QStringList thousands;
    for (qsizetype i = 0; i < many; ++i)
        thousands << file;
    const struct {
        QStringList args;
        QString message;
    } bad[] = {
        {{}, QStringLiteral("ファイルが指定されていません")},
        {{QStringLiteral("--format"), QStringLiteral("jpeg"), file},
         QStringLiteral(
             "画像形式「jpeg」はありません。BMP, JPEG, PNG, GIF, PSD, CMP, PCT, RAS, WEBP, "
             "AVIF, JXL, TIFF のいずれかを指定してください")},
        {{QStringLiteral("--size"), QStringLiteral("0x5"), file},
         sizeWants(QStringLiteral("0x5"))},
        {{QStringLiteral("--size"), QStringLiteral("0x0"), file},
         sizeWants(QStringLiteral("0x0"))},
        {{QStringLiteral("--size"), QStringLiteral("32768x1"), file},
         sizeWants(QStringLiteral("32768x1"))},
        {{QStringLiteral("--size"), QStringLiteral("640"), file},
         sizeWants(QStringLiteral("640"))},
        {{QStringLiteral("--size=10x10"), QStringLiteral("--no-size"), file},
         QStringLiteral("--size と --no-size は同時に指定できません")},
        {{QStringLiteral("--background"), QStringLiteral("nocolour"), file},
         QStringLiteral(
             "--background には「nocolour」ではなく、#RRGGBB か色の名前を指定してください")},
        {{QStringLiteral("--background"), QStringLiteral("nonsense"), file},
         QStringLiteral(
             "--background には「nonsense」ではなく、#RRGGBB か色の名前を指定してください")},
        {{QStringLiteral("--quality"), QStringLiteral("best"), file},
         QStringLiteral(
             "--quality には「best」ではなく、0 ～ 100 の数値か auto を指定してください")},
        {{QStringLiteral("--quality"), QStringLiteral("-5"), file},
         QStringLiteral("--quality には「-5」ではなく、0 ～ 100 の数値か auto を指定してください")},
        {{QStringLiteral("--quality=100.5"), file},
         QStringLiteral(
             "--quality には「100.5」ではなく、0 ～ 100 の数値か auto を指定してください")},
        {{QStringLiteral("--bogus"), file}, QStringLiteral("--bogus というオプションはありません")},
        {{QStringLiteral("--bogus=1"), file},
         QStringLiteral("--bogus というオプションはありません")},
        {{QStringLiteral("--output-dir")}, QStringLiteral("--output-dir には値が必要です")},
        {{QStringLiteral("--output-dir="), file}, QStringLiteral("--output-dir には値が必要です")},
        {{QStringLiteral("--mode"), QStringLiteral("squash"), file},
         QStringLiteral(
             "--mode には「squash」ではなく、pad、fit、fill のいずれかを指定してください")},
        {{QStringLiteral("--mode=Fill"), file},
         QStringLiteral(
             "--mode には「Fill」ではなく、pad、fit、fill のいずれかを指定してください")},
        {{QStringLiteral("--crop"), QStringLiteral("left"), file},
         QStringLiteral("--crop には「left」ではなく、centre か attention を指定してください")},
        {{file, QStringLiteral("--crop")}, QStringLiteral("--crop には値が必要です")},
        {{QStringLiteral("--crop"), QString(), file}, QStringLiteral("--crop には値が必要です")},
        {{QStringLiteral("--max-size"), QStringLiteral("300KB"), file},
         QStringLiteral("--max-size には「300KB」ではなく、KB 単位の数値か、K または M "
                        "を付けたサイズ (1024M まで) を指定してください")},
        {{QStringLiteral("--max-size"), QStringLiteral("0.4K"), file},
         QStringLiteral(
             "--max-size には「0.4K」ではなく、1K 以上のサイズ (0 で上限なし) を指定してください")},
        {{QStringLiteral("--max-size=2G"), file},
         QStringLiteral("--max-size には「2G」ではなく、KB 単位の数値か、K または M を付けたサイズ (1024M まで) を指定してください")},
        {{QStringLiteral("--size"), QStringLiteral("50%x25%"), file}, sizeWants(QStringLiteral("50%x25%"))},
        {{file, QStringLiteral("--preset"), QStringLiteral("holiday")},
         QStringLiteral("プリセット「holiday」はありません。mail, blog, sns-square, wallpaper, "
                        "thumbnail, web-webp のいずれかを指定してください")},
        {{QStringLiteral("--name"), QStringLiteral("{name}/{n}"), file},
         QStringLiteral("--name: 「/」は名前に使えません。使えるのは {name}、{n}、{w}、{h}、{date}、"
                        "{preset} です")},
        {{QStringLiteral("--name"), QStringLiteral(".{name}"), file},
         QStringLiteral("--name: 「.」で始まる名前は出力が隠しファイルになるため使えません")},
        {{QStringLiteral("--name"), QStringLiteral("{name}\x01"), file},
         QStringLiteral("--name: 改行や制御文字 (U+0001) は名前に使えません")},
        {{QStringLiteral("--name"), QStringLiteral("a\nb"), file},
         QStringLiteral("--name: 改行や制御文字 (U+000A) は名前に使えません")},
        {{file, QStringLiteral("--preset"), QStringLiteral("ho\x1b[2Jliday")},
         QStringLiteral("プリセット「ho\\x1B[2Jliday」はありません。mail, blog, sns-square, "
                        "wallpaper, thumbnail, web-webp のいずれかを指定してください")},
        {thousands + QStringList{QStringLiteral("--bogus")}, QStringLiteral("--bogus というオプションはありません")},
    };
    for (const auto& [args, message] : bad) {
        SCOPED_TRACE(args.mid(0, 3).join(' ').toStdString());
        const CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, QStringLiteral("quillmorph-cli: ") + message +
                             QStringLiteral("\n詳しくは「quillmorph-cli --help」を実行してください。\n"));
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(outputDir()));
    EXPECT_FALSE(QFileInfo::exists(home_.filePath(QStringLiteral("Desktop"))));
}

// Where the file system says no, the batch ends with the message and its path, exit 1, and
// nothing appears anywhere but an empty dated folder.
TEST_F(CliTest, RefusalsOfTheFileSystemExitWithOneAndWriteNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the tool as nobody with POSIX permissions";
#else
    const QString file = image(QStringLiteral("x.png"), test::solid(4, 4, {1, 2, 3}));
    const QString aFile = home_.filePath(QStringLiteral("a-file"));
    test::writeBytes(aFile, "kept");
    const QString readOnly = home_.filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                    QFileDevice::ReadOther | QFileDevice::ExeOther));
    // Root writes anywhere: it is refused as nobody, who needs to reach the source.
    QStringList nobody;
    if (::geteuid() == 0) {
        nobody = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups")};
        ASSERT_TRUE(QFile::setPermissions(home_.path(), QFile::permissions(home_.path()) |
                                                            QFileDevice::ReadOther | QFileDevice::ExeOther));
    }
    const QString missingFolder = home_.filePath(QStringLiteral("album"));
    // 255 bytes, the longest name there is; its output's name, with ".jpg", is longer.
    const QString longName = home_.filePath(QString(253, QLatin1Char('n')) + QStringLiteral(".b"));
    ASSERT_TRUE(QFile::copy(file, longName));
    // A path of 4096 bytes, one more than any call takes.
    QString longPath = home_.path();
    while (longPath.size() < 4096 - 101)
        longPath += QLatin1Char('/') + QString(100, QLatin1Char('d'));
    longPath += QLatin1Char('/') + QString(4096 - 1 - longPath.size(), QLatin1Char('p'));
    ASSERT_EQ(QFile::encodeName(longPath).size(), 4096);

    const QString cannotMake = QStringLiteral("出力フォルダを作成できませんでした。\n");
    const QString notFound = QStringLiteral("ファイルが見つかりません。移動または削除されたようです。\n");
    const QString tooLong = QStringLiteral("ファイル名かパスがファイルシステムの上限より長すぎます。\n");
    const struct {
        const char* what;
        QStringList args;
        QStringList prefix;
        QString err; // the text, or its start when it ends in a dated folder's name
    } cases[] = {
        {"--output-dir a file", {QStringLiteral("--output-dir"), aFile, file}, {}, cannotMake + aFile + QStringLiteral("/pic")},
        {"--output-dir not writable", {QStringLiteral("--output-dir"), readOnly, file}, nobody,
         cannotMake + readOnly + QStringLiteral("/pic")},
        {"a missing folder", {QStringLiteral("--output-dir"), outputDir(), missingFolder + QLatin1Char('/')}, {},
         QStringLiteral("エラー:  3 In Load\n") + missingFolder + QLatin1Char('\n') + notFound},
        {"a name of 255 bytes", {QStringLiteral("--output-dir"), outputDir(), longName}, {},
         QStringLiteral("エラー:  19 In Save\n") + longName + QLatin1Char('\n') + tooLong},
        {"a path of 4096 bytes", {QStringLiteral("--output-dir"), outputDir(), longPath}, {},
         QStringLiteral("エラー:  19 In Load\n") + longPath + QLatin1Char('\n') + tooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = run(c.args, {}, c.prefix);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.startsWith(c.err)) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), r.err.startsWith(cannotMake) ? 2 : 3) << r.err.toStdString();
        EXPECT_EQ(r.out.size(), r.err.startsWith(cannotMake) ? 0 : 1) << "only the dated folder's name";
        QStringList written;
        for (QDirIterator it(outputDir(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
             it.hasNext();)
            written << it.next();
        EXPECT_EQ(written, QStringList());
    }
    EXPECT_EQ(test::readBytes(aFile), "kept");
    EXPECT_EQ(QDir(readOnly).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    EXPECT_FALSE(QFileInfo::exists(home_.filePath(QStringLiteral("Desktop"))));
#endif
}

// Killed, only complete files are left; stopped by SIGINT or SIGTERM, it finishes the file in
// hand, says how far it got and exits as the shell expects of the signal. Its temporary folder
// of its own goes with it, or, when it was killed, as the next one starts.
TEST_F(CliTest, EndedMidBatchLeavesOnlyCompleteFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX signals; the console's Ctrl events: TerminationSignalsWindowsTest";
#else
    const QString first = image(QStringLiteral("n0.png"), test::noise(1200, 900));
    QStringList sources{first};
    for (int i = 1; i < 40; ++i) {
        const QString copy = home_.filePath(QStringLiteral("n%1.png").arg(i));
        ASSERT_TRUE(QFile::copy(first, copy));
        sources << copy;
    }
    const QString temporary = home_.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    for (const int signalNumber : {SIGKILL, SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        const QString out = home_.filePath(QStringLiteral("out%1").arg(signalNumber));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("windir"), windir());
        env.insert(QStringLiteral("APPDATA"), home_.filePath(QStringLiteral("appdata"))); // Windows: no settings of the account
        env.insert(QStringLiteral("TMPDIR"), temporary);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLMORPH_CLI),
                      QStringList{QStringLiteral("--output-dir"), out, QStringLiteral("--no-size"),
                                  QStringLiteral("--format"), QStringLiteral("PNG")} +
                          sources);
        ASSERT_TRUE(process.waitForStarted());
        const qint64 pid = process.processId();
        QString folder;
        for (int waited = 0; waited < 60000 && process.state() == QProcess::Running; waited += 20) {
            const QStringList folders = QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            if (!folders.isEmpty()) {
                folder = QDir(out).filePath(folders.front());
                if (QDir(folder).entryList(QDir::Files).size() >= 3)
                    break;
            }
            QThread::msleep(20);
        }
        ASSERT_EQ(process.state(), QProcess::Running) << "the batch ended before the signal";
        ::kill(pid_t(process.processId()), signalNumber);
        ASSERT_TRUE(process.waitForFinished(60000));

        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        EXPECT_GE(left.size(), 3);
        EXPECT_LT(left.size(), 40);
        for (const QString& name : left) {
            EXPECT_TRUE(name.startsWith(QLatin1Char('n')) && name.endsWith(QLatin1String(".png")))
                << name.toStdString();
            const VImage back = VImage::new_from_file(
                (QFile::encodeName(QDir(folder).filePath(name)) + "[fail_on=truncated]").constData());
            EXPECT_NO_THROW(back.avg()) << name.toStdString();
            EXPECT_EQ(back.width(), 1200);
        }
        const QStringList leftInTemporary = QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        if (signalNumber == SIGKILL) {
            ASSERT_EQ(leftInTemporary.size(), 1);
            EXPECT_TRUE(leftInTemporary[0].startsWith(QStringLiteral("quillmorph-%1-").arg(pid)))
                << leftInTemporary[0].toStdString();
            continue;
        }
        EXPECT_EQ(leftInTemporary, QStringList());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 128 + signalNumber);
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
                  QStringLiteral(" %1ファイルを変換した時点で中止しました。\n"
                                 "残りのファイルは変換していません。\n")
                      .arg(left.size()));
    }
#endif
}

// Out of open files (ulimit -n 8) is a limit of the system, not damage: its own status, whichever
// step meets it, and the batch goes on.
TEST_F(CliTest, TheOpenFileLimitIsItsOwnFailure) {
#ifdef _WIN32
    GTEST_SKIP() << "prlimit and RLIMIT_NOFILE are POSIX's";
#endif
#ifdef QUILLMORPH_SANITIZE
    GTEST_SKIP() << "UndefinedBehaviorSanitizer needs descriptors of its own to check a pointer's type; "
                    "out of them, it reports a false error and ends the tool before its first file";
#endif
    const QString a = image(QStringLiteral("a.png"), test::solid(40, 30, {1, 2, 3}));
    const QString b = image(QStringLiteral("b.jpg"), test::solid(40, 30, {1, 2, 3}));
    const CliRun r = run({QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--keep-going"), a, b}, {},
                         {QStringLiteral("prlimit"), QStringLiteral("--nofile=8:8")});
    EXPECT_EQ(r.exitCode, 1);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << r.err.toStdString();
    static const QRegularExpression openFiles(QStringLiteral("^エラー:  20 In (Load|Size|Save)$"));
    for (const int i : {0, 3})
        EXPECT_TRUE(openFiles.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_EQ(lines[1], a);
    EXPECT_EQ(lines[2], QStringLiteral("同時に開けるファイルの数が上限に達しました。上限を上げてもう一度お試しください。"));
    EXPECT_EQ(lines[4], b);
    EXPECT_EQ(lines[6], QStringLiteral(" 0ファイルを変換し、 2ファイルが失敗しました。"));
}

// Under an address-space limit (ulimit -v 600000) libraries that cannot get memory end the
// process (GLib's g_malloc, libjxl's checks): a file that would ask for too much is refused as
// too large before it is decoded, and the rest converts.
TEST_F(CliTest, ScarceAddressSpaceFailsFilesNotTheBatch) {
#ifdef _WIN32
    GTEST_SKIP() << "prlimit and RLIMIT_AS are POSIX's";
#endif
#ifdef QUILLMORPH_SANITIZE
    GTEST_SKIP() << "AddressSanitizer maps terabytes of shadow memory: no address-space limit leaves it room to start";
#endif
    const QStringList limit{QStringLiteral("prlimit"), QStringLiteral("--as=614400000")};
    const QString small = image(QStringLiteral("small.png"), test::solid(40, 30, {1, 2, 3}));
    const QString bomb = test::writeBytes(home_.filePath(QStringLiteral("bomb.gif")), test::gifDeclaring(20000, 20000));
    const QString photo = image(QStringLiteral("photo.jpg"), test::noise(2828, 2121)); // 6 MP
    const struct {
        const char* what;
        QStringList options;
        QString refused;
    } cases[] = {
        {"a GIF that declares 1.6 GB of frame", {QStringLiteral("--size"), QStringLiteral("600x450")}, bomb},
        {"6 MP into JPEG XL, whose encoder holds 50 bytes a pixel",
         {QStringLiteral("--no-size"), QStringLiteral("--format"), QStringLiteral("JXL")}, photo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = run(QStringList{QStringLiteral("--output-dir"), outputDir(), QStringLiteral("--keep-going")} +
                                 c.options + QStringList{small, c.refused},
                             {}, limit);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("エラー:  8 In Load\n") + c.refused +
                                     QStringLiteral("\n画像が大きすぎて扱えません。\n 1ファイルを変換し、 1ファイルが失敗しました。\n合計 ")))
            << r.err.toStdString();
        EXPECT_EQ(r.out.size(), 2); // the folder and the small file
    }
}

// A preset from the command line: every output within its limit and its box; the presets
// listed for the file managers; a share of each picture's own size.
TEST_F(CliTest, PresetsAndSharesFromTheCommandLine) {
    QDir().mkpath(home_.filePath(QStringLiteral("photos")));
    // Photo-like: detail that a high quality keeps dear, a low one cheap.
    const auto photo = [](int w, int h) { return test::noise(w, h).gaussblur(1.2).cast(VIPS_FORMAT_UCHAR); };
    image(QStringLiteral("photos/wide.png"), photo(2000, 1200));
    image(QStringLiteral("photos/tall.png"), photo(900, 1600));
    const CliRun mail = run({QStringLiteral("--preset"), QStringLiteral("メール用"),
                             QStringLiteral("--output-dir"), outputDir(), home_.filePath(QStringLiteral("photos"))});
    ASSERT_EQ(mail.exitCode, 0) << mail.err.toStdString();
    for (const QString& output : mail.out.mid(1, 2)) {
        const VImage out = test::readImage(output);
        EXPECT_EQ(std::max(out.width(), out.height()), 1280) << output.toStdString();
        EXPECT_LE(QFileInfo(output).size(), 300 * 1024) << output.toStdString();
        EXPECT_TRUE(output.endsWith(QLatin1String(".jpg")));
    }
    const CliRun half = run({QStringLiteral("--size=50%"), QStringLiteral("--format=PNG"),
                             QStringLiteral("--output-dir"), outputDir(),
                             home_.filePath(QStringLiteral("photos/tall.png"))});
    ASSERT_EQ(half.exitCode, 0) << half.err.toStdString();
    EXPECT_EQ(test::readImage(half.out[1]).width(), 450);
    EXPECT_EQ(test::readImage(half.out[1]).height(), 800);

    test::writeBytes(windir() + QStringLiteral("/quillmorph.ini"), "[Presets]\nお店=format=PNG;name=shop_{n}\n");
    const CliRun list = run({QStringLiteral("--list-presets")}, QStringLiteral("C.UTF-8"));
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, (QStringList{QStringLiteral("mail\tFor e-mail"), QStringLiteral("blog\tFor a blog"),
                                     QStringLiteral("sns-square\tSocial square"), QStringLiteral("wallpaper\tWallpaper"),
                                     QStringLiteral("thumbnail\tThumbnail"), QStringLiteral("web-webp\tWebP for the web"),
                                     QStringLiteral("お店\tお店")}));
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();

    // Names no preset may have, put into the file by hand, are told once and left out; the
    // others list as before.
    test::writeBytes(windir() + QStringLiteral("/quillmorph.ini"),
                     "[V1.00202]\nNamePattern=\x01{name}\n[Presets]\nEsc\x1b[31m=format=PNG\n"
                     "Line\xE2\x80\xA8" "b=format=PNG\nお店=format=PNG\n");
    const CliRun odd = run({QStringLiteral("--list-presets")}, QStringLiteral("C.UTF-8"));
    EXPECT_EQ(odd.exitCode, 0);
    EXPECT_EQ(odd.out.size(), 7);
    EXPECT_EQ(odd.out.value(6), QStringLiteral("お店\tお店"));
    EXPECT_EQ(odd.err,
              QStringLiteral("quillmorph-cli: The preset \"Esc\\x1B[31m\" in the settings file was "
                             "not read: no preset may have that name.\n"
                             "quillmorph-cli: The preset \"Line\u2028b\" in the settings file was "
                             "not read: no preset may have that name.\n"
                             "quillmorph-cli: The name pattern \"\\x01{name}\" in the settings file "
                             "cannot be used; the outputs keep their sources' names.\n"));

    // Past the size a settings file can have, the tool says so and runs on its defaults.
    QByteArray huge("[Presets]\n");
    while (huge.size() <= Profile::kMaxBytes)
        huge += "p" + QByteArray::number(huge.size()) + "=format=PNG\n";
    test::writeBytes(windir() + QStringLiteral("/quillmorph.ini"), huge);
    const CliRun large = run({QStringLiteral("--list-presets")});
    EXPECT_EQ(large.exitCode, 0);
    EXPECT_EQ(large.out.size(), 6);
    EXPECT_TRUE(large.err.startsWith(QStringLiteral("quillmorph-cli: 設定ファイル ") + windir() +
                                     QStringLiteral("/quillmorph.ini は大きすぎて読めないため")))
        << large.err.toStdString();
    EXPECT_EQ(test::readBytes(windir() + QStringLiteral("/quillmorph.ini")), huge);
}

TEST_F(CliTest, HelpAndVersion) {
    const CliRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.value(0).startsWith(QStringLiteral("使用法: quillmorph-cli")));
    const CliRun english = run({QStringLiteral("--help")}, QStringLiteral("en_US.UTF-8"));
    EXPECT_TRUE(english.out.value(0).startsWith(QLatin1String("Usage: quillmorph-cli")));
    // Every option of the table, in either language, with its whole description; the name
    // pattern's fields each with what it stands for.
    for (const auto& [language, lines] : {std::pair{"ja", help.out}, std::pair{"en", english.out}}) {
        SCOPED_TRACE(language);
        const Translations translations(QString::fromLatin1(language));
        int listed = 0;
        for (const CliOption& option : cliOptions()) {
            if (!option.description)
                continue;
            const QString head = QLatin1String("  ") + QLatin1String(option.name) +
                                 (option.argument ? QLatin1Char(' ') + QLatin1String(option.argument)
                                                  : QString());
            EXPECT_EQ(unwrapped(lines, head), withoutSpaces(describedOption(option))) << head.toStdString();
            ++listed;
        }
        EXPECT_EQ(listed, 19);
        const QString all = withoutSpaces(lines.join(QString()));
        for (const QString& field : describedPatternFields())
            EXPECT_TRUE(all.contains(withoutSpaces(field))) << field.toStdString();
        // The rows fit a terminal; the synopsis above them is written by hand.
        for (const QString& line : lines) {
            const bool row = line.startsWith(QLatin1String("  --")) ||
                             (line.startsWith(QString(22, QLatin1Char(' '))) &&
                              !line.trimmed().startsWith(QLatin1Char('[')));
            EXPECT_TRUE(!row || terminalColumns(line) <= 79) << line.toStdString();
        }
    }
    const CliRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringList{QStringLiteral("quillmorph-cli ") + QLatin1String(QUILLMORPH_VERSION)});
}

// The manual pages, written by help2man from --help, say what each field of a name pattern
// stands for in their language, as the field table does.
TEST(CliManPagesTest, NameFieldsAreThoseOfTheTable) {
#ifdef _WIN32
    GTEST_SKIP() << "the manual pages are written by help2man in the Linux build only";
#endif
    for (const auto& [language, page] : {std::pair{"en", "/man1/quillmorph-cli.1"},
                                         std::pair{"ja", "/ja/man1/quillmorph-cli.1"}}) {
        SCOPED_TRACE(language);
        const Translations translations(QString::fromLatin1(language));
        QFile file(QStringLiteral(QUILLMORPH_MAN_DIR) + QLatin1String(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        text.replace(QLatin1String("\\-"), QLatin1String("-"))
            .replace(QLatin1String("\\(aq"), QLatin1String("'"))
            .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]|\\\\&")));
        text = withoutSpaces(text);
        const auto fields = patternFields();
        const QStringList described = describedPatternFields();
        ASSERT_EQ(described.size(), qsizetype(fields.size()));
        for (const QString& field : described)
            EXPECT_TRUE(text.contains(withoutSpaces(field))) << field.toStdString();
    }
}

// A line of --help breaks between English words and between Japanese characters, never
// before a Japanese comma or inside a pattern; it fills the width it is given.
TEST(CliUsageTest, LinesBreakWhereTheLanguageAllows) {
    EXPECT_EQ(wrappedLines(QStringLiteral("one two three four"), 9),
              (QStringList{QStringLiteral("one two"), QStringLiteral("three"),
                           QStringLiteral("four")}));
    EXPECT_EQ(wrappedLines(QStringLiteral("a {name}_{w}x{h} b"), 10),
              (QStringList{QStringLiteral("a"), QStringLiteral("{name}_{w}x{h}"),
                           QStringLiteral("b")}));
    // Two columns a character: 像、 keeps its comma rather than start a line with it.
    EXPECT_EQ(wrappedLines(QStringLiteral("元の画像、大きさ"), 6),
              (QStringList{QStringLiteral("元の画"), QStringLiteral("像、大"),
                           QStringLiteral("きさ")}));
    EXPECT_EQ(wrappedLines(QStringLiteral("元の画像、大きさ"), 8),
              (QStringList{QStringLiteral("元の画"), QStringLiteral("像、大き"),
                           QStringLiteral("さ")}));
    EXPECT_EQ(wrappedLines(QStringLiteral("such as メール用, or one"), 12),
              (QStringList{QStringLiteral("such as"), QStringLiteral("メール用, or"),
                           QStringLiteral("one")}));
    EXPECT_EQ(wrappedLines(QString(), 10), QStringList{QString()});
}

TEST(CliOptionsTest, GivenOptionsOverrideTheStoredOnes) {
    StoredChoices stored;
    stored.formatText = QStringLiteral("weird"); // stored texts pass through untouched
    stored.widthText = QStringLiteral("800");
    stored.heightText = QStringLiteral("-5");
    stored.qualityText = QStringLiteral("50");
    // The window's menu choices never reach a script that did not ask for them.
    stored.keepGoing = stored.noEnlarge = stored.keepExif = stored.keepDates = true;
    stored.fitMode = StoredFit::Fill;
    stored.crop = StoredCrop::Attention;
    stored.outputFolder = QStringLiteral("/elsewhere");
    stored.maxKB = 300;
    stored.qualityByEye = true;
    QString error;
    const auto plain = parseCommandLine({"f.png"}, stored, QStringLiteral("/d"), error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->options.format.row, nullptr);
    EXPECT_EQ(plain->options.format.unknownText, QStringLiteral("weird"));
    EXPECT_EQ(plain->options.box, std::nullopt); // refused only when a file needs it
    EXPECT_EQ(plain->options.qualityFactor, 128);
    EXPECT_EQ(plain->outputParent, FilePath(QStringLiteral("/d")));
    EXPECT_EQ(plain->options.fitMode, FitMode::Pad);
    EXPECT_EQ(plain->options.crop, CropAnchor::Centre);
    EXPECT_FALSE(plain->options.keepGoing || plain->options.noEnlarge || plain->options.keepExif ||
                 plain->options.keepDates || plain->options.sizeLimitBytes ||
                 plain->options.qualityByEye);
    // auto keeps the quality value, stored or given in either order, as its ceiling.
    const auto byEye =
        parseCommandLine({"--quality", "auto", "--quality=88", "f"}, stored, {}, error);
    EXPECT_TRUE(byEye->options.qualityByEye);
    EXPECT_EQ(byEye->options.qualityFactor, 32);
    EXPECT_EQ(parseCommandLine({"--quality=auto", "f"}, stored, {}, error)->options.qualityFactor,
              128);
    EXPECT_FALSE(parseCommandLine({"--quality=Auto", "f"}, stored, {}, error));
    EXPECT_EQ(error,
              QStringLiteral("--quality wants a number from 0 to 100 or auto, not \"Auto\""));

    const auto given =
        parseCommandLine({"--quality=88", "--size", "640X480", "--background", "blue", "--mode",
                          "fill", "--crop=attention", "--no-enlarge", "--keep-metadata",
                          "--keep-dates", "--max-size", "1.5M", "--", "--odd-name.png"},
                         stored, QStringLiteral("/d"), error);
    ASSERT_TRUE(given) << error.toStdString();
    EXPECT_EQ(given->options.qualityFactor, 32);
    EXPECT_TRUE(given->options.sizeConversion);
    EXPECT_EQ(given->options.box, (BoxSize{640, 480}));
    EXPECT_EQ(given->options.backColor, 0xFF0000u);
    EXPECT_EQ(given->files, FilePaths{FilePath::fromNative("--odd-name.png")});
    EXPECT_EQ(given->options.fitMode, FitMode::Fill);
    EXPECT_EQ(given->options.crop, CropAnchor::Attention);
    EXPECT_TRUE(given->options.noEnlarge && given->options.keepExif && given->options.keepDates);
    EXPECT_EQ(given->options.sizeLimitBytes, 1536 * 1024);
    EXPECT_EQ(
        parseCommandLine({"--mode=fit", "--crop", "center", "f"}, {}, {}, error)->options.fitMode,
        FitMode::Fit);
    // A switch ignores a value after '='; "--=" ends the options; a value keeps its bytes.
    const auto odd = parseCommandLine({"--keep-going=no", "--output-dir", "/o/caf\xe9", "--=",
                                       "--help"},
                                      {}, {}, error);
    ASSERT_TRUE(odd) << error.toStdString();
    EXPECT_TRUE(odd->options.keepGoing);
    EXPECT_FALSE(odd->showHelp);
    EXPECT_EQ(odd->outputParent.native(), QByteArray("/o/caf\xe9"));
    EXPECT_EQ(odd->files, FilePaths{FilePath::fromNative("--help")});
    // An unknown field is refused with every field there is.
    EXPECT_FALSE(parseCommandLine({"--name={x}", "f"}, {}, {}, error));
    for (const PatternField& field : patternFields())
        EXPECT_TRUE(error.contains(QLatin1Char('{') + QLatin1String(field.name) + QLatin1Char('}')))
            << field.name;
}

// A preset goes over the stored choices and under every option given, wherever it stands.
TEST(CliOptionsTest, APresetSitsBetweenTheStoredAndTheGivenOptions) {
    StoredChoices stored;
    stored.widthText = QStringLiteral("800");
    stored.heightText = QStringLiteral("600");
    stored.qualityText = QStringLiteral("50");
    stored.formatText = QStringLiteral("PNG");
    stored.backColor = 255;
    QString error;
    const auto wall = parseCommandLine({"--quality=88", "f", "--preset", "wallpaper", "--name={n}"},
                                       stored, {}, error);
    ASSERT_TRUE(wall) << error.toStdString();
    EXPECT_TRUE(wall->options.sizeConversion && wall->options.noEnlarge);
    EXPECT_EQ(wall->options.box, (BoxSize{1920, 1080}));
    EXPECT_EQ(wall->options.fitMode, FitMode::Fill);
    EXPECT_EQ(wall->options.format.row, outputFormatFor(QStringLiteral("JPEG")));
    EXPECT_EQ(wall->options.qualityFactor, 32); // 88, given
    EXPECT_EQ(wall->options.backColor, 255u);   // the margin colour stays the user's
    EXPECT_EQ(wall->options.presetName, QStringLiteral("wallpaper"));
    EXPECT_EQ(wall->options.namePattern.text(), QStringLiteral("{n}"));
    const auto blog = parseCommandLine({"--preset=blog", "--", "--preset"}, stored, {}, error);
    ASSERT_TRUE(blog) << error.toStdString();
    EXPECT_EQ(blog->options.box, (BoxSize{1200, 0}));
    EXPECT_EQ(blog->files, FilePaths{FilePath::fromNative("--preset")});
    EXPECT_TRUE(parseCommandLine({"--list-presets"}, stored, {}, error)->listPresets);
    // A preset with photo information on keeps it, as --keep-metadata would.
    Preset photo{QStringLiteral("photo"), QStringLiteral("photo"), false, {}};
    photo.choices.formatText = QStringLiteral("JPEG");
    photo.choices.keepExif = true;
    photo.choices.keepDates = true;
    const auto kept = parseCommandLine({"--preset", "photo", "f"}, stored, {}, error, {photo});
    ASSERT_TRUE(kept) << error.toStdString();
    EXPECT_TRUE(kept->options.keepExif && kept->options.keepDates);
    EXPECT_EQ(kept->options.presetName, QStringLiteral("photo"));
    // Listed as a terminal may show it, as file names are.
    photo.name = QStringLiteral("a\x1b[31m");
    EXPECT_EQ(presetList({photo}), QStringLiteral("a\\x1B[31m\tphoto\n"));
}

// The window reads its choices through the same mapping as the stored ones here.
TEST(CliOptionsTest, TheWindowsChoicesReadAsTheirOptions) {
    StoredChoices choices;
    choices.widthText = QStringLiteral("640");
    choices.heightText = QStringLiteral(" 480 ");
    choices.qualityText = QStringLiteral("50");
    choices.formatText = QStringLiteral("PNG");
    choices.backColor = 255;
    choices.sizeConversion = choices.keepGoing = choices.noEnlarge = choices.keepExif =
        choices.keepDates = true;
    choices.crop = StoredCrop::Attention;
    choices.maxKB = 2;
    choices.qualityByEye = true;
    const ConversionOptions all = conversionOptions(choices);
    EXPECT_TRUE(all.sizeConversion && all.keepGoing && all.noEnlarge && all.keepExif &&
                all.keepDates && all.qualityByEye);
    EXPECT_EQ(all.box, (BoxSize{640, 480}));
    EXPECT_EQ(all.format.row, outputFormatFor(QStringLiteral("PNG")));
    EXPECT_EQ(all.backColor, 255u);
    EXPECT_EQ(all.crop, CropAnchor::Attention);
    for (const auto& [fit, mode] : {std::pair{StoredFit::Pad, FitMode::Pad},
                                    std::pair{StoredFit::Fit, FitMode::Fit},
                                    std::pair{StoredFit::Fill, FitMode::Fill}}) {
        choices.fitMode = fit;
        EXPECT_EQ(conversionOptions(choices).fitMode, mode);
    }
    EXPECT_EQ(conversionOptions(choices).qualityFactor, 128);
    EXPECT_EQ(conversionOptions(choices).sizeLimitBytes, 2048);
}

} // namespace
} // namespace quillmorph
