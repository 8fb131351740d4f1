#include "RealCopies.h"

#include <QDirIterator>
#include <QThread>

#include <csignal>

namespace quillmorph::test {
namespace {

using TerminationSignalsPosixTest = RealCopies;

// A logout or `kill` ends the window as closing it does: the file in hand finished, the
// settings written (here from a file holding one key), exit status 0.
TEST_F(TerminationSignalsPosixTest, ATerminationSignalClosesTheWindowAsTheUserWould) {
    const QString big = writeImage(noise(1200, 900), QDir(sources_).filePath(QStringLiteral("n.png")));
    QStringList many;
    for (int i = 0; i < 30; ++i) {
        many << QDir(sources_).filePath(QStringLiteral("n%1.png").arg(i));
        ASSERT_TRUE(QFile::copy(big, many.back()));
    }
    const struct {
        int signalNumber;
        const char* when;
        QStringList files;
        int outputsBefore;
    } cases[] = {{SIGTERM, "idle", {}, 0},
                 {SIGINT, "with the completion message open", makeSources({"a.png"}), 1},
                 {SIGHUP, "mid-batch", many, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        home_ = std::make_unique<CopyHome>(root_.filePath(QLatin1String(c.when)));
        // PNG of noise at its own size: a batch slow enough to be caught in the middle.
        const QByteArray stored = "[V1.00202]\niRez=50\nImageFormat=PNG\n";
        writeBytes(home_->settingsPath(), stored);
        auto copy = startFirst(c.files);
        if (c.outputsBefore > 0)
            waitForOutputs(c.outputsBefore);
        if (c.files.size() == 1)
            QThread::msleep(500); // its completion message is up by now
        ::kill(pid_t(copy->process().processId()), c.signalNumber);
        ASSERT_TRUE(copy->process().waitForFinished(60000));
        EXPECT_EQ(copy->process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->process().exitCode(), 0);
        const QByteArray saved = readBytes(home_->settingsPath());
        EXPECT_TRUE(saved.startsWith(stored) && saved.contains("\niSizeConv=0\n"))
            << saved.toStdString();
        int outputs = 0;
        for (QDirIterator it(home_->desktop(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++outputs;
        if (c.files.size() > 1)
            EXPECT_LT(outputs, c.files.size()) << "the batch was not stopped";
        else
            EXPECT_EQ(outputs, c.files.size());
    }
}

} // namespace
} // namespace quillmorph::test
