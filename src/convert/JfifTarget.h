#pragma once

#include "FilePath.h"

#include <QByteArray>
#include <QFile>
#include <vips/vips8>

namespace quillmorph {

// A libvips target that streams a JPEG encoder's bytes straight into a file, with the bare JFIF
// marker put back after the start-of-image marker (libvips leaves it out when it strips the
// metadata). One save per instance, on one thread.
class JfifTarget {
public:
    // Opens path for writing, truncated. Throws FileWriteError with the system's error text.
    explicit JfifTarget(const FilePath& path);
    JfifTarget(const JfifTarget&) = delete;
    JfifTarget& operator=(const JfifTarget&) = delete;

    // What the encoder writes to; valid while this instance lives.
    const vips::VTarget& target() const { return target_; }

    // After a failed save: throws FileWriteError when the file could not be written, so a full
    // disk reads as one rather than as an encoder failure. Returns otherwise.
    void throwIfWriteFailed() const;

    // After a successful save: throws FileWriteError when the bytes did not all reach the file.
    void finish();

private:
    static gint64 onWrite(VipsTargetCustom* target, const void* data, gint64 length,
                          gpointer self);
    static int onEnd(VipsTargetCustom* target, gpointer self);
    bool take(const char* data, qsizetype length);
    bool writeAll(const char* data, qsizetype length);

    QFile file_;
    QByteArray head_;        // the stream's first bytes, held until the marker can go in
    bool headWritten_ = false;
    int error_ = 0;          // errno of the write that failed
    vips::VTarget target_;
};

// jpeg with the JFIF marker after its start-of-image marker, unless it has one already.
QByteArray withJfifMarker(QByteArray jpeg);

} // namespace quillmorph
