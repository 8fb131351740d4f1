#include "Console.h"

#include <cstdio>

namespace quillmorph {

namespace {

std::FILE* streamOf(ConsoleStream::Which which) {
    return which == ConsoleStream::Which::Output ? stdout : stderr;
}

} // namespace

// A terminal takes UTF-8 as a file does: the C stream serves both.
ConsoleStream::ConsoleStream(Which which) : which_(which), text_(streamOf(which)) {}

ConsoleStream::~ConsoleStream() = default;

void ConsoleStream::writeBytes(const QByteArray& bytes) {
    text_.flush();
    std::FILE* const stream = streamOf(which_);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace quillmorph
