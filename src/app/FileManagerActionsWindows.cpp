#include "FileManagerActions.h"

#include <QCoreApplication>

namespace quillmorph {

// Explorer's right-click actions come with a later change. Until then nothing is written (the
// registry least of all), and the user is told so rather than left to guess.
FileManagerChange changeFileManagerActions(bool, const FileManagerMenu&) {
    return {
        {},
        QCoreApplication::translate(
            "quillmorph",
            "エクスプローラーの右クリックメニューへの追加は、このシステムではまだ使えません。")};
}

} // namespace quillmorph
