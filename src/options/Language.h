#pragma once

#include <QStringList>

class QCoreApplication;
class QTranslator;

namespace quillmorph {

// Whether the user's languages, most wanted first (QLocale::uiLanguages), ask for Japanese:
// the first one quillmorph speaks (Japanese or English) decides; none of them means English.
bool prefersJapanese(const QStringList& uiLanguages);

// Loads the English translation built into the program; false if it is missing.
bool loadEnglish(QTranslator& translator);

// Installs the English translation on app (which owns it) unless the system's UI languages
// prefer Japanese, the language the texts are written in. Call on the main thread before any
// text is made.
void installTranslations(QCoreApplication& app);

} // namespace quillmorph
