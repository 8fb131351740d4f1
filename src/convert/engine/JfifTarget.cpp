#include "engine/JfifTarget.h"

namespace quillmorph {

JfifTarget::JfifTarget(vips::VTarget output)
    : output_(std::move(output)), target_(VIPS_TARGET(vips_target_custom_new()), vips::STEAL) {
    g_signal_connect(target_.get_target(), "write", G_CALLBACK(&JfifTarget::onWrite), this);
    g_signal_connect(target_.get_target(), "end", G_CALLBACK(&JfifTarget::onEnd), this);
}

// A failed write leaves the output target's reason (a full disk …) in libvips' error buffer.
gint64 JfifTarget::onWrite(VipsTargetCustom*, const void* data, gint64 length, gpointer self) {
    return static_cast<JfifTarget*>(self)->take(static_cast<const char*>(data), qsizetype(length))
               ? length
               : -1;
}

int JfifTarget::onEnd(VipsTargetCustom*, gpointer self) {
    auto* jfif = static_cast<JfifTarget*>(self);
    VipsTarget* output = jfif->output_.get_target();
    // A stream shorter than the marker's place is passed on as it came.
    if (!jfif->headPassed_ && !jfif->head_.isEmpty() &&
        vips_target_write(output, jfif->head_.constData(), size_t(jfif->head_.size())) != 0)
        return -1;
    jfif->headPassed_ = true;
    return vips_target_end(output);
}

bool JfifTarget::take(const char* data, qsizetype length) {
    VipsTarget* output = output_.get_target();
    if (headPassed_)
        return vips_target_write(output, data, size_t(length)) == 0;
    head_.append(data, length);
    if (head_.size() < 4)
        return true;
    headPassed_ = true;
    head_ = withJfifMarker(head_);
    return vips_target_write(output, head_.constData(), size_t(head_.size())) == 0;
}

QByteArray withJfifMarker(QByteArray jpeg) {
    static const char kApp0[] = "\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00";
    if (jpeg.size() >= 4 && jpeg.at(2) == char(0xFF) && jpeg.at(3) != char(0xE0))
        jpeg.insert(2, kApp0, sizeof(kApp0) - 1);
    return jpeg;
}

} // namespace quillmorph
