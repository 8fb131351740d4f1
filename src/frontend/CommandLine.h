#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QStringView>

// The command line as the window and the command-line tool read it. Each system has its own
// implementation file for the arguments.
namespace quillmorph {

// The arguments after the program's name, as the bytes a FilePath keeps: on POSIX argv's own;
// on Windows the UTF-16 command line as WTF-8 (toWtf8), so that no name is lost. After the
// QCoreApplication is made; main thread.
QByteArrayList commandLineArguments(int argc, char** argv);

// UTF-16 as WTF-8: UTF-8 for every valid text, and a surrogate without its partner as the three
// bytes its code point would take, so that a Windows name comes back whole. Any thread.
QByteArray toWtf8(QStringView text);

} // namespace quillmorph
