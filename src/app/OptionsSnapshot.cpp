#include "OptionsSnapshot.h"

#include <QMutexLocker>

namespace quillmorph {

void OptionsSnapshot::store(const ConversionOptions& options) {
    const QMutexLocker lock(&mutex_);
    options_ = options;
}

ConversionOptions OptionsSnapshot::current() const {
    const QMutexLocker lock(&mutex_);
    return options_;
}

} // namespace quillmorph
