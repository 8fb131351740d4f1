#pragma once

#include <QStringList>

class QCoreApplication;
class QObject;
class QTranslator;

namespace quillmorph {

// Whether the user's languages, most wanted first (QLocale::uiLanguages), ask for Japanese:
// the first one quillmorph speaks (Japanese or English) decides; none of them means English.
bool prefersJapanese(const QStringList& uiLanguages);

// Loads the English translation built into the program; false if it is missing.
bool loadEnglish(QTranslator& translator);

// Installs the translations uiLanguages call for, owned by owner (they leave the application
// with it): under Japanese our Japanese one, for the texts written in English, and Qt's own
// Japanese (qtbase_ja.qm from the Qt translations folder) for its dialogs and menus; otherwise
// the English one. Main thread, before any text is made.
void installTranslations(QObject& owner, const QStringList& uiLanguages);

// The same for the system's UI languages, owned by app.
void installTranslations(QCoreApplication& app);

} // namespace quillmorph
