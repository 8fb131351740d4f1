#include "CommandLine.h"

#include <QApplication>
#include <QMessageBox>

namespace quillmorph::commandLine {

namespace {

void appendUtf8(QByteArray& bytes, char32_t c) {
    if (c < 0x80) {
        bytes += char(c);
    } else if (c < 0x800) {
        bytes += char(0xC0 | (c >> 6));
        bytes += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += char(0xE0 | (c >> 12));
        bytes += char(0x80 | ((c >> 6) & 0x3F));
        bytes += char(0x80 | (c & 0x3F));
    } else {
        bytes += char(0xF0 | (c >> 18));
        bytes += char(0x80 | ((c >> 12) & 0x3F));
        bytes += char(0x80 | ((c >> 6) & 0x3F));
        bytes += char(0x80 | (c & 0x3F));
    }
}

// WTF-8, as a FilePath holds a Windows name: a surrogate without its partner (legal in a name)
// is written as its own code point, where UTF-8 would put U+FFFD and name another file.
QByteArray wtf8(const QString& text) {
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        appendUtf8(bytes, pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode());
        if (pair)
            ++i;
    }
    return bytes;
}

} // namespace

// main's argv is in the ANSI code page, which cannot hold every name; Qt reads the command
// line as the system keeps it, in UTF-16.
QByteArrayList arguments(int, char**) {
    QByteArrayList all;
    const QStringList given = QCoreApplication::arguments();
    for (qsizetype i = 1; i < given.size(); ++i)
        all << wtf8(given[i]);
    return all;
}

QString text(const QByteArray& argument) {
    return QString::fromUtf8(argument);
}

// A window program has no console to write to: the answer is a box, which needs the widgets.
std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

void tell(const QString& answer, bool fault) {
    QMessageBox box(fault ? QMessageBox::Warning : QMessageBox::Information,
                    QStringLiteral("quillmorph"), answer.trimmed());
    // The help's columns line up only in a fixed font.
    if (answer.trimmed().contains(QLatin1Char('\n'))) {
        box.setTextFormat(Qt::RichText);
        box.setText(QStringLiteral("<pre>%1</pre>").arg(answer.trimmed().toHtmlEscaped()));
    }
    box.exec();
}

} // namespace quillmorph::commandLine
