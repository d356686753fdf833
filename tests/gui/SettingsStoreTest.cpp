#include "app/ColorRef.h"
#include "app/Directories.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#endif

using namespace vexilor;
using K = SettingKey;

Q_DECLARE_METATYPE(vexilor::SettingKey)

namespace {

// Desktop values distinct from every fixed default, so a mix-up shows.
constexpr SystemDefaults kSystem{900, 0x00111111, 0x00EEEEEE, 0x00D77800, 0x00A0A0A0};

struct Expected {
    K key;
    const char* path;
    QVariant value;  // default
    QVariant other;  // something else to store
};

// The settings as the program's users and Tovrin know them, written out independently of the
// store's own table.
const std::vector<Expected>& AllSettings()
{
    static const std::vector<Expected> all{
        {K::DefaultIntercom, "Settings/Preferences/DefaultIntercom", QString(), QStringLiteral("ABCD")},
        {K::ShowWelcome, "Settings/Preferences/ShowWelcome", QString(), QStringLiteral("N")},
        {K::RequireDoubleClick, "Settings/Preferences/RequireDoubleClick", 1, 0},
        {K::AlphaSize, "Settings/Preferences/AlphaSize", 4, 16},
        {K::LaunchHelp, "Settings/Preferences/LaunchHelp", 1, 0},
        {K::PopupHelpID, "Settings/Preferences/PopupHelpID", 0, 1},
        {K::DiscoveryTargets, "Settings/Preferences/DiscoveryTargets", QString(), QStringLiteral("127.0.0.2 10.1.2.255")},
        {K::CodePage, "Settings/Preferences/CodePage", 1252, 932},
        {K::TovrinExeDirectory, "Settings/Directories/TovrinExeDirectory", QString(), QStringLiteral("/opt/tovrin/Tovrin.exe")},
        {K::ResFilesDirectory, "Settings/Directories/ResFilesDirectory", QString(), QStringLiteral("/srv/res")},
        {K::CfgFilesDirectory, "Settings/Directories/CfgFilesDirectory", QString(), QStringLiteral("/srv/cfg/")},
        {K::LargeIcons, "Windows/Application/LargeIcons", 1, 0},
        {K::PlacementFlags, "Windows/Application/flags", -1, 2},
        {K::PlacementShowCmd, "Windows/Application/showCmd", -1, 1},
        {K::PlacementX1, "Windows/Application/x1", -1, 10},
        {K::PlacementY1, "Windows/Application/y1", -1, 20},
        {K::PlacementX2, "Windows/Application/x2", -1, 1000},
        {K::PlacementY2, "Windows/Application/y2", -1, 700},
        {K::AlternateLineShading, "Windows/Lists/AlternateLineShading", 2, 5},
        {K::AlternateLineShadingOffsets, "Windows/Colors/AlternateLineShadingOffsets", 657930, 0x00202020},
        {K::AllowText, "Windows/Colors/AllowText", 0x008000, 0x010203},
        {K::DenyText, "Windows/Colors/DenyText", 0x0000A0, 0x040506},
        {K::InheritText, "Windows/Colors/InheritText", 0x00111111, 0x070809},
        {K::SelectedAllowText, "Windows/Colors/SelectedAllowText", 0x00FF00, 0x0A0B0C},
        {K::SelectedDenyText, "Windows/Colors/SelectedDenyText", 0x0000FF, 0x0D0E0F},
        {K::SelectedInheritText, "Windows/Colors/SelectedInheritText", 0x00EEEEEE, 0x101112},
        {K::NormalBackground, "Windows/Colors/NormalBackground", 0x00EEEEEE, 0x131415},
        {K::SelectedBackground, "Windows/Colors/SelectedBackground", 0x00D77800, 0x161718},
        {K::UnfocusedBackground, "Windows/Colors/UnfocusedBackground", 0x00A0A0A0, 0x191A1B},
        {K::ReadOnlyBackground, "Windows/Colors/ReadOnlyBackground", 0xFFE0FF, 0x1C1D1E},
        {K::RadiosLargeIcons, "Windows/Radios/LargeIcons", 0, 1},
        {K::RadiosWidth, "Windows/Radios/Width", 216, 300},
        {K::RadiosHeight, "Windows/Radios/Height", 244, 310},
    };
    return all;
}

}  // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;

    QString iniPath() const { return dir_->filePath(QStringLiteral("KestovaV2.ini")); }
    std::unique_ptr<QSettings> ini() const
    {
        return std::make_unique<QSettings>(iniPath(), QSettings::IniFormat);
    }
    std::unique_ptr<SettingsStore> store(const SystemDefaults& system = kSystem) const
    {
        return std::make_unique<SettingsStore>(ini(), system);
    }

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void cleanup() { dir_.reset(); }

    void tableCoversEverySetting()
    {
        QCOMPARE(SettingsTable().size(), AllSettings().size());
        for (const SettingSpec& spec : SettingsTable()) {
            const auto it = std::find_if(AllSettings().begin(), AllSettings().end(),
                                         [&](const Expected& e) { return e.key == spec.key; });
            QVERIFY2(it != AllSettings().end(), spec.name);
        }
    }

    void eachSetting_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < AllSettings().size(); ++i)
            QTest::newRow(AllSettings()[i].path) << static_cast<int>(i);
    }
    // Its place, its default when nothing is stored, and a stored value read back by a new store.
    void eachSetting()
    {
        QFETCH(int, index);
        const Expected& e = AllSettings()[static_cast<std::size_t>(index)];
        QCOMPARE(SettingPath(e.key), QString::fromLatin1(e.path));

        auto s = store();
        QVERIFY(!s->contains(e.key));
        const bool isText = SpecOf(e.key).type == SettingType::String;
        if (isText) {
            QCOMPARE(s->readString(e.key), e.value.toString());
            s->writeString(e.key, e.other.toString());
        } else {
            QCOMPARE(s->readInt(e.key), e.value.toInt());
            s->writeInt(e.key, e.other.toInt());
        }
        // Written at once: another reader of the file sees it without the store closing.
        QCOMPARE(ini()->value(QString::fromLatin1(e.path)).toString(), e.other.toString());

        auto again = store();
        QVERIFY(again->contains(e.key));
        if (isText)
            QCOMPARE(again->readString(e.key), e.other.toString());
        else
            QCOMPARE(again->readInt(e.key), e.other.toInt());
    }

    void largeIconsFollowTheScreenHeight()
    {
        SystemDefaults small = kSystem;
        small.screenHeight = 800;
        QCOMPARE(store(small)->readInt(K::LargeIcons), 0);
        QVERIFY(!store(small)->loadSettings().largeIcons);
        small.screenHeight = 801;
        QVERIFY(store(small)->loadSettings().largeIcons);
    }

    void loadGivesDefaultsWhenNothingIsStored()
    {
        Preferences expected;
        expected.largeIcons = true;
        expected.alphaSize = 4;
        expected.requireDoubleClick = true;
        expected.alternateLineShading = 2;
        expected.popupHelpId = false;
        expected.launchHelp = true;
        expected.colors = {657930,     MakeColorRef(0, 128, 0), MakeColorRef(160, 0, 0),
                           0x00111111, MakeColorRef(0, 255, 0), MakeColorRef(255, 0, 0),
                           0x00EEEEEE, 0x00EEEEEE,              0x00D77800,
                           0x00A0A0A0, MakeColorRef(255, 224, 255)};
        QCOMPARE(store()->loadSettings(), expected);
    }

    void saveThenLoadRoundTrips()
    {
        Preferences p;
        p.largeIcons = false;
        p.alphaSize = 8;
        p.requireDoubleClick = false;
        p.alternateLineShading = 7;
        p.popupHelpId = true;
        p.launchHelp = false;
        p.tovrinExePath = QStringLiteral("/opt/t/Tovrin.exe");
        p.resFilesDirectory = QStringLiteral("/srv/res/");
        p.cfgFilesDirectory = QStringLiteral("/srv/cfg");
        p.colors = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x00FFFFFF};
