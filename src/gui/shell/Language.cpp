#include "shell/Language.h"

#include "app/Strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

#include <array>

namespace vexilor {

namespace {

struct LocaleEntry {
    unsigned id;
    QLocale::Language language;
    QLocale::Territory territory;
};

constexpr std::array kLocales{
    LocaleEntry{1028, QLocale::Chinese, QLocale::Taiwan},
    LocaleEntry{1029, QLocale::Czech, QLocale::CzechRepublic},
    LocaleEntry{1030, QLocale::Danish, QLocale::Denmark},
    LocaleEntry{1031, QLocale::German, QLocale::Germany},
    LocaleEntry{1032, QLocale::Greek, QLocale::Greece},
    LocaleEntry{1033, QLocale::English, QLocale::UnitedStates},
    LocaleEntry{1034, QLocale::Spanish, QLocale::Spain},
    LocaleEntry{1035, QLocale::Finnish, QLocale::Finland},
    LocaleEntry{1036, QLocale::French, QLocale::France},
    LocaleEntry{1038, QLocale::Hungarian, QLocale::Hungary},
    LocaleEntry{1040, QLocale::Italian, QLocale::Italy},
    LocaleEntry{1041, QLocale::Japanese, QLocale::Japan},
    LocaleEntry{1042, QLocale::Korean, QLocale::SouthKorea},
    LocaleEntry{1043, QLocale::Dutch, QLocale::Netherlands},
    LocaleEntry{1044, QLocale::NorwegianBokmal, QLocale::Norway},
    LocaleEntry{1045, QLocale::Polish, QLocale::Poland},
    LocaleEntry{1046, QLocale::Portuguese, QLocale::Brazil},
    LocaleEntry{1049, QLocale::Russian, QLocale::Russia},
    LocaleEntry{1053, QLocale::Swedish, QLocale::Sweden},
    LocaleEntry{1055, QLocale::Turkish, QLocale::Turkey},
    LocaleEntry{2052, QLocale::Chinese, QLocale::China},
    LocaleEntry{2055, QLocale::German, QLocale::Switzerland},
    LocaleEntry{2057, QLocale::English, QLocale::UnitedKingdom},
    LocaleEntry{2058, QLocale::Spanish, QLocale::Mexico},
    LocaleEntry{2070, QLocale::Portuguese, QLocale::Portugal},
    LocaleEntry{3076, QLocale::Chinese, QLocale::HongKong},
    LocaleEntry{3079, QLocale::German, QLocale::Austria},
    LocaleEntry{3081, QLocale::English, QLocale::Australia},
    LocaleEntry{3084, QLocale::French, QLocale::Canada},
    LocaleEntry{4100, QLocale::Chinese, QLocale::Singapore},
    LocaleEntry{4105, QLocale::English, QLocale::Canada},
    LocaleEntry{5124, QLocale::Chinese, QLocale::Macao},
};

}  // namespace

unsigned LocaleIdOf(const QLocale& locale)
{
    for (const LocaleEntry& e : kLocales) {
        if (e.language == locale.language() && e.territory == locale.territory())
            return e.id;
    }
    return 0;
}

QLocale LocaleOf(unsigned localeId)
{
    for (const LocaleEntry& e : kLocales) {
        if (e.id == localeId)
            return QLocale(e.language, e.territory);
    }
    return QLocale::c();
}

unsigned LanguageLibraryId(unsigned localeId)
{
    switch (localeId) {
    case 3076:
    case 5124:
        return 1028;
    case 4100:
        return 2052;
    default:
        return localeId;
    }
}

LanguageChoice ChooseLanguage(unsigned threadLocaleId, const QString& switchValue)
{
    bool ok = false;
    const unsigned fromSwitch = switchValue.trimmed().toUInt(&ok, 10);
    const unsigned localeId = ok && fromSwitch != 0 ? fromSwitch : threadLocaleId;
    return {localeId, LanguageLibraryId(localeId)};
}

QStringList TranslationDirectories(const QString& applicationDir)
{
    const QDir dir(applicationDir);
    return {dir.absolutePath(), QDir::cleanPath(dir.absoluteFilePath(QStringLiteral("../share/vexilor/translations")))};
}

QString LoadLanguageFile(QTranslator& translator, unsigned libraryId, const QStringList& directories)
{
    const QString fileName = QStringLiteral("keres%1.qm").arg(libraryId);
    for (const QString& dir : directories) {
        const QString path = QDir(dir).filePath(fileName);
        if (!QFileInfo::exists(path) || !translator.load(path))
            continue;
        const QString internal = translator.translate("vexilor::strings", "<internal>");
        return internal.isEmpty() ? fileName : QStringLiteral("%1 (%2)").arg(fileName, internal);
    }
    return strings::Text(3210);
}

QString LocaleDisplayName(unsigned localeId)
{
    const QLocale locale = LocaleOf(localeId);
    if (locale.language() == QLocale::C)
        return strings::Text(3215);
    return QStringLiteral("%1 (%2) (%3)")
        .arg(QLocale::languageToString(locale.language()), QLocale::territoryToString(locale.territory()))
        .arg(localeId);
}

}  // namespace vexilor
