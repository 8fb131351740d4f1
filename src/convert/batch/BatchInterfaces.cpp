#include "batch/BatchInterfaces.h"

namespace quillmorph {

void BatchSink::batchStarted(const FilePath&) {}

void BatchSink::fileStarted(int, int, const FilePath&) {}

void BatchSink::fileConverted(const FilePath&, const FilePath&) {}

void BatchSink::fileFailed(const Failure&) {}

bool BatchSink::cancelRequested() const {
    return false;
}

} // namespace quillmorph
