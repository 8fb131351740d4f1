#pragma once

#include <QByteArrayList>
#include <QString>
#include <memory>

class QCoreApplication;

// Where the answer to a request made on the window's command line alone (--help, --version, a
// file manager's actions) goes: to the terminal, or into a box where a window program has no
// console (Windows). Its arguments, and how one reads as text: frontend/CommandLine.h. Each
// system has its own implementation file. Main thread.
namespace quillmorph::commandLine {

// The application a request is answered under: one that needs no display where the answer
// goes to a terminal.
std::unique_ptr<QCoreApplication> answeringApplication(int& argc, char** argv);

// Tells answer, a whole text (its line ends included); fault: a failure's, to standard error
// or as a warning.
void tell(const QString& answer, bool fault);

} // namespace quillmorph::commandLine
