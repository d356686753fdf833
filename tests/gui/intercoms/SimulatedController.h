#pragma once

#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace vexilor::test {

// What the simulated controllers of the refresh tests hold: sizes, capabilities, alphas and
// descriptions of their own, none of them the defaults.
inline CIntercom ControllerData()
{
    CIntercom icom;
    icom.keypanelCount = 180;
    icom.partyLineCount = 20;
    icom.groupCount = 7;
    icom.alphaSize = 6;
    icom.capabilities.set(57);  // every 8-bit alpha size
    icom.alphas[ResourceKey(0, 1)].SetAlpha(u"DESK", 4);
    icom.alphas[ResourceKey(0, 1)].SetAlpha(u"DESK 1", 6);
    icom.alphas[ResourceKey(0, 180)].SetAlpha(u"LASTPNL1", 8);
    icom.alphas[ResourceKey(1, 20)].SetAlpha(u"PL20", 4);
    icom.descriptions[ResourceKey(1, 3)].text = u"Talkback studio 3";
    return icom;
}

// A vexilor-icomsim child serving ControllerData() on a loopback address; ready once it listens,
// stopped when destroyed.
class SimulatedController {
public:
    // args: the simulator's options besides --cfg (address, port, name, faults).
    explicit SimulatedController(const QStringList& args)
    {
        std::u16string error;
        const QString cfg = dir_.filePath(QStringLiteral("SIM.cfg"));
        if (!dir_.isValid() || !SaveConfigurationFile(cfg.toStdU16String(), ControllerData(), error))
            return;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(VEXILOR_ICOMSIM),
                       QStringList{QStringLiteral("--cfg"), cfg, QStringLiteral("--time-limit-ms"),
                                   QStringLiteral("120000")}
                           + args);
        if (!process_.waitForStarted(10000))
            return;
        // The simulator prints its "listening" line once its socket is bound.
        QByteArray seen;
        while (!seen.contains('\n') && process_.waitForReadyRead(10000))
            seen += process_.readAllStandardOutput();
        ready_ = seen.startsWith("listening");
    }
    ~SimulatedController()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(5000);
        }
    }
    SimulatedController(const SimulatedController&) = delete;
    SimulatedController& operator=(const SimulatedController&) = delete;

    bool ready() const { return ready_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    bool ready_ = false;
};

}  // namespace vexilor::test
