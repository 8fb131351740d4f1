#pragma once

#include "frontend/SettingsPlaces.h"

#include <QString>

namespace quillmorph::places {

// The four places of a settings file as this Windows has them, with programFolder standing for
// the folder of quillmorph.exe; %APPDATA%, %LOCALAPPDATA% and %windir% are taken from the
// environment when set, else from the system. Probes whether a folder takes files by making one
// that deletes itself. Any thread.
SettingsFacts settingsFacts(const QString& programFolder);

} // namespace quillmorph::places
