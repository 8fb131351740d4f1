#include "frontend/CommandLine.h"

namespace quillmorph {

QByteArrayList commandLineArguments(int argc, char** argv) {
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

QString argumentText(const QByteArray& argument) {
    return QString::fromLocal8Bit(argument);
}

} // namespace quillmorph
