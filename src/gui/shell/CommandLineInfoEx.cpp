#include "shell/CommandLineInfoEx.h"

#include <QFileInfo>

namespace vexilor {

CCommandLineInfoEx::CCommandLineInfoEx(const QStringList& parameters)
{
    for (const QString& parameter : parameters)
        parseParam(parameter);
}

void CCommandLineInfoEx::parseParam(const QString& parameter)
{
    // An absolute path, as the desktop passes a file to open, is no switch.
    const bool path = parameter.startsWith(u'/') && QFileInfo(parameter).isFile();
    if (!path && (parameter.startsWith(u'/') || parameter.startsWith(u'-'))) {
        lastSwitch_ = parameter.mid(1);
        switches_.insert(lastSwitch_, QStringLiteral("TRUE"));
        valued_.remove(lastSwitch_);
        return;
    }
    const bool languageValue = lastSwitch_ == u"l" || lastSwitch_ == u"L";
    if (!lastSwitch_.isEmpty()) {
        switches_.insert(lastSwitch_, parameter);
        valued_.insert(lastSwitch_);
        lastSwitch_.clear();
    }
    if (fileName_.isEmpty() && !languageValue)
        fileName_ = parameter;
}

QString CCommandLineInfoEx::valueOf(const QString& first, const QString& second) const
{
    if (const auto it = switches_.constFind(first); it != switches_.cend())
        return *it;
    return switches_.value(second);
}

QString CCommandLineInfoEx::intercomSwitch() const
{
    for (const QString& name : {QStringLiteral("i"), QStringLiteral("I")}) {
        if (switches_.contains(name))
            return valued_.contains(name) ? switches_.value(name) : QString();
    }
    return {};
}

QString CCommandLineInfoEx::languageSwitch() const
{
    return valueOf(QStringLiteral("l"), QStringLiteral("L"));
}

bool CCommandLineInfoEx::noSplash() const
{
    return hasSwitch(QStringLiteral("nologo")) ||
           switches_.keys().contains(QStringLiteral("Automation"), Qt::CaseInsensitive) ||
           switches_.keys().contains(QStringLiteral("Embedding"), Qt::CaseInsensitive);
}

}  // namespace vexilor
