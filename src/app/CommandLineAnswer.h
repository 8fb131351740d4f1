#pragma once

#include <QByteArrayList>
#include <QString>
#include <memory>

class QCoreApplication;

// What the window's command line needs of the system (its arguments: frontend/CommandLine.h):
// how an argument reads as text, and where the answer to a request made on the command line alone (--help, --version,
// a file manager's actions) goes: to the terminal, or into a box where a window program has no
// console (Windows). Each system has its own implementation file. Main thread.
namespace quillmorph::commandLine {

// An argument read as text (a preset's name).
QString text(const QByteArray& argument);

// The application a request is answered under: one that needs no display where the answer
// goes to a terminal.
std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv);

// Tells answer, a whole text (its line ends included); fault: a failure's, to standard error
// or as a warning.
void tell(const QString& answer, bool fault);

} // namespace quillmorph::commandLine
