#pragma once

#include "BatchInterfaces.h"

#include <QMutex>

namespace quillmorph {

// A copy of the window's controls that a batch on another thread may read at any moment.
// The window stores a fresh copy on the GUI thread whenever a control changes.
class OptionsSnapshot : public OptionsSource {
public:
    // Any thread.
    void store(const ConversionSettings& settings);
    // Any thread; the values last stored.
    ConversionSettings current() const override;

private:
    mutable QMutex mutex_;
    ConversionSettings settings_;
};

} // namespace quillmorph
