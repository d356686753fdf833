#include "app/SettingsStore.h"
#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;

class PlacementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void fitsToTheWorkArea_data();
    void fitsToTheWorkArea();
    void showState_data();
    void showState();
    void roundTripsTheStoredValues();
    void ignoresAPartialPlacement_data();
    void ignoresAPartialPlacement();
    void storesTheWindowAsItIs();
    void restoresAnOffScreenPlacementOntoTheScreen();

private:
    std::unique_ptr<SettingsStore> store();
    QTemporaryDir dir_;
    QString iniPath_;
};

std::unique_ptr<SettingsStore> PlacementTest::store()
{
    return std::make_unique<SettingsStore>(std::make_unique<QSettings>(iniPath_, QSettings::IniFormat),
                                           SystemDefaults{});
}

void PlacementTest::init()
{
    iniPath_ = dir_.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u".ini"_s);
    QFile::remove(iniPath_);
}

void PlacementTest::fitsToTheWorkArea_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QRect>("fitted");

    const QRect hd(0, 0, 1280, 984);  // 1280x1024 less a 40-pixel taskbar
    QTest::newRow("inside stays") << QRect(100, 50, 800, 600) << hd << QRect(100, 50, 800, 600);
    QTest::newRow("from a larger screen: shifted back")
        << QRect(1500, 900, 800, 600) << hd << QRect(480, 384, 800, 600);
    QTest::newRow("larger than the work area: shrunk, then at the origin")
        << QRect(-20, -30, 1920, 1200) << hd << QRect(0, 0, 1280, 984);
    QTest::newRow("negative edges: moved to 0") << QRect(-300, -10, 400, 300) << hd << QRect(0, 0, 400, 300);
    QTest::newRow("right edge exactly on the border") << QRect(480, 0, 800, 600) << hd << QRect(480, 0, 800, 600);
    // A work area that does not start at the origin (taskbar at the top or left).
    QTest::newRow("offset work area") << QRect(0, 0, 600, 400) << QRect(64, 32, 1216, 992)
                                      << QRect(64, 32, 600, 400);
    QTest::newRow("offset work area, far right") << QRect(2000, 500, 600, 400) << QRect(64, 32, 1216, 992)
                                                 << QRect(680, 500, 600, 400);
}

void PlacementTest::fitsToTheWorkArea()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, workArea);
    QTEST(FitToWorkArea(stored, workArea), "fitted");
}

void PlacementTest::showState_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("applied");

    QTest::newRow("normal") << showcmd::kNormal << false << false << showcmd::kNormal;
    QTest::newRow("maximized") << showcmd::kMaximized << false << false << showcmd::kMaximized;
    QTest::newRow("stored minimized reopens restored") << showcmd::kMinimized << false << false << showcmd::kRestore;
    QTest::newRow("stored minimize") << showcmd::kMinimize << false << false << showcmd::kRestore;
    QTest::newRow("stored minimized, no activate") << showcmd::kMinimizedNoActivate << false << false
                                                   << showcmd::kRestore;
    QTest::newRow("window already maximized") << showcmd::kNormal << false << true << showcmd::kMaximized;
    QTest::newRow("window already minimized") << showcmd::kMaximized << true << false << showcmd::kMinimized;
}

void PlacementTest::showState()
{
    QFETCH(int, stored);
    QFETCH(bool, minimized);
    QFETCH(bool, maximized);
    QTEST(ShowCmdToApply(stored, minimized, maximized), "applied");
}

void PlacementTest::roundTripsTheStoredValues()
{
    const WindowPlacement placement{2, showcmd::kMaximized, QRect(QPoint(10, 20), QPoint(809, 619))};
    SavePlacement(*store(), placement);

    QSettings raw(iniPath_, QSettings::IniFormat);
    QCOMPARE(raw.value(u"Windows/Application/x1"_s).toInt(), 10);
    QCOMPARE(raw.value(u"Windows/Application/y1"_s).toInt(), 20);
    QCOMPARE(raw.value(u"Windows/Application/x2"_s).toInt(), 810);  // right edge, exclusive
    QCOMPARE(raw.value(u"Windows/Application/y2"_s).toInt(), 620);
    QCOMPARE(raw.value(u"Windows/Application/showCmd"_s).toInt(), showcmd::kMaximized);
    QCOMPARE(raw.value(u"Windows/Application/flags"_s).toInt(), 2);

    const std::optional<WindowPlacement> loaded = LoadPlacement(*store());
    QVERIFY(loaded);
    QCOMPARE(*loaded, placement);
}

void PlacementTest::ignoresAPartialPlacement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");  // invalid: remove the value
    for (const char* n : {"flags", "showCmd", "x1", "y1", "x2", "y2"})
        QTest::addRow("%s missing", n) << QString::fromLatin1(n) << QVariant();
    QTest::newRow("x2 holds none") << u"x2"_s << QVariant(-1);
    QTest::newRow("empty rectangle") << u"x2"_s << QVariant(10);
    QTest::newRow("not a number") << u"y1"_s << QVariant(u"top"_s);
}

void PlacementTest::ignoresAPartialPlacement()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    SavePlacement(*store(), WindowPlacement{0, showcmd::kNormal, QRect(10, 10, 400, 300)});
    {
        QSettings raw(iniPath_, QSettings::IniFormat);
        const QString key = u"Windows/Application/"_s + name;
        if (value.isValid())
            raw.setValue(key, value);
        else
            raw.remove(key);
    }
    QVERIFY(!LoadPlacement(*store()));

    QWidget window;
    window.setGeometry(50, 60, 200, 100);
    QVERIFY(!RestorePlacement(window, *store()));
    QCOMPARE(window.geometry(), QRect(50, 60, 200, 100));
}

void PlacementTest::storesTheWindowAsItIs()
{
    QWidget window;
    window.setGeometry(30, 40, 320, 240);
    QCOMPARE(CapturePlacement(window).showCmd, showcmd::kHide);  // never shown

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const WindowPlacement shown = CapturePlacement(window);
    QCOMPARE(shown.showCmd, showcmd::kNormal);
    QCOMPARE(shown.normal.size(), QSize(320, 240));

    SavePlacement(*store(), shown);
    QWidget restored;
    const std::optional<int> state = RestorePlacement(restored, *store());
    QCOMPARE(state, std::optional<int>(showcmd::kNormal));
    QCOMPARE(restored.geometry().size(), QSize(320, 240));
}

void PlacementTest::restoresAnOffScreenPlacementOntoTheScreen()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() != 1)
        QSKIP("fitting applies with one screen only");
    const QRect work = screens.front()->availableGeometry();
    // Stored on a larger screen, minimized: back on this one, restored.
    const QRect stored(work.right() + 500, work.bottom() + 300, work.width() / 2, work.height() / 2);
    SavePlacement(*store(), WindowPlacement{0, showcmd::kMinimized, stored});

    QWidget window;
    const std::optional<int> state = RestorePlacement(window, *store());
    QCOMPARE(state, std::optional<int>(showcmd::kRestore));
    QVERIFY2(work.contains(window.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(window.x()).arg(window.y()).arg(window.width()).arg(window.height())));
    QCOMPARE(window.geometry().size(), stored.size());
    QCOMPARE(window.geometry().bottomRight(), work.bottomRight());
}

QTEST_MAIN(PlacementTest)
#include "PlacementTest.moc"
