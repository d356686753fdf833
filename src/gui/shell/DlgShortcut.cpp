#include "shell/DlgShortcut.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "shell/DesktopShortcut.h"
#include "shell/Help.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace vexilor {

namespace {

constexpr int kHelpContext = 301;

bool HasForbiddenCharacter(const QString& name)
{
    static const QString forbidden = QStringLiteral(":\\/*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c))
            return true;
    return false;
}

// The launcher's icon: on Windows the program's own; elsewhere the program's icon file when one is
// installed or in the source tree, else the icon theme's name for it.
QString LauncherIcon()
{
#ifdef Q_OS_WIN
    return QCoreApplication::applicationFilePath();
#else
    const QString file = ProgramResourceFile(QStringLiteral("icons/vexilor.svg"));
    return file.isEmpty() ? QStringLiteral("vexilor") : file;
#endif
}

}  // namespace

CDlgShortcut::CDlgShortcut(CAppState& app, QWidget* parent)
    : QDialog(parent), app_(app),
      desktopDirectory_(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
{
    setWindowTitle(QStringLiteral("Create a Desktop Shortcut"));

    intercomCheck_ = new QCheckBox(QStringLiteral(" &Intercom:"), this);
    intercomEdit_ = new QLineEdit(this);
    auto* nameLabel = new QLabel(QStringLiteral("&Shortcut Name:"), this);
    nameEdit_ = new QLineEdit(this);
    nameLabel->setBuddy(nameEdit_);
    auto* descriptionLabel = new QLabel(QStringLiteral("D&escription:"), this);
    descriptionEdit_ = new QLineEdit(this);
    descriptionLabel->setBuddy(descriptionEdit_);
    intercomEdit_->setAccessibleName(QStringLiteral("Intercom"));
    for (QLineEdit* edit : {intercomEdit_, nameEdit_, descriptionEdit_})
        edit->setMinimumWidth(240);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgShortcut::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgShortcut::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(intercomCheck_, 0, 0);
    grid->addWidget(intercomEdit_, 0, 1);
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(nameEdit_, 1, 1);
    grid->addWidget(descriptionLabel, 2, 0);
    grid->addWidget(descriptionEdit_, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(buttons);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { ShowHelp(app_, kHelpContext, this); });

    // The open intercom is proposed, unless it is the default one.
    if (!app.intercomName.isEmpty()) {
        intercomName_ = app.intercomName;
        forIntercom_ = intercomName_.compare(u"Default", Qt::CaseInsensitive) != 0;
    }
    proposeNames();
    showValues();
    connect(intercomCheck_, &QCheckBox::clicked, this, &CDlgShortcut::onIntercomToggled);
}

CDlgShortcut::~CDlgShortcut() = default;

void CDlgShortcut::proposeNames()
{
    if (forIntercom_) {
        shortcutName_ = strings::Text(3254, {intercomName_});
        description_ = strings::Text(3255, {intercomName_});
    } else {
        shortcutName_ = QStringLiteral("Kestova");
        description_.clear();
    }
}

void CDlgShortcut::takeValues()
{
    forIntercom_ = intercomCheck_->isChecked();
    intercomName_ = intercomEdit_->text();
    shortcutName_ = nameEdit_->text();
    description_ = descriptionEdit_->text();
}

void CDlgShortcut::showValues()
{
    intercomCheck_->setChecked(forIntercom_);
    intercomEdit_->setEnabled(forIntercom_);
    intercomEdit_->setText(intercomName_);
    nameEdit_->setText(shortcutName_);
    descriptionEdit_->setText(description_);
}

void CDlgShortcut::onIntercomToggled()
{
    takeValues();
    proposeNames();
    showValues();
}

void CDlgShortcut::accept()
{
    takeValues();
    if (shortcutName_.isEmpty())
        return;
    if (HasForbiddenCharacter(shortcutName_)) {
        Prompts::show(strings::Text(3256), Prompts::Icon::Error);
        return;
    }

    CShellLinkInfo info;
    info.targetPath = QCoreApplication::applicationFilePath();
    if (forIntercom_)
        info.arguments = {QStringLiteral("-i"), intercomName_};
    info.iconPath = LauncherIcon();
    info.iconIndex = 0;
    info.workingDirectory = QCoreApplication::applicationDirPath();
    info.description = description_;

    const QString path = LinkFilePath(desktopDirectory_, shortcutName_);
    if (QFileInfo::exists(path) &&
        Prompts::show(strings::Text(3206), Prompts::Icon::Question, Prompts::Buttons::YesNo) !=
            Prompts::Answer::Yes)
        return;

    savedPath_.clear();
    QString error;
    if (SaveLink(info, path, &error))
        savedPath_ = path;
    else
        Prompts::show(QStringLiteral("Could not create the shortcut \"%1\".\n\n%2").arg(path, error),
                      Prompts::Icon::Warning);
    QDialog::accept();
}

}  // namespace vexilor

// Compiled here so that linking the dialog does not pull in the other shell classes.
#include "moc_DlgShortcut.cpp"
