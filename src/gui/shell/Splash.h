#pragma once

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vexilor {

// The splash picture: a borderless top-most window of the picture's size, centred on the screen,
// with an arrow cursor.
class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    explicit CSplashWnd(const QPixmap& picture);

    // The program's picture: its name, version and build date on a drawn background.
    static QPixmap Picture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

// Shows the splash window for a while after start-up. It closes after the delay once the main
// window is there (looking again every 100 ms until it is), and at once on any key or mouse button
// press anywhere in the program. Deletes itself when it has closed.
class CSplash : public QObject {
    Q_OBJECT
public:
    static constexpr int kDisplayMs = 5000;
    static constexpr int kRetryMs = 100;

    // mainWindow tells whether the main window exists and is shown.
    explicit CSplash(std::function<bool()> mainWindowShown, int displayMs = kDisplayMs,
                     QObject* parent = nullptr);
    ~CSplash() override;

    void show();
    // Closes the window now (commands that open dialogs call this first).
    void close();
    CSplashWnd* window() const { return window_; }

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void timeUp();

    std::function<bool()> mainWindowShown_;
    QPointer<CSplashWnd> window_;
    QTimer timer_;
    bool closing_ = false;
};

}  // namespace vexilor
