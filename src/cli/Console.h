#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QIODevice>
#include <QTextStream>
#include <memory>

namespace quillmorph {

// Standard output or standard error as the command-line tool writes to it: text through text(),
// which a console shows in whatever code page it has and a file or pipe receives as UTF-8, and a
// file's name as its bytes. Each system has its own implementation file. Used by one thread.
class ConsoleStream {
public:
    enum class Which { Output, Error };

    explicit ConsoleStream(Which which);
    ~ConsoleStream();
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;

    QTextStream& text() { return text_; }
    // Writes bytes as they are after what text() holds, and flushes: a script reading a pipe
    // gets a name it can open again; a console shows them decoded, with replacement characters.
    void writeBytes(const QByteArray& bytes);

private:
    const Which which_;
    std::unique_ptr<QIODevice> device_; // what text() writes to, where the system needs one
    QTextStream text_;
};

// The arguments after the program's name, as the bytes a FilePath keeps: on POSIX argv's own;
// on Windows the UTF-16 command line as WTF-8 (toWtf8), so that no name is lost. After the
// QCoreApplication is made.
QByteArrayList commandLineArguments(int argc, char** argv);

// UTF-16 as WTF-8: UTF-8 for every valid text, and a surrogate without its partner as the three
// bytes its code point would take, so that a Windows name comes back whole. Any thread.
QByteArray toWtf8(QStringView text);

} // namespace quillmorph
