#include "shell/Splash.h"

#include "vexilor/Version.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace vexilor {

CSplashWnd::CSplashWnd(const QPixmap& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(picture)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setFixedSize(picture_.deviceIndependentSize().toSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

QPixmap CSplashWnd::Picture()
{
    QPixmap picture(420, 240);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, picture.height());
    sky.setColorAt(0.0, QColor(18, 46, 92));
    sky.setColorAt(1.0, QColor(42, 104, 168));
    p.fillRect(picture.rect(), sky);

    // A stylised flag on its pole: what the program decides is who may hoist which.
    p.setPen(QPen(QColor(230, 230, 230), 4));
    p.drawLine(48, 44, 48, 196);
    QPainterPath flag;
    flag.moveTo(50, 48);
    flag.cubicTo(80, 36, 100, 64, 130, 52);
    flag.lineTo(130, 104);
    flag.cubicTo(100, 116, 80, 88, 50, 100);
    flag.closeSubpath();
    p.fillPath(flag, QColor(224, 64, 48));

    p.setPen(Qt::white);
    QFont title = QApplication::font();
    title.setPointSizeF(30);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(150, 40, 260, 60), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(build::kProductName));

    QFont small = QApplication::font();
    small.setPointSizeF(10);
    p.setFont(small);
    p.setPen(QColor(220, 228, 240));
    p.drawText(QRect(152, 100, 260, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Version %1").arg(QString::fromLatin1(build::kVersion)));
    p.drawText(QRect(152, 122, 260, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(build::kBuildDate));
    p.drawText(QRect(152, 170, 260, 40), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               QStringLiteral("Restrictions for Tovrin"));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture_);
}

CSplash::CSplash(std::function<bool()> mainWindowShown, int displayMs, QObject* parent)
    : QObject(parent), mainWindowShown_(std::move(mainWindowShown))
{
    timer_.setSingleShot(true);
    timer_.setInterval(displayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { timeUp(); });
}

CSplash::~CSplash()
{
    closing_ = true;
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
    if (window_)
        delete window_.data();
}

void CSplash::show()
{
    window_ = new CSplashWnd(CSplashWnd::Picture());
    connect(window_, &QObject::destroyed, this, [this] { close(); });
    qApp->installEventFilter(this);
    window_->show();
    window_->raise();
    timer_.start();
}

void CSplash::close()
{
    if (closing_)
        return;
    closing_ = true;
    timer_.stop();
    qApp->removeEventFilter(this);
    if (window_)
        window_->close();
    Q_EMIT closed();
    deleteLater();
}

void CSplash::timeUp()
{
    if (mainWindowShown_ && !mainWindowShown_()) {
        timer_.start(kRetryMs);
        return;
    }
    close();
}

bool CSplash::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        close();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vexilor
