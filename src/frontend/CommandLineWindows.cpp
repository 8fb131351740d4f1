#include "frontend/CommandLine.h"

#include <QCoreApplication>
#include <QStringList>

namespace quillmorph {

QByteArrayList commandLineArguments(int, char**) {
    // argv is the command line in the ANSI code page, which has no room for most names; Qt
    // keeps the wide one.
    QByteArrayList arguments;
    const QStringList wide = QCoreApplication::arguments();
    for (qsizetype i = 1; i < wide.size(); ++i)
        arguments << toWtf8(wide.at(i));
    return arguments;
}

} // namespace quillmorph
