#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace vexilor {

// The program's command line. A parameter starting with "/" or "-" is a switch: its name (the rest)
// maps to "TRUE" and it becomes the last switch; any other parameter is the value of the last switch
// (which is then forgotten). The first plain parameter is also the file name, i.e. the intercom to
// open, except a value taken by the language switch: a locale number is never an intercom name.
// A parameter starting with "/" that names an existing file is a plain parameter (a path).
class CCommandLineInfoEx {
public:
    CCommandLineInfoEx() = default;
    // The parameters without the program itself.
    explicit CCommandLineInfoEx(const QStringList& parameters);

    void parseParam(const QString& parameter);

    bool hasSwitch(const QString& name) const { return switches_.contains(name); }
    // The switch's value ("TRUE" when no value followed it); empty when absent.
    QString switchValue(const QString& name) const { return switches_.value(name); }
    const QHash<QString, QString>& switches() const { return switches_; }

    // The first plain parameter; empty when there was none.
    const QString& fileName() const { return fileName_; }
    // Switch "i", failing that "I"; empty when neither was given with a value (a bare "-i" names
    // no intercom, not one called "TRUE").
    QString intercomSwitch() const;
    // Switch "l", failing that "L".
    QString languageSwitch() const;
    // "nologo", or started by automation ("Automation"/"Embedding"): no splash picture.
    bool noSplash() const;

private:
    QString valueOf(const QString& first, const QString& second) const;

    QHash<QString, QString> switches_;
    QSet<QString> valued_;  // switches that a value followed
    QString lastSwitch_;
    QString fileName_;
};

}  // namespace vexilor
