#include "Language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace quillmorph {

bool prefersJapanese(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        const QLocale::Language language = QLocale(tag).language();
        if (language == QLocale::Japanese)
            return true;
        if (language == QLocale::English)
            return false;
    }
    return false;
}

bool loadEnglish(QTranslator& translator) {
    return translator.load(QStringLiteral(":/i18n/quillmorph_en.qm"));
}

void installTranslations(QCoreApplication& app) {
    if (prefersJapanese(QLocale::system().uiLanguages()))
        return;
    auto* english = new QTranslator(&app);
    // The translation is compiled in, so only a broken build lacks it; Japanese still works.
    if (!loadEnglish(*english)) {
        qWarning("quillmorph: the English translation is missing from this build");
        delete english;
        return;
    }
    QCoreApplication::installTranslator(english);
}

} // namespace quillmorph
