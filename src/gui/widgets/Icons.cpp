#include "widgets/Icons.h"

#include <QFile>

#include <array>

// The icon resources live in this static library; registering them here keeps them linked in.
static void RegisterIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace vexilor {

namespace {

constexpr std::array kNames = {
    u"change-intercom", u"refresh-alphas", u"save", u"undo", u"redo", u"help-topics", u"context-help",
    u"release-notes", u"about", u"export", u"preferences", u"shortcut",
    u"intercom", u"studio", u"class", u"user",
    u"category", u"previous", u"next",
    u"vexilor",
    u"include", u"exclude",
    u"default-intercom",
};

}  // namespace

QStringList AppIconNames()
{
    QStringList names;
    for (const char16_t* name : kNames)
        names << QString::fromUtf16(name);
    return names;
}

QIcon ResourceIcon(const QString& base)
{
    const QString svg = base + QStringLiteral(".svg");
    QIcon icon;
    if (QFile::exists(svg)) {
        // Rendered from the drawing at each size asked for, so it stays sharp at 16 and 32 pixels.
        for (const int size : {16, 24, 32, 48})
            icon.addFile(svg, QSize(size, size));
        return icon;
    }
    // Builds without SVG support carry the drawing rendered at those sizes.
    for (const int size : {16, 24, 32, 48}) {
        const QString png = base + QStringLiteral("-%1.png").arg(size);
        if (QFile::exists(png))
            icon.addFile(png, QSize(size, size));
    }
    return icon;
}

QIcon AppIcon(const QString& name)
{
    static const bool registered = (RegisterIconResources(), true);
    Q_UNUSED(registered);
    return ResourceIcon(QStringLiteral(":/icons/") + name);
}

}  // namespace vexilor
