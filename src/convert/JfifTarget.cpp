#include "JfifTarget.h"

#include "SystemError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quillmorph {

JfifTarget::JfifTarget(const FilePath& path)
    : target_(VIPS_TARGET(vips_target_custom_new()), vips::STEAL) {
    openForWriting(file_, path);
    g_signal_connect(target_.get_target(), "write", G_CALLBACK(&JfifTarget::onWrite), this);
    g_signal_connect(target_.get_target(), "end", G_CALLBACK(&JfifTarget::onEnd), this);
}

void JfifTarget::throwIfWriteFailed() const {
    if (error_ != 0)
        throw FileWriteError(std::strerror(error_));
}

void JfifTarget::finish() {
    throwIfWriteFailed();
    if (!headWritten_ && !writeAll(head_.constData(), head_.size()))
        throwIfWriteFailed();
    headWritten_ = true;
}

gint64 JfifTarget::onWrite(VipsTargetCustom*, const void* data, gint64 length, gpointer self) {
    return static_cast<JfifTarget*>(self)->take(static_cast<const char*>(data), qsizetype(length))
               ? length
               : -1;
}

int JfifTarget::onEnd(VipsTargetCustom*, gpointer self) {
    auto* target = static_cast<JfifTarget*>(self);
    if (target->headWritten_)
        return 0;
    // A stream shorter than the marker's place: written as it came.
    target->headWritten_ = true;
    return target->writeAll(target->head_.constData(), target->head_.size()) ? 0 : -1;
}

bool JfifTarget::take(const char* data, qsizetype length) {
    if (headWritten_)
        return writeAll(data, length);
    head_.append(data, length);
    if (head_.size() < 4)
        return true;
    headWritten_ = true;
    head_ = withJfifMarker(head_);
    return writeAll(head_.constData(), head_.size());
}

// Unbuffered: the target hands over blocks of several kilobytes already.
bool JfifTarget::writeAll(const char* data, qsizetype length) {
    const int fd = file_.handle();
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error_ = written < 0 ? errno : EIO;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

QByteArray withJfifMarker(QByteArray jpeg) {
    static const char kApp0[] = "\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00";
    if (jpeg.size() >= 4 && jpeg.at(2) == char(0xFF) && jpeg.at(3) != char(0xE0))
        jpeg.insert(2, kApp0, sizeof(kApp0) - 1);
    return jpeg;
}

} // namespace quillmorph
