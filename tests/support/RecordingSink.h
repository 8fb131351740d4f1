#pragma once

#include "batch/BatchInterfaces.h"
#include "batch/Messages.h"

#include <QStringList>
#include <functional>

namespace quillmorph::test {

// The batch's sink the tests share: it records the problems reported and the outputs stored,
// can stop the batch after a number of outputs, and can act as each output is stored.
class RecordingSink : public BatchSink {
public:
    void report(const Failure& failure) override { reports << message::text(failure); }
    void fileConverted(const FilePath&, const FilePath& output) override {
        outputs << output.display();
        if (afterOutput)
            afterOutput(int(outputs.size()));
    }
    bool cancelRequested() const override {
        return cancelAfter >= 0 && outputs.size() >= cancelAfter;
    }

    QStringList reports;
    QStringList outputs;
    int cancelAfter = -1;                 // outputs after which the batch is stopped; -1: never
    std::function<void(int)> afterOutput; // given how many outputs are stored so far
};

} // namespace quillmorph::test