#ifdef _WIN32
        p.codePage = text::systemCodePage();
#else
        p.codePage = 1251;
#endif
        store()->saveSettings(p);
        QCOMPARE(store()->loadSettings(), p);
        // Booleans go out as 0 or 1.
        QCOMPARE(ini()->value(QStringLiteral("Settings/Preferences/PopupHelpID")).toString(),
                 QStringLiteral("1"));
        QCOMPARE(ini()->value(QStringLiteral("Windows/Application/LargeIcons")).toString(),
                 QStringLiteral("0"));
    }

    void storedValuesAreReadLikeTheFramework_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("read");  // as loaded into the preferences
        QTest::newRow("alpha 6") << "Settings/Preferences/AlphaSize" << QVariant(6) << QVariant(6);
        QTest::newRow("alpha 16") << "Settings/Preferences/AlphaSize" << QVariant(16) << QVariant(16);
        QTest::newRow("alpha 5 is 4") << "Settings/Preferences/AlphaSize" << QVariant(5) << QVariant(4);
        QTest::newRow("alpha 0 is 4") << "Settings/Preferences/AlphaSize" << QVariant(0) << QVariant(4);
        QTest::newRow("alpha text is 4") << "Settings/Preferences/AlphaSize" << QVariant(QStringLiteral("eight")) << QVariant(4);
        QTest::newRow("any non-zero is on") << "Settings/Preferences/PopupHelpID" << QVariant(2) << QVariant(true);
        QTest::newRow("negative is on") << "Settings/Preferences/PopupHelpID" << QVariant(-1) << QVariant(true);
        QTest::newRow("zero is off") << "Settings/Preferences/RequireDoubleClick" << QVariant(0) << QVariant(false);
        QTest::newRow("wrong kind is the default") << "Settings/Preferences/RequireDoubleClick" << QVariant(QStringLiteral("yes")) << QVariant(true);
        QTest::newRow("colour as unsigned") << "Windows/Colors/AllowText" << QVariant(QStringLiteral("4294967295")) << QVariant(0xFFFFFFFFu);
        QTest::newRow("colour out of range") << "Windows/Colors/AllowText" << QVariant(QStringLiteral("4294967296")) << QVariant(0x008000u);
        QTest::newRow("number as directory is the default") << "Settings/Directories/ResFilesDirectory" << QVariant(12) << QVariant(QString());
