#include "CliUsage.h"

#include "CliOptionTable.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace quillmorph {

namespace {

// The command line speaks English; a translation finds these texts under "quillmorph-cli".
constexpr char kSynopsis[] = QT_TRANSLATE_NOOP(
    "quillmorph-cli",
    "Usage: quillmorph-cli [--output-dir DIR] [--format NAME] [--size WxH | --no-size]\n"
    "                      [--quality Q|auto] [--background COLOR] [--keep-going]\n"
    "                      [--mode pad|fit|fill] [--crop centre|attention] [--no-enlarge]\n"
    "                      [--keep-metadata] [--keep-dates] [--max-size SIZE]\n"
    "                      [--preset NAME] [--name PATTERN] FILE...\n"
    "       quillmorph-cli --list-presets\n"
    "\n"
    "Converts FILEs as a drop on the quillmorph window would: into a new dated folder\n"
    "(pic + date + time) on the Desktop, each fitted into the box on the margin colour.\n"
    "A folder stands for the pictures in it and its subfolders; their outputs keep\n"
    "its tree. Files inside folders that are not pictures are skipped.\n"
    "Options not given come from the stored settings (or their defaults); --keep-going\n"
    "and the options after it are off unless given.\n");

constexpr char kExitStatus[] = QT_TRANSLATE_NOOP(
    "quillmorph-cli", "Exit status: 0 all files converted, 1 the batch ended on a failure (or, "
                      "with\n--keep-going, any file failed), 2 usage error.\n");

// Where each option's description starts, and the last column a line may fill.
constexpr int kDescriptionColumn = 22;
constexpr int kLineWidth = 79;

// East Asian wide and fullwidth characters take two columns of a terminal.
bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

int columns(QStringView text) {
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

// English breaks only at spaces ("{name}_{w}x{h}" stays whole, and so does a Japanese label such
// as メール用 within it); Japanese, which has none, wherever Unicode's line breaking allows next
// to a wide character. A text is Japanese when most of its columns are wide.
bool breaksAt(const QString& text, qsizetype pos, bool japanese) {
    if (pos <= 0 || pos >= text.size())
        return pos > 0;
    return text.at(pos - 1).isSpace() ||
           (japanese && (isWide(text.at(pos - 1).unicode()) || isWide(text.at(pos).unicode())));
}

bool isMostlyWide(QStringView text) {
    int wide = 0;
    for (const char32_t c : text.toUcs4())
        wide += isWide(c) ? 2 : 0;
    return 2 * wide > columns(text);
}

QString trimmedEnd(QString line) {
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

QString optionRows() {
    QString rows;
    for (const CliOption& option : cliOptions()) {
        if (!option.description)
            continue;
        QString head = QLatin1String("  ") + QLatin1String(option.name);
        if (option.argument)
            head += QLatin1Char(' ') + QLatin1String(option.argument);
        const QString indent(kDescriptionColumn, QLatin1Char(' '));
        if (head.size() + 2 > kDescriptionColumn)
            head += QLatin1Char('\n') + indent;
        else
            head = head.leftJustified(kDescriptionColumn);
        rows += head +
                wrappedLines(describedOption(option), kLineWidth - kDescriptionColumn)
                    .join(QLatin1Char('\n') + indent) +
                QLatin1Char('\n');
    }
    return rows;
}

} // namespace

QStringList wrappedLines(const QString& text, int width) {
    QStringList lines;
    QString line;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    const bool japanese = isMostlyWide(text);
    for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (!breaksAt(text, pos, japanese))
            continue;
        const QString piece = text.mid(start, pos - start);
        start = pos;
        if (!line.isEmpty() && columns(trimmedEnd(line + piece)) > width) {
            lines << trimmedEnd(line);
            line = piece;
        } else {
            line += piece;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << trimmedEnd(line);
    return lines;
}

QString cliUsage() {
    return QCoreApplication::translate("quillmorph-cli", kSynopsis) + QLatin1Char('\n') +
           optionRows() + QLatin1Char('\n') +
           QCoreApplication::translate("quillmorph-cli", kExitStatus);
}

} // namespace quillmorph
