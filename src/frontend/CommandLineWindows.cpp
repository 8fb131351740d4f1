#include "files/FilePathWindows.h"
#include "frontend/CommandLine.h"

#include <QCoreApplication>
#include <QStringList>

namespace quillmorph {

QByteArrayList commandLineArguments(int, char**) {
    // argv is the command line in the ANSI code page, which has no room for most names; Qt
    // keeps the wide one, taken here as WTF-8 so that even a lone surrogate comes back whole.
    QByteArrayList arguments;
    const QStringList wide = QCoreApplication::arguments();
    for (qsizetype i = 1; i < wide.size(); ++i)
        arguments << wtf8FromWide(std::wstring_view(
                         reinterpret_cast<const wchar_t*>(wide.at(i).utf16()), size_t(wide.at(i).size())));
    return arguments;
}

QString argumentText(const QByteArray& argument) {
    // The bytes are ours, not the ANSI code page's: read locally they would turn a Japanese
    // preset name into mojibake.
    return QString::fromUtf8(argument);
}

} // namespace quillmorph
