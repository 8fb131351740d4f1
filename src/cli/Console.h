#pragma once

#include <QByteArray>
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

} // namespace quillmorph
