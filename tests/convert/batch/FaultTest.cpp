#include "Bombs.h"
#include "OrcGuard.h"
#include "RecordingSink.h"
#include "ScriptedOptions.h"
#include "Saving.h"
#include "TestImages.h"
#include "batch/ConvertFiles.h"
#include "batch/Messages.h"
#include "engine/LeadImage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>
#include <vips/vector.h>

namespace quillmorph {
namespace {

using vips::VImage;

// PNG into the default box.
struct PngOptions : test::ScriptedOptions {
    PngOptions() {
        base.sizeConversion = true;
        base.format = formatChoiceFor(QStringLiteral("PNG"));
    }
};

QStringList sourceImages(const QTemporaryDir& dir, int count, int side = 64) {
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << test::writeImage(test::solid(side, side, {10, 20, 30 + i}),
                                  dir.filePath(QStringLiteral("s%1.png").arg(i)));
    }
    return files;
}

// One batch of PNGs onto a desktop of its own, its sink recording.
struct OneBatch {
    OneBatch() { place.parentFolder = desktop.path(); }
    BatchResult run(const QStringList& files) {
        return ConvertFiles(test::paths(files), place, options, sink);
    }
    QTemporaryDir sources;
    QTemporaryDir desktop;
    PngOptions options;
    test::RecordingSink sink;
    BatchPlace place;
};

TEST(FaultTest, OutputFolderRemovedMidBatchIsASaveFailure) {
    OneBatch batch;
    batch.sink.afterOutput = [&](int stored) {
        if (stored == 1)
            QDir(QFileInfo(batch.sink.outputs.front()).absolutePath()).removeRecursively();
    };
    const QStringList files = sourceImages(batch.sources, 4);
    const BatchResult result = batch.run(files);
#ifdef _WIN32
    // Held open by the batch, the folder cannot be removed on Windows: the output in it goes,
    // the rest land in it.
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(QDir(result.outputFolder.display()).entryList(QDir::Files, QDir::Name),
              QStringList({"s1.png", "s2.png", "s3.png"}));
    return;
#endif
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_EQ(message::finalMessage(result), QStringLiteral("エラー:  14 In Save\n") + files[1]);
    EXPECT_FALSE(QFileInfo::exists(result.outputFolder.display()));
    EXPECT_EQ(QDir(batch.desktop.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

// The dated folder moved away mid-batch and a link to another folder put in its place: every
// output still lands in the folder the batch made, subfolders too, none in the link's target.
TEST(FaultTest, OutputFolderSwappedForALinkMidBatchLeadsNoOutputAway) {
    OneBatch batch;
    const QTemporaryDir& sources = batch.sources;
    const QString elsewhere = batch.desktop.filePath(QStringLiteral("elsewhere"));
    const QString moved = batch.desktop.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    QString dated;
    batch.sink.afterOutput = [&](int stored) {
        if (stored != 1)
            return;
        dated = QFileInfo(batch.sink.outputs.front()).absolutePath();
#ifdef _WIN32
        // Held open by the batch, the folder cannot be moved on Windows: nothing takes its place.
        EXPECT_FALSE(QFile::rename(dated, moved));
        return;
#endif
        ASSERT_TRUE(QFile::rename(dated, moved));
        ASSERT_TRUE(QFile::link(elsewhere, dated));
    };
    const QStringList files = sourceImages(sources, 3);
    ASSERT_TRUE(QDir().mkpath(sources.filePath(QStringLiteral("album"))));
    for (const char* name : {"s0.png", "s1.png"})
        QFile::copy(sources.filePath(QLatin1String(name)), sources.filePath(QStringLiteral("album/") + QLatin1String(name)));
    const BatchResult result = batch.run(files + QStringList{sources.filePath(QStringLiteral("album"))});
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed) << message::finalMessage(result).toStdString();
#ifdef _WIN32
    ASSERT_TRUE(QFileInfo(dated).isDir());
    ASSERT_TRUE(QFile::rename(dated, moved)); // the batch has let it go
#endif
    EXPECT_EQ(QDir(moved).entryList(QDir::Files, QDir::Name), QStringList({"s0.png", "s1.png", "s2.png"}));
    EXPECT_EQ(QDir(moved + QStringLiteral("/album")).entryList(QDir::Files, QDir::Name),
              QStringList({"s0.png", "s1.png"}));
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
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

    // PNG is written by libvips' saver, JPEG streamed through the engine's own target.
    for (const char* format : {"PNG", "JPEG"}) {
        PngOptions options;
        options.base.sizeConversion = false;
        options.base.format = formatChoiceFor(QLatin1String(format));
        test::RecordingSink sink;
        BatchPlace place;
        place.parentFolder = disk.path();
        // One at a time: the big file's partial output must not fill the disk under the small one.
        place.filesInFlight = 1;
        const BatchResult result = ConvertFiles(test::paths(files), place, options, sink);
        EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed) << format;
        EXPECT_EQ(message::finalMessage(result), QStringLiteral("エラー:  13 In Save\n") + files[1]);
        EXPECT_EQ(QDir(result.outputFolder.display()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QLatin1String(format[0] == 'P' ? "s0.png" : "s0.jpg")});
    }
}

// TMPDIR, where libvips makes its temporary files, names folder while it lives.
class TemporaryFolderAt {
public:
    explicit TemporaryFolderAt(const QString& folder) : before_(qgetenv("TMPDIR")), had_(qEnvironmentVariableIsSet("TMPDIR")) {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TemporaryFolderAt() {
        if (had_)
            qputenv("TMPDIR", before_);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray before_;
    bool had_;
};

// Animated WebPs of 1 and 25 KB that libvips would unpack, every frame at canvas size, into 1.2
// and 500 GB of the temporary folder: refused before any of it is decoded where the folder has
// 64 MB free; the batch goes on. Were one let through, its unpacking would fail at once: the
// temporary folder does not exist.
TEST(FaultTest, AnAnimationTooLargeToUnpackIsRefusedAndTheBatchGoesOn) {
    const struct {
        int side;
        int frames;
    } bombs[] = {{4000, 20}, {16383, 500}};
    for (const auto& bomb : bombs) {
        OneBatch batch;
        QStringList files = sourceImages(batch.sources, 2);
        const QString webp = test::writeBytes(batch.sources.filePath(QStringLiteral("bomb.webp")),
                                              test::webpAnimationDeclaring(bomb.side, bomb.side, bomb.frames));
        files.insert(1, webp);
        batch.options.base.format = formatChoiceFor(QStringLiteral("WEBP"));
        batch.options.base.sizeConversion = false;
        batch.options.base.keepGoing = true;
        batch.place.temporarySpaceLeft = 64.0 * 1024 * 1024;
        const TemporaryFolderAt nowhere(batch.sources.filePath(QStringLiteral("no such folder")));
        const BatchResult result = batch.run(files);
        EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed) << bomb.side;
        EXPECT_EQ(batch.sink.outputs.size(), 2) << bomb.side;
        ASSERT_EQ(result.failures.size(), 1) << bomb.side;
        EXPECT_EQ(message::text(result.failures[0]), QStringLiteral("エラー:  8 In Load\n") + webp);
    }
}

// An unpacking that fills the temporary folder is the picture's own failure, too large, never
// the output disk being full: here a small file system of its own fills while the picture's
// two frames of 4000 x 4000 are unpacked, though the cost model was told of room enough. Into
// GIF, whose saver lets the unpacking go after the failure (libvips 8.14's WebP saver keeps
// it, and its file, until the process ends: the process's own temporary folder is for that).
TEST(FaultTest, AFullTemporaryFolderIsThePicturesFailureNotTheOutputDisks) {
    SmallDisk temporary(QStringLiteral("1m"));
    if (!temporary.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << temporary.reason().toStdString();
    OneBatch batch;
    QStringList files = sourceImages(batch.sources, 2);
    const QString webp = test::writeBytes(batch.sources.filePath(QStringLiteral("two.webp")),
                                          test::webpAnimationDeclaring(4000, 4000, 2));
    files.insert(1, webp);
    batch.options.base.format = formatChoiceFor(QStringLiteral("GIF"));
    batch.options.base.sizeConversion = false;
    batch.options.base.keepGoing = true;
    batch.place.temporarySpaceLeft = 1e12;
    const TemporaryFolderAt small(temporary.path());
    const BatchResult result = batch.run(files);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(batch.sink.outputs.size(), 2);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(message::text(result.failures[0]), QStringLiteral("エラー:  8 In Load\n") + webp);
    EXPECT_EQ(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// A file whose conversion would hold more than half the memory the process may have is refused
// before any of it is decoded (this GIF asks for 1.7 GB); the batch goes on.
TEST(FaultTest, AFileTooDearForTheMemoryLeftIsRefusedAndTheBatchGoesOn) {
    OneBatch batch;
    QStringList files = sourceImages(batch.sources, 2);
    const QString bomb =
        test::writeBytes(batch.sources.filePath(QStringLiteral("bomb.gif")), test::gifDeclaring(20000, 20000));
    files.insert(1, bomb);
    batch.options.base.keepGoing = true;
    batch.place.memoryLeft = 2.0 * 1024 * 1024 * 1024;
    const BatchResult result = batch.run(files);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(batch.sink.outputs.size(), 2);
    ASSERT_EQ(result.failures.size(), 1);
    EXPECT_EQ(message::text(result.failures[0]), QStringLiteral("エラー:  8 In Load\n") + bomb);
}

// Judging a picture's quality by eye would take more than half the memory left (600 × 450
// judged holds some 70 MB): the picture is not refused but gets the fixed quality, as without
// quality by eye, and is counted as not judged; a small one beside it is still judged.
TEST(FaultTest, APictureTooDearToJudgeByEyeGetsTheFixedQualityInstead) {
    QTemporaryDir sources;
    const QStringList pictures{
        test::writeImage(test::noise(160, 120), sources.filePath(QStringLiteral("small.png"))),
        test::writeImage(test::noise(600, 450), sources.filePath(QStringLiteral("large.png")))};
    const auto convert = [&](bool byEye, QList<QByteArray>& outputs) {
        OneBatch batch;
        batch.options.base.sizeConversion = false;
        batch.options.base.format = formatChoiceFor(QStringLiteral("JPEG"));
        batch.options.base.qualityByEye = byEye;
        batch.place.memoryLeft = 100.0 * 1024 * 1024;
        const BatchResult result = batch.run(pictures);
        for (const QString& output : batch.sink.outputs) {
            QFile file(output);
            outputs << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        }
        return result;
    };
    QList<QByteArray> fixed;
    QList<QByteArray> byEye;
    ASSERT_EQ(convert(false, fixed).outcome, BatchResult::Outcome::Completed);
    const BatchResult result = convert(true, byEye);
    ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed)
        << message::finalMessage(result).toStdString();
    ASSERT_EQ(byEye.size(), 2);
    EXPECT_EQ(result.qualitiesByEye.size(), 1);
    EXPECT_EQ(result.notJudgedByEye, 1);
    EXPECT_NE(byEye[0], fixed[0]) << "the small one judged";
    EXPECT_EQ(byEye[1], fixed[1]) << "the large one at the fixed quality";
}

const test::Rgb kRed{200, 30, 30};
const test::Rgb kBlue{30, 30, 200};

// Red over blue, 4:3: a resampler that mixed up rows shows at the centres of the halves.
QString redOverBlue(const QTemporaryDir& dir, const QString& name, int width) {
    const int half = width * 3 / 8;
    return test::writeImage(
        test::solid(width, half, kRed).join(test::solid(width, half, kBlue), VIPS_DIRECTION_VERTICAL),
        dir.filePath(name));
}

// Several long batches at once, each with files in flight: helper threads build and drop
// resampling pipelines all the time, so a race among them, in the engine's libraries too,
// shows as a crash, a sanitizer report or a damaged picture.
TEST(FaultTest, LongBatchesWithManyFilesInFlightStayIntact) {
    constexpr int kFiles = 200;
    constexpr int kBatches = 3;
    QTemporaryDir sources;
    const QString photo = redOverBlue(sources, QStringLiteral("photo.jpg"), 64);
    QStringList files;
    for (int i = 0; i < kFiles; ++i) {
        files << sources.filePath(QStringLiteral("f%1.jpg").arg(i));
#ifdef _WIN32
        ASSERT_TRUE(QFile::copy(photo, files.back())); // a link would be a shortcut there
#else
        ASSERT_TRUE(QFile::link(photo, files.back()));
#endif
    }
    PngOptions options;
    options.base.box = BoxSize{40, 20}; // 64 × 48 fits as 27 × 20, between margins
    options.base.backColor = 0x00FF00;
    QTemporaryDir desktop;
    struct Batch {
        BatchResult result;
        test::RecordingSink sink;
    };
    std::vector<Batch> batches(kBatches);
    std::vector<std::thread> threads;
    for (Batch& batch : batches) {
        threads.emplace_back([&] {
            BatchPlace place;
            place.parentFolder = FilePath(desktop.path());
            place.filesInFlight = 6;
            batch.result = ConvertFiles(test::paths(files), place, options, batch.sink);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const Batch& batch : batches) {
        ASSERT_EQ(batch.result.outcome, BatchResult::Outcome::Completed) << message::finalMessage(batch.result).toStdString();
        ASSERT_EQ(batch.sink.outputs.size(), kFiles);
        for (const QString& output : batch.sink.outputs) {
            const VImage image = test::readImage(output);
            ASSERT_EQ(image.width(), 40) << output.toStdString();
            ASSERT_EQ(image.height(), 20) << output.toStdString();
            ASSERT_TRUE(test::near(test::pixelAt(image, 20, 4), kRed, 12)) << output.toStdString();
            ASSERT_TRUE(test::near(test::pixelAt(image, 20, 16), kBlue, 12)) << output.toStdString();
            ASSERT_TRUE(test::near(test::pixelAt(image, 3, 10), {0, 255, 0}, 0)) << output.toStdString();
        }
    }
}

// Engine instances on separate threads share nothing a caller can see: resizing in several at
// once, over and over, neither crashes nor mixes up their pictures.
TEST(FaultTest, EngineInstancesResizeOnSeveralThreadsAtOnce) {
    // Vector code must be on, or this would not test the compiles and frees racing: through the
    // guard where liborc needs it, straight to liborc where liborc locks for itself.
    ASSERT_TRUE(vips_vector_isenabled());
    ASSERT_EQ(orcCallsSerialised(), orcNeedsGuard());
    constexpr int kThreads = 4;
    constexpr int kRounds = 1500;
    QTemporaryDir dir;
    const QString photo = redOverBlue(dir, QStringLiteral("photo.png"), 64);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            LeadImage source;
            if (source.Load(FilePath(photo)) != status::kOk) {
                ++wrong;
                return;
            }
            LeadImage copy;
            int height = 0;
            for (int i = 0; i < kRounds; ++i) {
                // A different height each round, so each round builds its own resampler.
                height = 10 + (t * 7 + i) % 30;
                copy.copyFrom(source);
                if (copy.Size(64, float(height)).status != status::kOk || copy.height() != float(height))
                    ++wrong;
            }
            const QString last = dir.filePath(QStringLiteral("last%1.png").arg(t));
            if (test::save(copy, FilePath(last), *outputFormatFor(FormatCode::Png), 2) != status::kOk)
                ++wrong;
            vips_thread_shutdown();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
    for (int t = 0; t < kThreads; ++t) {
        const VImage image = test::readImage(dir.filePath(QStringLiteral("last%1.png").arg(t)));
        EXPECT_TRUE(test::near(test::pixelAt(image, 32, 1), kRed, 12)) << t;
        EXPECT_TRUE(test::near(test::pixelAt(image, 32, image.height() - 2), kBlue, 12)) << t;
    }
}

} // namespace
} // namespace quillmorph