#ifndef _WIN32
        QTest::newRow("code page 932") << "Settings/Preferences/CodePage" << QVariant(932) << QVariant(932u);
        QTest::newRow("code page not converted here is 1252") << "Settings/Preferences/CodePage" << QVariant(4711) << QVariant(1252u);
        QTest::newRow("code page as text is 1252") << "Settings/Preferences/CodePage" << QVariant(QStringLiteral("sjis")) << QVariant(1252u);
#endif
    }
    void storedValuesAreReadLikeTheFramework()
    {
        QFETCH(QString, path);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, read);
        ini()->setValue(path, stored);
        const Preferences p = store()->loadSettings();
        const QVariant got = path.endsWith(u"AlphaSize")            ? QVariant(p.alphaSize)
                             : path.endsWith(u"PopupHelpID")        ? QVariant(p.popupHelpId)
                             : path.endsWith(u"RequireDoubleClick") ? QVariant(p.requireDoubleClick)
                             : path.endsWith(u"AllowText")          ? QVariant(p.colors.allowText)
                             : path.endsWith(u"CodePage")           ? QVariant(p.codePage)
                                                                    : QVariant(p.resFilesDirectory);
        QCOMPARE(got, read);
    }

    // A stored alpha size of 5 is read as 4, and 4 goes back at exit.
    void invalidAlphaSizeIsWrittenBackAsFour()
    {
        ini()->setValue(QStringLiteral("Settings/Preferences/AlphaSize"), 5);
        auto s = store();
        s->saveSettings(s->loadSettings());
        QCOMPARE(ini()->value(QStringLiteral("Settings/Preferences/AlphaSize")).toInt(), 4);
    }

    void doNotSaveWritesNothing()
    {
        auto s = store();
        Preferences p = s->loadSettings();
        p.alphaSize = 8;
        p.resFilesDirectory = QStringLiteral("/srv/res");
        s->setDoNotSave(true);
        s->saveSettings(p);
        QVERIFY(ini()->allKeys().isEmpty());
        QVERIFY(!QFile::exists(iniPath()));

        s->setDoNotSave(false);
        s->saveSettings(p);
        QCOMPARE(store()->loadSettings(), p);
    }

    void directoriesAreMadeCanonical_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("dot dot") << "/srv/a/../res" << "/srv/res";
        QTest::newRow("dot") << "/srv/./res" << "/srv/res";
        QTest::newRow("trailing separator kept") << "/srv/a/../res/" << "/srv/res/";
        QTest::newRow("no separator added") << "/srv/res" << "/srv/res";
        QTest::newRow("doubled separators") << "/srv//res" << "/srv/res";
        QTest::newRow("ends in dot dot") << "/srv/res/.." << "/srv";
        QTest::newRow("not above the root") << "/../srv" << "/srv";
        QTest::newRow("nothing above the root") << "/a/../../.." << "/";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("relative stays relative") << "data/../res" << "res";
        QTest::newRow("leading dot dot kept") << "../res" << "../res";
    }
    void directoriesAreMadeCanonical()
    {
        QFETCH(QString, stored);
        QFETCH(QString, loaded);
        QCOMPARE(CanonicalDirectory(stored), QDir::toNativeSeparators(loaded));

        ini()->setValue(QStringLiteral("Settings/Directories/ResFilesDirectory"), stored);
        ini()->setValue(QStringLiteral("Settings/Directories/CfgFilesDirectory"), stored);
        ini()->setValue(QStringLiteral("Settings/Directories/TovrinExeDirectory"), stored);
        const Preferences p = store()->loadSettings();
        QCOMPARE(p.resFilesDirectory, QDir::toNativeSeparators(loaded));
        QCOMPARE(p.cfgFilesDirectory, QDir::toNativeSeparators(loaded));
        QCOMPARE(p.tovrinExePath, stored);  // the executable's path is taken as stored
    }

    // An intercom's file is found whatever the letter case of its name on disk; a name with no
    // file gives the path as asked, to be created.
    void filesAreFoundWhateverTheirLetterCase()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"demo.cfg", "Mixed.Res", "EXACT.cfg"})
            QVERIFY(QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        QCOMPARE(FindFileAnyCase(dir.path(), QStringLiteral("DEMO.cfg")), dir.filePath(QStringLiteral("demo.cfg")));
        QCOMPARE(FindFileAnyCase(dir.path(), QStringLiteral("MIXED.res")), dir.filePath(QStringLiteral("Mixed.Res")));
        QCOMPARE(FindFileAnyCase(dir.path(), QStringLiteral("EXACT.cfg")), dir.filePath(QStringLiteral("EXACT.cfg")));
        QCOMPARE(FindFileAnyCase(dir.path(), QStringLiteral("NEW.cfg")), dir.filePath(QStringLiteral("NEW.cfg")));
        // A wildcard in a name matches only itself.
        QCOMPARE(FindFileAnyCase(dir.path(), QStringLiteral("*.cfg")), dir.filePath(QStringLiteral("*.cfg")));
    }

    void coloursAreBgrIntegers()
    {
        QCOMPARE(ToColorRef(QColor(1, 2, 3)), 0x00030201u);
        QCOMPARE(FromColorRef(0x00A0B0C0), QColor(0xC0, 0xB0, 0xA0));
        QCOMPARE(FromColorRef(0xFF000080), QColor(0x80, 0, 0));
        QCOMPARE(MakeColorRef(255, 224, 255), 16769279u);
        QCOMPARE(MakeColorRef(10, 10, 10), 657930u);
        for (std::uint32_t ref : {0x00000000u, 0x00FFFFFFu, 0x00123456u})
            QCOMPARE(ToColorRef(FromColorRef(ref)), ref);
    }

    void listLayoutsAreBinary()
    {
        const QByteArray widths("\x40\x00\x00\x00\xff\x01", 6);
        auto s = store();
        QVERIFY(s->readListLayout(QStringLiteral("EditAndAssign2"), ListLayoutPart::ColumnWidths)
                    .isEmpty());
        s->writeListLayout(QStringLiteral("EditAndAssign2"), ListLayoutPart::ColumnWidths, widths);
        s->writeListLayout(QStringLiteral("EditAndAssign2"), ListLayoutPart::ColumnOrder,
                           QByteArray("\x01\x00", 2));
        QCOMPARE(ini()->value(QStringLiteral("Windows/Lists/EditAndAssign2ColumnWidths")).toByteArray(),
                 widths);
        auto again = store();
        QCOMPARE(again->readListLayout(QStringLiteral("EditAndAssign2"), ListLayoutPart::ColumnWidths),
                 widths);
        QCOMPARE(again->readListLayout(QStringLiteral("EditAndAssign2"), ListLayoutPart::ColumnOrder),
                 QByteArray("\x01\x00", 2));
    }

