#include "BatchInterfaces.h"

namespace quillmorph {

void BatchSink::batchStarted(const QString&) {}

void BatchSink::fileStarted(int, int, const QString&) {}

void BatchSink::fileConverted(const QString&, const QString&) {}

bool BatchSink::cancelRequested() const {
    return false;
}

} // namespace quillmorph
