#pragma once

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "intercoms/DlgSearchForIcom.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <memory>

namespace vexilor::test {

// A configuration and a restrictions directory in a temporary folder, settings in an INI file
// there, and the application state pointing at them.
class IntercomDirs {
public:
    IntercomDirs()
    {
        QDir(root_.path()).mkpath(QStringLiteral("cfg"));
        QDir(root_.path()).mkpath(QStringLiteral("res"));
        settings_ = std::make_unique<SettingsStore>(
            std::make_unique<QSettings>(root_.filePath(QStringLiteral("KestovaV2.ini")),
                                        QSettings::IniFormat),
            SystemDefaults{900, 0, 0xFFFFFF, 0xD77800, 0xA0A0A0});
        app.settings = settings_.get();
        app.prefs.cfgFilesDirectory = root_.filePath(QStringLiteral("cfg"));
        app.prefs.resFilesDirectory = root_.filePath(QStringLiteral("res"));
    }

    CAppState app;

    QString cfgFile(const QString& fileName) const { return app.prefs.cfgFilesDirectory + u'/' + fileName; }
    QString resFile(const QString& fileName) const { return app.prefs.resFilesDirectory + u'/' + fileName; }

    // A readable configuration file with counts and an alpha of its own.
    bool writeCfg(const QString& fileName, const QString& main = {}, const QString& partner = {})
    {
        CIntercom icom;
        icom.keypanelCount = 77;
        icom.alphas[ResourceKey(0, 3)].SetAlpha(u"DSK3", 4);
        icom.mainAddress = main.toStdU16String();
        icom.partnerAddress = partner.toStdU16String();
        icom.partnerActive = true;
        std::u16string error;
        return SaveConfigurationFile(cfgFile(fileName).toStdU16String(), icom, error);
    }
    static bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    bool writeRes(const QString& fileName)
    {
        return writeBytes(resFile(fileName), "[Device]\r\n");
    }

private:
    QTemporaryDir root_;
    std::unique_ptr<SettingsStore> settings_;
};

// Discovery that stays on this machine: no adapter broadcasts, any free port.
inline SearchForIcomOptions LoopbackOptions(std::uint16_t bindPort = 0)
{
    SearchForIcomOptions options;
    options.bindPort = bindPort;
    options.adapters = false;
    return options;
}

inline std::uint16_t FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// Acts on the modal dialog of type T once the code under test has shown it (through exec()); the
// returned timer stops when it has acted or is destroyed. acted() tells whether it ran.
template <class T>
class WhenShown {
public:
    explicit WhenShown(std::function<void(T&)> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer_.stop();
            acted_ = true;
            act_(*dialog);
        });
        timer_.start(0);
    }
    bool acted() const { return acted_; }

private:
    std::function<void(T&)> act_;
    QTimer timer_;
    bool acted_ = false;
};

}  // namespace vexilor::test
