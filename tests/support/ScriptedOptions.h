#pragma once

#include "batch/BatchInterfaces.h"

#include <atomic>
#include <functional>

namespace quillmorph::test {

// The options a batch under test reads: base for every file, or what perCall gives for the
// call-th read (1-based; the batch reads once as each file starts). Counts the reads. Read on
// the batch's thread; perCall runs there too.
class ScriptedOptions : public OptionsSource {
public:
    ScriptedOptions() = default;
    explicit ScriptedOptions(ConversionOptions options) : base(std::move(options)) {}

    ConversionOptions current() const override;

    ConversionOptions base;
    std::function<ConversionOptions(int call)> perCall;
    mutable std::atomic<int> calls{0};
};

} // namespace quillmorph::test
