#include "widgets/Icons.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;

namespace {

// Share of pixels that are not transparent.
double Coverage(const QImage& image)
{
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(opaque) / (image.width() * image.height());
}

}  // namespace

class IconsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyIconDrawsAtBothSizes_data();
    void everyIconDrawsAtBothSizes();
    void unknownNameGivesNoIcon();
    void contactSheet();
};

void IconsTest::everyIconDrawsAtBothSizes_data()
{
    QTest::addColumn<QString>("name");
    // The names the toolbar, the tree, the category bar and the lists ask for.
    const QStringList wanted = {
        u"change-intercom"_s, u"refresh-alphas"_s, u"save"_s, u"undo"_s, u"redo"_s,
        u"help-topics"_s, u"context-help"_s, u"release-notes"_s, u"about"_s, u"export"_s, u"preferences"_s, u"shortcut"_s,
        u"intercom"_s, u"studio"_s, u"class"_s, u"user"_s, u"category"_s, u"previous"_s,
        u"next"_s, u"vexilor"_s, u"include"_s, u"exclude"_s, u"default-intercom"_s};
    QCOMPARE(AppIconNames(), wanted);
    for (const QString& name : wanted)
        QTest::newRow(qPrintable(name)) << name;
}

void IconsTest::everyIconDrawsAtBothSizes()
{
    QFETCH(QString, name);
    const QIcon icon = AppIcon(name);
    QVERIFY(!icon.isNull());
    for (const int size : {16, 32}) {
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        const double coverage = Coverage(image);
        QVERIFY2(coverage > 0.15 && coverage < 1.0, qPrintable(u"%1 at %2: %3"_s.arg(name).arg(size).arg(coverage)));
    }
}

void IconsTest::unknownNameGivesNoIcon()
{
    QVERIFY(AppIcon(u"no-such-icon"_s).isNull());
    QVERIFY(AppIcon(QString()).isNull());
}

void IconsTest::contactSheet()
{
    const QStringList names = AppIconNames();
    QImage sheet(names.size() * 40 + 8, 64, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int i = 0; i < names.size(); ++i) {
        const QIcon icon = AppIcon(names.at(i));
        p.drawPixmap(8 + i * 40, 6, icon.pixmap(QSize(16, 16), 1.0));
        p.drawPixmap(8 + i * 40, 28, icon.pixmap(QSize(32, 32), 1.0));
    }
    p.end();
    QVERIFY(sheet.save(QDir::temp().filePath(u"h13-icons-sheet.png"_s)));
}

QTEST_MAIN(IconsTest)
#include "IconsTest.moc"
