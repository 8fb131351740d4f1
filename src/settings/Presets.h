#pragma once

#include "settings/Profile.h"
#include "settings/StoredChoices.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillmorph {

// A named set of conversion choices, shared by the window's menu, quillmorph-cli --preset and
// the file managers' actions. It sets the box and size conversion, fit mode and crop,
// never-enlarge, format, quality, file-size limit, photo information, dates and name pattern;
// the margin colour, keep-going and the output folder stay the user's.
struct Preset {
    QString name;  // what --preset takes: a built-in's ASCII name, or the user's own name
    QString label; // what a menu shows: a built-in's label in the user's language, or the name
    bool builtIn = false;
    StoredChoices choices;
};

// The settings file's section of the user's presets: one key per preset.
inline const QString kPresetSection = QStringLiteral("Presets");
// The longest name a preset may have, in characters (code points).
inline constexpr int kMaxPresetName = 64;

// The built-in presets, labels translated. Any thread once the translators are installed.
std::vector<Preset> builtInPresets();

// The user's presets from profile, in the file's order; a line that is not one is skipped, and
// one whose name no preset may have (presetNameFault) or that repeats an earlier name is
// skipped with a line for the user added to notices.
std::vector<Preset> userPresets(const Profile& profile, QStringList* notices = nullptr);

// The built-ins, then the user's.
std::vector<Preset> allPresets(const Profile& profile, QStringList* notices = nullptr);

// The preset that text names: a built-in by its ASCII name, its label or its Japanese label, a
// user's by its name (case aside); nothing when none does.
std::optional<Preset> findPreset(const std::vector<Preset>& presets, const QString& text);

// target with the preset's choices over its own.
StoredChoices withPreset(StoredChoices target, const Preset& preset);

// Why no preset may be called name, whatever the others are called: empty or longer than
// kMaxPresetName; a control character, a line or paragraph separator, an invisible format
// character (a byte-order mark; joiners aside), a noncharacter such as U+FFFF or half a
// surrogate pair; '=' or a leading '[' or ';', which the settings file cannot hold in a key.
// Empty when it may; the text is for the user. name is taken as it is, not trimmed.
QString presetNameFault(const QString& name);

// Why name cannot name a new user preset (empty, too long, a character the settings file cannot
// hold in a key, a name already taken by a built-in or, unless it is replacing, by the user);
// empty when it can. The text is for the user.
QString presetNameProblem(const std::vector<Preset>& presets, const QString& name,
                          const QString& replacing = {});

// Stores choices as the user's preset name (replacing one of that name).
void storePreset(Profile& profile, const QString& name, const StoredChoices& choices);
// Removes the user's preset name.
void removePreset(Profile& profile, const QString& name);

} // namespace quillmorph
