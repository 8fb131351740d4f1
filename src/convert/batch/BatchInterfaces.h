#pragma once

#include "batch/ConversionOptions.h"
#include "batch/Failure.h"
#include "files/FilePath.h"

namespace quillmorph {

// Supplies the options at the moment a file starts. Called on the batch's thread; an
// implementation shared with a window must be safe to call from there.
class OptionsSource {
public:
    virtual ~OptionsSource() = default;
    virtual ConversionOptions current() const = 0;
};

// Options that stay as given for the whole batch (the command line, a preset's batch).
class FixedOptions : public OptionsSource {
public:
    explicit FixedOptions(ConversionOptions options) : options_(std::move(options)) {}
    ConversionOptions current() const override { return options_; }

private:
    ConversionOptions options_;
};

// Receives what a batch has to tell, on the batch's thread.
class BatchSink {
public:
    virtual ~BatchSink() = default;
    // A problem that does not end the batch (a failed fill or combine); the batch goes on when
    // this returns, so a window returns once the user has acknowledged it.
    virtual void report(const Failure& failure) = 0;
    // Once the output folder exists, before the first file.
    virtual void batchStarted(const FilePath& outputFolder);
    // Before file index (1-based) of count is touched.
    virtual void fileStarted(int index, int count, const FilePath& source);
    // After source has been stored completely as output.
    virtual void fileConverted(const FilePath& source, const FilePath& output);
    // A file failed while keep-going was on; the batch goes on.
    virtual void fileFailed(const Failure& failure);
    // Polled between files; true ends the batch as cancelled.
    virtual bool cancelRequested() const;
};

} // namespace quillmorph
