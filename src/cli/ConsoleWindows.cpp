#include "Console.h"

#include <QStringDecoder>
#include <optional>
#include <windows.h>

namespace quillmorph {

namespace {

// Writes straight to the standard handle, past the C runtime: a console as UTF-16 text, which
// it shows whatever its code page; a file or a pipe as the bytes, UTF-8.
class ConsoleDevice : public QIODevice {
public:
    explicit ConsoleDevice(ConsoleStream::Which which)
        : handle_(GetStdHandle(which == ConsoleStream::Which::Output ? STD_OUTPUT_HANDLE
                                                                     : STD_ERROR_HANDLE)) {
        DWORD mode = 0;
        console_ = GetConsoleMode(handle_, &mode) != 0;
        // The progress line rewrites itself with the terminal's escapes.
        if (console_ && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
            SetConsoleMode(handle_, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            earlierMode_ = mode;
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    ~ConsoleDevice() override {
        if (earlierMode_)
            SetConsoleMode(handle_, *earlierMode_);
    }
    ConsoleDevice(const ConsoleDevice&) = delete;
    ConsoleDevice& operator=(const ConsoleDevice&) = delete;

protected:
    qint64 readData(char*, qint64) override { return -1; }

    // What cannot be written (no console, a closed pipe) is dropped, as a C stream would.
    qint64 writeData(const char* data, qint64 size) override {
        if (console_)
            writeText(utf8_(QByteArrayView(data, size)));
        else
            writeAll(data, size);
        return size;
    }

private:
    void writeText(const QString& text) {
        // Small pieces, never splitting a surrogate pair: a console refuses a very long write.
        constexpr qsizetype kPiece = 8192;
        for (qsizetype start = 0; start < text.size();) {
            qsizetype length = std::min(kPiece, text.size() - start);
            if (start + length < text.size() && text.at(start + length - 1).isHighSurrogate())
                --length;
            DWORD written = 0;
            if (!WriteConsoleW(handle_, text.utf16() + start, DWORD(length), &written, nullptr) ||
                written == 0)
                return;
            start += qsizetype(written);
        }
    }

    void writeAll(const char* data, qint64 size) {
        while (size > 0) {
            DWORD written = 0;
            if (!WriteFile(handle_, data, DWORD(std::min<qint64>(size, 1 << 20)), &written,
                           nullptr) ||
                written == 0)
                return;
            data += written;
            size -= written;
        }
    }

    const HANDLE handle_;
    bool console_ = false;
    std::optional<DWORD> earlierMode_;
    // Keeps a character whose bytes arrive in two writes whole.
    QStringDecoder utf8_{QStringDecoder::Utf8};
};

} // namespace

ConsoleStream::ConsoleStream(Which which)
    : which_(which), device_(std::make_unique<ConsoleDevice>(which)), text_(device_.get()) {}

ConsoleStream::~ConsoleStream() {
    text_.flush();
}

void ConsoleStream::writeBytes(const QByteArray& bytes) {
    text_.flush();
    device_->write(bytes);
}

} // namespace quillmorph
