#include "TarvelCore/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tarvel {

namespace {

void install(QCoreApplication &application, const QLocale &locale, const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(&application);
    if (translator->load(locale, name, QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

// The translator installed last is asked first; a locale's languages are its uiLanguages,
// tried in order (for the system's, LANGUAGE's list first).
void installTranslations(QCoreApplication &application, const QLocale &messages)
{
    const QString ours = QStringLiteral(":/tarvel/i18n");
    install(application, QLocale(QLocale::English), QStringLiteral("tarvel"), ours);
    install(application, messages, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    install(application, messages, QStringLiteral("tarvel"), ours);
}

// The system's locale, or where that is C, the first language LANGUAGE names: C is no
// one's language, and its numbers would lose their grouping ("3000 items").
QLocale userLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() != QLocale::C)
        return system;
    for (const QString &language : system.uiLanguages()) {
        if (const QLocale asked(language); asked.language() != QLocale::C)
            return asked;
    }
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace

void useSystemLanguage(QCoreApplication &application)
{
    const QLocale locale = userLocale();
    QLocale::setDefault(locale);
    installTranslations(application, QLocale::system().language() == QLocale::C ? locale : QLocale::system());
}

void useLanguage(QCoreApplication &application, const QLocale &locale)
{
    QLocale::setDefault(locale);
    installTranslations(application, locale);
}

} // namespace tarvel
