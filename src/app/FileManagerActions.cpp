#include "FileManagerActions.h"

#include "frontend/Places.h"
#include "settings/Presets.h"

#include <QCoreApplication>

namespace quillmorph {

FileManagerMenu currentFileManagerMenu() {
    FileManagerMenu menu{QCoreApplication::translate("quillmorph", "quillmorph で変換"),
                         QCoreApplication::translate("quillmorph", "ウィンドウの現在の設定で"),
                         {}};
    for (const Preset& preset : allPresets(Profile::fromFile(places::settingsFilePath())))
        menu.presets.emplace_back(preset.name, preset.label);
    return menu;
}

} // namespace quillmorph
