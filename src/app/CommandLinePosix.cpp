#include "CommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace quillmorph::commandLine {

// The arguments' own bytes: a name need not be UTF-8.
QByteArrayList arguments(int argc, char** argv) {
    QByteArrayList all;
    for (int i = 1; i < argc; ++i)
        all << QByteArray(argv[i]);
    return all;
}

QString text(const QByteArray& argument) {
    return QString::fromLocal8Bit(argument);
}

std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

void tell(const QString& answer, bool fault) {
    std::fputs(answer.toLocal8Bit().constData(), fault ? stderr : stdout);
}

} // namespace quillmorph::commandLine
