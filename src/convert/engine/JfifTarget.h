#pragma once

#include <QByteArray>
#include <vips/vips8>

namespace quillmorph {

// A libvips target that passes a JPEG encoder's bytes on to another target as they come, with
// the bare JFIF marker put back after the start-of-image marker (libvips leaves it out when it
// strips the metadata). Ends the other target when the encoder ends. One save per instance.
class JfifTarget {
public:
    explicit JfifTarget(vips::VTarget output);
    JfifTarget(const JfifTarget&) = delete;
    JfifTarget& operator=(const JfifTarget&) = delete;

    // What the encoder writes to; valid while this instance lives.
    const vips::VTarget& target() const { return target_; }

private:
    static gint64 onWrite(VipsTargetCustom* target, const void* data, gint64 length, gpointer self);
    static int onEnd(VipsTargetCustom* target, gpointer self);
    bool take(const char* data, qsizetype length);

    vips::VTarget output_;
    QByteArray head_; // the stream's first bytes, held until the marker can go in
    bool headPassed_ = false;
    vips::VTarget target_;
};

// jpeg with the JFIF marker after its start-of-image marker, unless it has one already.
QByteArray withJfifMarker(QByteArray jpeg);

} // namespace quillmorph
