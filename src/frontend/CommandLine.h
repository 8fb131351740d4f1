#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>

// The command line as the window and the command-line tool read it. Each system has its own
// implementation file for the arguments.
namespace quillmorph {

// The arguments after the program's name, as the bytes a FilePath keeps: on POSIX argv's own;
// on Windows the UTF-16 command line as WTF-8 (files/FilePath.h), so that no name is lost. After the
// QCoreApplication is made; main thread.
QByteArrayList commandLineArguments(int argc, char** argv);

// An argument read as text (an option's value, a preset's name): on POSIX in the locale's
// encoding, as the terminal typed it; on Windows its WTF-8 as UTF-8. Any thread.
QString argumentText(const QByteArray& argument);

} // namespace quillmorph
