#include "options/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace quillmorph {

namespace {

// The translation goes to owner once it has loaded; name says in a warning what is missing.
void installFrom(QObject& owner, const QString& file, const char* name) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file)) {
        qWarning("quillmorph: %s is missing; those texts stay untranslated", name);
        return;
    }
    translator->setParent(&owner);
    QCoreApplication::installTranslator(translator.release());
}

} // namespace

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

void installTranslations(QObject& owner, const QStringList& uiLanguages) {
    // Ours are compiled in, so only a broken build lacks them; Qt's come with the package
    // qt6-translations-l10n, which a build run from its folder may not have.
    if (!prefersJapanese(uiLanguages)) {
        installFrom(owner, QStringLiteral(":/i18n/quillmorph_en.qm"), "the English translation");
        return;
    }
    installFrom(owner, QStringLiteral(":/i18n/quillmorph_ja.qm"), "the Japanese translation");
    installFrom(
        owner, QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm"),
        "Qt's Japanese translation (qtbase_ja.qm, package qt6-translations-l10n)");
}

void installTranslations(QCoreApplication& app) {
    installTranslations(app, QLocale::system().uiLanguages());
}

} // namespace quillmorph
