#include "CommandLineAnswer.h"

#include <QCoreApplication>
#include <cstdio>

namespace quillmorph::commandLine {

std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

void tell(const QString& answer, bool fault) {
    std::fputs(answer.toLocal8Bit().constData(), fault ? stderr : stdout);
}

} // namespace quillmorph::commandLine
