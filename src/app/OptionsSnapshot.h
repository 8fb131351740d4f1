#pragma once

#include "batch/BatchInterfaces.h"

#include <QMutex>

namespace quillmorph {

// The options the window's controls give, parsed, for a batch on another thread to read at any
// moment. The window stores a fresh value on the GUI thread whenever a control changes, so a
// file that starts reads the controls as they are without waiting for the GUI thread.
class OptionsSnapshot : public OptionsSource {
public:
    // Any thread.
    void store(const ConversionOptions& options);
    // Any thread; the values last stored.
    ConversionOptions current() const override;

private:
    mutable QMutex mutex_;
    ConversionOptions options_;
};

} // namespace quillmorph
