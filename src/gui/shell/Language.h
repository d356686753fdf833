#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QTranslator;

namespace vexilor {

// Locale identifiers as the language files are numbered (1033 English, 1041 Japanese, ...).
unsigned LocaleIdOf(const QLocale& locale);  // 0 when the table does not know it
QLocale LocaleOf(unsigned localeId);         // the C locale when unknown

// The library number for a locale: Chinese of Hong Kong (3076) and Macao (5124) use the traditional
// library (1028), Singapore (4100) the simplified one (2052).
unsigned LanguageLibraryId(unsigned localeId);

struct LanguageChoice {
    unsigned localeId = 0;   // the locale the program runs in
    unsigned libraryId = 0;  // the number of keres<N>.qm to load
};

// The thread's locale, or the command line's value when it is a non-zero decimal number.
LanguageChoice ChooseLanguage(unsigned threadLocaleId, const QString& switchValue);

// Where keres<N>.qm is looked for: beside the executable, then share/vexilor/translations.
QStringList TranslationDirectories(const QString& applicationDir);

// Loads keres<libraryId>.qm from the first directory that has it into translator. Returns the
// resource library's display name: the file name and, when the file translates "<internal>", that
// text in parentheses; "<internal>" when nothing was loaded.
QString LoadLanguageFile(QTranslator& translator, unsigned libraryId, const QStringList& directories);

// "English (United States) (1033)" for the about box, or "Unknown".
QString LocaleDisplayName(unsigned localeId);

}  // namespace vexilor
