#include "ConsoleSink.h"

#include "batch/Messages.h"
#include "batch/StatusSentences.h"
#include "frontend/TerminationSignals.h"
#include "frontend/ThisProcess.h"

#include <QCoreApplication>

namespace quillmorph {

namespace {

constexpr int kNameColumns = 40;

} // namespace

ConsoleSink::ConsoleSink() : showProgress_(thisProcess::standardErrorIsTerminal()) {
    clock_.start();
}

ConsoleSink::~ConsoleSink() {
    clearProgress();
}

void ConsoleSink::report(const Failure& failure) {
    printProblem(
        message::withSentence(message::text(failure, message::PathForm::Terminal), failure));
}

void ConsoleSink::batchStarted(const FilePath& folder) {
    printPath(folder);
}

void ConsoleSink::fileStarted(int index, int count, const FilePath& source) {
    index_ = index;
    count_ = count;
    current_ = QString::fromUtf8(FilePath::fromNative(source.fileName()).printable());
    drawProgress();
}

void ConsoleSink::fileConverted(const FilePath&, const FilePath& output) {
    ++done_;
    clearProgress();
    printPath(output);
    drawProgress();
}

void ConsoleSink::fileFailed(const Failure& failure) {
    ++done_;
    printProblem(
        message::withSentence(message::text(failure, message::PathForm::Terminal), failure));
}

bool ConsoleSink::cancelRequested() const {
    return TerminationSignals::caught() != 0;
}

void ConsoleSink::clearProgress() {
    if (!progressShown_)
        return;
    err_.text() << "\r\033[K" << Qt::flush;
    progressShown_ = false;
}

void ConsoleSink::printProblem(const QString& text) {
    clearProgress();
    err_.text() << text << Qt::endl;
    drawProgress();
}

void ConsoleSink::printPath(const FilePath& path) {
    // A name goes out as the bytes it has, so that a script can open what it reads; only
    // control characters are escaped, which would split its line or drive the terminal.
    out_.writeBytes(path.printable() + '\n');
}

void ConsoleSink::drawProgress() {
    if (!showProgress_ || count_ == 0)
        return;
    const double seconds = clock_.elapsed() / 1000.0;
    const double rate = seconds > 0 ? done_ / seconds : 0;
    QString name = current_;
    if (name.size() > kNameColumns)
        name = QStringLiteral("…") + name.right(kNameColumns - 1);
    err_.text() << "\r\033[K" << index_ << '/' << count_ << "  " << name << "  "
                << QCoreApplication::translate("quillmorph-cli", "%1 files/s")
                       .arg(QString::number(rate, 'f', 1))
                << Qt::flush;
    progressShown_ = true;
}

} // namespace quillmorph
