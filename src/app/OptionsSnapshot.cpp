#include "OptionsSnapshot.h"

#include <QMutexLocker>

namespace quillmorph {

void OptionsSnapshot::store(const ConversionSettings& settings) {
    const QMutexLocker lock(&mutex_);
    settings_ = settings;
}

ConversionSettings OptionsSnapshot::current() const {
    const QMutexLocker lock(&mutex_);
    return settings_;
}

} // namespace quillmorph
