#include "Fifo.h"

#include <QFile>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmorph::test {

#ifdef _WIN32
bool makeFifo(const QString&) { return false; }
void releaseFifoReader(const QString&) {}
#else
bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}
void releaseFifoReader(const QString& path) {
    ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
}
#endif

} // namespace quillmorph::test
