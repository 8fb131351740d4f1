#include "FileManagerActions.h"

#include "ThunarActions.h"

#include <QCoreApplication>

namespace quillmorph {

FileManagerChange changeFileManagerActions(bool install, const FileManagerMenu& menu) {
    const QString path = thunarActionsPath();
    const QString fault = rewriteThunarActions(path, [&](const QByteArray& current) {
        return install ? withThunarActions(current, menu) : withoutThunarActions(current);
    });
    if (!fault.isEmpty())
        return {{}, fault};
    // Thunar reads the file only when it starts.
    const QString done =
        install ? QCoreApplication::translate(
                      "quillmorph", "Thunar の右クリックメニューに「%1」を加えました: %2\n"
                                    "Thunar を開き直すと表示されます (thunar -q で終了できます)。")
                : QCoreApplication::translate(
                      "quillmorph", "Thunar の右クリックメニューから「%1」を除きました: %2\n"
                                    "Thunar を開き直すと消えます (thunar -q で終了できます)。");
    return {done.arg(menu.submenu, path), {}};
}

} // namespace quillmorph
