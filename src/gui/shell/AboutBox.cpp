#include "shell/AboutBox.h"

#include "app/AppState.h"
#include "app/Strings.h"
#include "shell/Language.h"
#include "vexilor/Version.h"
#include "widgets/Icons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QApplication>
#include <QVBoxLayout>

#include <cstring>

namespace vexilor {

namespace {

QString BuildType()
{
    // "UNICODE Release"; a debug build says so instead of "Release".
    const QString type = std::strcmp(build::kBuildType, "Release") == 0 ? strings::Text(3216)
                                                                           : QString::fromLatin1(build::kBuildType);
    return strings::Text(3213) + u' ' + type;
}

QString Copyright()
{
    const QString date = QString::fromLatin1(build::kBuildDate);
    return QStringLiteral("(C) %1 Halvo").arg(date.left(4));
}

}  // namespace

QList<QPair<QString, QString>> CDlgAbout::Lines(const CAppState& app)
{
    return {
        {CDlgAbout::tr("Version:"), QString::fromLatin1(build::kVersion)},
        {CDlgAbout::tr("Build date:"), QString::fromLatin1(build::kBuildDate)},
        {CDlgAbout::tr("Copyright:"), Copyright()},
        {CDlgAbout::tr("Feature set:"), strings::Text(3212)},
        {CDlgAbout::tr("Build type:"), BuildType()},
        {CDlgAbout::tr("System locale:"), LocaleDisplayName(app.languageId)},
        {CDlgAbout::tr("Resources:"), app.languageLibraryName.isEmpty() ? strings::Text(3210) : app.languageLibraryName},
    };
}

CDlgAbout::CDlgAbout(const CAppState& app, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(strings::Text(3211));

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon(QStringLiteral("vexilor")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(QString::fromLatin1(build::kProductName)), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    name->setFont(big);

    auto* form = new QFormLayout;
    for (const auto& [label, value] : Lines(app)) {
        auto* text = new QLabel(value, this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label, text);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* right = new QVBoxLayout;
    right->addWidget(name);
    right->addLayout(form);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vexilor
