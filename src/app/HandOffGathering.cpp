#include "HandOffGathering.h"

#include <algorithm>

namespace quillmorph {

HandOffGathering::HandOffGathering(QObject* parent, int quietMs, int maxWaitMs)
    : QObject(parent) {
    for (QTimer* timer : {&quiet_, &longest_}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &HandOffGathering::release);
    }
    quiet_.setInterval(quietMs);
    longest_.setInterval(maxWaitMs);
}

void HandOffGathering::add(const FilePaths& files, const QString& preset) {
    if (files.isEmpty())
        return;
    const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                   [&](const Batch& batch) { return batch.preset == preset; });
    if (same == waiting_.end())
        waiting_.push_back({preset, files});
    else
        same->files << files;
    quiet_.start();
    if (!longest_.isActive())
        longest_.start();
}

void HandOffGathering::release() {
    quiet_.stop();
    longest_.stop();
    // Taken first: a slot may add again, for a later batch.
    const std::vector<Batch> batches = std::exchange(waiting_, {});
    for (const Batch& batch : batches)
        Q_EMIT gathered(batch.files, batch.preset);
}

} // namespace quillmorph
