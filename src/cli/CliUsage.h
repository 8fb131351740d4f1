#pragma once

#include <QString>

namespace quillmorph {

// The text of --help in the program's language: the synopsis, a line per option from the
// option table wrapped to the terminal's 80 columns, and the exit statuses.
QString cliUsage();

// text as lines of at most width columns (a wide character counts two), broken where a line may
// break (between words, and between Japanese characters); a word longer than width stands alone.
QStringList wrappedLines(const QString& text, int width);

} // namespace quillmorph
