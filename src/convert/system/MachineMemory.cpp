#include "system/MachineMemory.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

namespace quillmorph {

double temporaryFolderSpaceLeft() {
    const QStorageInfo storage(QDir::tempPath());
    return storage.isValid() ? double(std::max<qint64>(0, storage.bytesAvailable())) : 0.0;
}

} // namespace quillmorph
