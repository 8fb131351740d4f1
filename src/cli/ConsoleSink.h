#pragma once

#include "Console.h"
#include "batch/BatchInterfaces.h"
#include "batch/Messages.h"

#include <QElapsedTimer>

namespace quillmorph {

// What a batch tells, for a terminal or a pipe: each output on standard output as its bytes,
// problems on standard error, and, only when standard error is a terminal, one progress line
// (done / total, current file, rate) that rewrites itself. Called on the batch's thread.
class ConsoleSink : public BatchSink {
public:
    ConsoleSink();
    ~ConsoleSink() override;

    void report(const Failure& failure) override;
    void batchStarted(const FilePath& folder) override;
    void fileStarted(int index, int count, const FilePath& source) override;
    void fileConverted(const FilePath& source, const FilePath& output) override;
    void fileFailed(const Failure& failure) override;
    // True once SIGINT, SIGTERM or SIGHUP has come: the batch stops after the file in hand.
    bool cancelRequested() const override;

    // Removes the progress line, so that a final message starts on a clean line.
    void clearProgress();
    // How far the batch got, once it is over.
    message::BatchReach reach() const { return {index_, count_}; }

private:
    void printPath(const FilePath& path);
    void printProblem(const QString& text);
    void drawProgress();

    const bool showProgress_;
    ConsoleStream out_{ConsoleStream::Which::Output};
    ConsoleStream err_{ConsoleStream::Which::Error};
    QElapsedTimer clock_;
    int done_ = 0;
    int index_ = 0;
    int count_ = 0;
    QString current_;
    bool progressShown_ = false;
};

} // namespace quillmorph