#ifdef Q_OS_WIN
    // The program's own store is the current user's registry key Halvo\\KestovaV2, with registry
    // strings and 32-bit integers as other programs (and reg.exe) read them.
    void defaultStoreIsTheUsersKestovaSettings()
    {
        const wchar_t* const key = L"Software\\Halvo\\KestovaV2";
        {
            SettingsStore s;
            QCOMPARE(s.settings().fileName(), QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Halvo\\KestovaV2"));
            s.writeString(K::DefaultIntercom, QStringLiteral("WXYZ"));
            Preferences p = s.loadSettings();
            p.alphaSize = 8;
            p.resFilesDirectory = QStringLiteral("C:/Users/Zo\u00eb/Restrictions");
            s.saveSettings(p);
        }
        const auto text = [key](const wchar_t* section, const wchar_t* name) {
            std::wstring subkey = std::wstring(key) + L"\\" + section;
            wchar_t value[256] = {};
            DWORD size = sizeof value;
            const LSTATUS rc = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
            return rc == ERROR_SUCCESS ? QString::fromWCharArray(value) : QStringLiteral("<error %1>").arg(rc);
        };
        QCOMPARE(text(L"Settings\\Preferences", L"DefaultIntercom"), QStringLiteral("WXYZ"));
        QCOMPARE(text(L"Settings\\Directories", L"ResFilesDirectory"), QStringLiteral("C:/Users/Zo\u00eb/Restrictions"));
        DWORD alpha = 0;
        DWORD size = sizeof alpha;
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Halvo\\KestovaV2\\Settings\\Preferences", L"AlphaSize",
                              RRF_RT_REG_DWORD, nullptr, &alpha, &size),
                 LSTATUS(ERROR_SUCCESS));
        QCOMPARE(alpha, DWORD(8));
        RegDeleteTreeW(HKEY_CURRENT_USER, key);
    }
#else
    // The program's own store lives under Halvo / KestovaV2 in the native format.
    void defaultStoreIsTheUsersKestovaSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_->path());
        {
            SettingsStore s;
            s.writeString(K::DefaultIntercom, QStringLiteral("WXYZ"));
            QVERIFY(s.settings().fileName().startsWith(dir_->path()));
        }
        QSettings native(QStringLiteral("Halvo"), QStringLiteral("KestovaV2"));
        QCOMPARE(native.value(QStringLiteral("Settings/Preferences/DefaultIntercom")).toString(),
                 QStringLiteral("WXYZ"));
    }
#endif
};

QTEST_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"

