#include "ConvertFiles.h"
#include "TestImages.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using vips::VImage;

struct PngOptions : OptionsSource {
    ConversionSettings current() const override {
        ConversionSettings s;
        s.sizeConversion = sizeConversion;
        s.formatText = QStringLiteral("PNG");
        return s;
    }
    bool sizeConversion = true;
};

// Runs an action after the first file is stored.
struct AfterFirstFile : BatchSink {
    void report(const QString&) override {}
    void fileConverted(const FilePath&, const FilePath& output) override {
        outputs << output.display();
        if (outputs.size() == 1)
            action();
    }
    std::function<void()> action;
    QStringList outputs;
};

QStringList sourceImages(const QTemporaryDir& dir, int count, int side = 64) {
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << test::writeImage(test::solid(side, side, {10, 20, 30 + i}),
                                  dir.filePath(QStringLiteral("s%1.png").arg(i)));
    }
    return files;
}

TEST(FaultTest, OutputFolderRemovedMidBatchIsASaveFailure) {
    QTemporaryDir sources;
    QTemporaryDir desktop;
    PngOptions options;
    AfterFirstFile sink;
    BatchPlace place;
    place.parentFolder = desktop.path();
    sink.action = [&] { QDir(QFileInfo(sink.outputs.front()).absolutePath()).removeRecursively(); };
    const QStringList files = sourceImages(sources, 4);
    const BatchResult result = ConvertFiles(test::paths(files), place, options, sink);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_EQ(result.message, QStringLiteral("エラー:  14 In Save\n") + files[1]);
    EXPECT_FALSE(QFileInfo::exists(result.outputFolder.display()));
    EXPECT_EQ(QDir(desktop.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

// A small file system of our own, to fill up; needs the right to mount.
class SmallDisk {
public:
    explicit SmallDisk(const QString& size) {
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=") + size, QStringLiteral("tmpfs"), dir_.path()});
        mounted_ = mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
        reason_ = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
    }
    ~SmallDisk() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {dir_.path()});
    }
    bool mounted() const { return mounted_; }
    QString reason() const { return reason_; }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString reason_;
};

TEST(FaultTest, FullDiskIsASaveFailureWithoutPartialFile) {
    SmallDisk disk(QStringLiteral("256k"));
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.reason().toStdString();
    QTemporaryDir sources;
    QStringList files = sourceImages(sources, 1, 16);
    VImage noise = VImage::gaussnoise(600, 600).bandjoin({VImage::gaussnoise(600, 600), VImage::gaussnoise(600, 600)}).cast(VIPS_FORMAT_UCHAR)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    files << test::writeImage(noise, sources.filePath(QStringLiteral("big.png")));

    PngOptions options;
    options.sizeConversion = false;
    AfterFirstFile sink;
    sink.action = [] {};
    BatchPlace place;
    place.parentFolder = disk.path();
    const BatchResult result = ConvertFiles(test::paths(files), place, options, sink);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_EQ(result.message, QStringLiteral("エラー:  13 In Save\n") + files[1]);
    EXPECT_EQ(QDir(result.outputFolder.display()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("s0.png")});
}

} // namespace
} // namespace quillmorph
