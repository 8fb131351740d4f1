#include "FileManagerActions.h"

#include "ThunarActions.h"

#include <QCoreApplication>
#include <QFile>

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

bool fileManagerActionsInstalled() {
    QFile file(thunarActionsPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Taking ours away changes the file only when some of ours are in it.
    const UcaEdit without = withoutThunarActions(file.readAll());
    file.seek(0);
    return without.fault.isEmpty() && without.bytes != file.readAll();
}

QString refreshFileManagerActions(const FileManagerMenu& menu) {
    if (!fileManagerActionsInstalled())
        return {};
    return rewriteThunarActions(thunarActionsPath(), [&](const QByteArray& current) {
        return withThunarActions(current, menu);
    });
}

FileManagerOptions fileManagerOptions() {
    return {"--install-thunar-action", "--remove-thunar-action",
            QCoreApplication::translate(
                "quillmorph",
                "  --install-thunar-action  add \"Convert with quillmorph\" to Thunar's right-click menu\n"
                "                           (~/.config/Thunar/uca.xml), with the presets\n"
                "  --remove-thunar-action   take it away again, leaving the other actions as they are\n"),
            QCoreApplication::translate("quillmorph", "Thunar の右クリックメニューに加える")};
}

} // namespace quillmorph
