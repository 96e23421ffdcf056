#pragma once

// The user's language for every text, and their locale for dates, numbers and sizes.

class QCoreApplication;
class QLocale;

namespace tarvel {

// Installs Tarvel's translation for the language the system asks for (LANGUAGE first, then
// LC_ALL, LC_MESSAGES and LANG, as gettext reads them) over the English plural forms, and
// Qt's own for its file panels where Debian installed them; makes the same locale the
// default for dates, numbers and sizes. A language without a translation stays English,
// quietly. Where the locale itself is C but LANGUAGE names a language (a machine with no
// locales generated), dates, numbers and sizes follow that language. Reads the environment
// and the application's resources only: no D-Bus, nothing that waits.
void useSystemLanguage(QCoreApplication &application);

// The same for one locale whatever the system's: tests speak English everywhere.
void useLanguage(QCoreApplication &application, const QLocale &locale);

} // namespace tarvel
