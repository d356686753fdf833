#include "shell/DlgPrefs.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "restrictions/MenuCatalogue.h"
#include "shell/Help.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <array>

namespace vexilor {

namespace {

constexpr int kHelpContext = 307;
constexpr std::array<int, 4> kAlphaSizes = {4, 6, 8, 16};

int AlphaRadioOf(int alphaSize)
{
    switch (alphaSize) {
    case 6: return 1;
    case 8: return 2;
    case 16: return 3;
    default: return 0;
    }
}

bool MenusReadable(const QString& exePath)
{
    CMenuCatalogue catalogue;
    return catalogue.load(std::filesystem::path(exePath.toStdU16String()));
}

bool Fail(const QString& text)
{
    Prompts::show(text, Prompts::Icon::Warning);
    return false;
}

// Tovrin.exe in folder; on a case-sensitive file system a file of that name in any letter case.
QString ExecutableIn(const QString& folder)
{
    const QString name = QStringLiteral("Tovrin.exe");
    const QDir dir(folder);
    if (!dir.exists(name)) {
        const QStringList any = dir.entryList(QDir::Files);
        for (const QString& entry : any)
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return QDir::toNativeSeparators(dir.filePath(entry));
    }
    return QDir::toNativeSeparators(dir.filePath(name));
}

}  // namespace

CDlgPrefs::CDlgPrefs(CAppState& app, bool startupMode, QWidget* parent)
    : QDialog(parent),
      app_(app),
      exePath_(app.prefs.tovrinExePath),
      resDirectory_(app.prefs.resFilesDirectory),
      cfgDirectory_(app.prefs.cfgFilesDirectory),
      startupMode_(startupMode)
{
    setWindowTitle(QStringLiteral("Preferences"));
    buildControls();

    clickRadio_ = app.prefs.requireDoubleClick ? 1 : 0;
    alphaRadio_ = AlphaRadioOf(app.prefs.alphaSize);
    clickGroup_->button(clickRadio_)->setChecked(true);
    alphaGroup_->button(alphaRadio_)->setChecked(true);
    exeEdit_->setText(exePath_);
    resEdit_->setText(resDirectory_);
    cfgEdit_->setText(cfgDirectory_);
    const int codePageIndex = codePageBox_->findData(app.prefs.codePage);
    codePageBox_->setCurrentIndex(codePageIndex < 0 ? codePageBox_->findData(1252u) : codePageIndex);

    if (app.settings != nullptr &&
        app.settings->readString(SettingKey::ShowWelcome).compare(u"N", Qt::CaseInsensitive) == 0)
        welcomePending_ = false;

    if (startupMode_)
        validAtOpen_ = ValidatePrefs();
}

CDlgPrefs::~CDlgPrefs() = default;

void CDlgPrefs::buildControls()
{
    auto* clickBox = new QGroupBox(QStringLiteral("&Change restriction settings with..."), this);
    auto* clickLayout = new QVBoxLayout(clickBox);
    clickGroup_ = new QButtonGroup(this);
    const std::array<QString, 2> clickTexts = {QStringLiteral(" &Single click"),
                                               QStringLiteral(" &Double click")};
    for (int i = 0; i < int(clickTexts.size()); ++i) {
        auto* radio = new QRadioButton(clickTexts[i], clickBox);
        clickGroup_->addButton(radio, i);
        clickLayout->addWidget(radio);
    }
    clickLayout->addStretch();

    auto* alphaBox = new QGroupBox(QStringLiteral("Show &alphas using..."), this);
    auto* alphaLayout = new QGridLayout(alphaBox);
    alphaGroup_ = new QButtonGroup(this);
    const std::array<QString, 4> alphaTexts = {
        QStringLiteral(" &4 Characters"), QStringLiteral(" &6 Characters"),
        QStringLiteral(" &8 Characters"), QStringLiteral(" 8 &Unicode Characters")};
    for (int i = 0; i < int(alphaTexts.size()); ++i) {
        auto* radio = new QRadioButton(alphaTexts[i], alphaBox);
        alphaGroup_->addButton(radio, i);
        alphaLayout->addWidget(radio, i % 2, i / 2);
    }

    auto* dirBox = new QGroupBox(QStringLiteral("Directories..."), this);
    auto* dirLayout = new QGridLayout(dirBox);
    const auto addRow = [&](int row, const QString& label, const QString& browseName) {
        auto* text = new QLabel(label, dirBox);
        auto* edit = new QLineEdit(dirBox);
        edit->setMinimumWidth(360);
        text->setBuddy(edit);
        auto* browse = new QPushButton(QStringLiteral("..."), dirBox);
        browse->setAccessibleName(browseName);
        browse->setToolTip(browseName);
        browse->setAutoDefault(false);
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        dirLayout->addWidget(text, row, 0);
        dirLayout->addWidget(edit, row, 1);
        dirLayout->addWidget(browse, row, 2);
        return std::pair{edit, browse};
    };
    auto [exeEdit, exeBrowse] = addRow(0, QStringLiteral("Menu Restrictions (Tovrin.EXE): "),
                                       QStringLiteral("Browse for Tovrin.EXE"));
    auto [resEdit, resBrowse] = addRow(1, QStringLiteral("Tovrin Restriction Files (.RES): "),
                                       QStringLiteral("Browse for the .RES directory"));
    auto [cfgEdit, cfgBrowse] = addRow(2, QStringLiteral("Intercom Configuration Files (.CFG):"),
                                       QStringLiteral("Browse for the .CFG directory"));
    exeEdit_ = exeEdit;
    resEdit_ = resEdit;
    cfgEdit_ = cfgEdit;
    connect(exeBrowse, &QPushButton::clicked, this, &CDlgPrefs::browseExecutable);
    connect(resBrowse, &QPushButton::clicked, this, &CDlgPrefs::browseResDirectory);
    connect(cfgBrowse, &QPushButton::clicked, this, &CDlgPrefs::browseCfgDirectory);

    // The code page of Tovrin's PC, for restrictions files and 8-bit alphas. Only code pages that
    // this platform converts are offered, so a name is never written as '?' for want of one.
    auto* pageLabel = new QLabel(QStringLiteral("Code &page of Tovrin's PC:"), this);
    codePageBox_ = new QComboBox(this);
    pageLabel->setBuddy(codePageBox_);
#ifdef _WIN32
    const std::vector<unsigned> codePages = {text::systemCodePage()};
    codePageBox_->setEnabled(false);
    codePageBox_->setToolTip(QStringLiteral("The ANSI code page of this system"));
#else
    const std::vector<unsigned> codePages = text::convertibleCodePages();
#endif
    for (const unsigned number : codePages)
        codePageBox_->addItem(QString::fromStdU16String(text::codePageLabel(number)), number);
    auto* codePageRow = new QHBoxLayout;
    codePageRow->addWidget(pageLabel);
    codePageRow->addWidget(codePageBox_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgPrefs::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgPrefs::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(clickBox);
    top->addWidget(alphaBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(codePageRow);
    layout->addWidget(dirBox);
    layout->addWidget(buttons);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { ShowHelp(app_, kHelpContext, this); });
}

void CDlgPrefs::takeValues()
{
    clickRadio_ = clickGroup_->checkedId() < 0 ? 0 : clickGroup_->checkedId();
    alphaRadio_ = alphaGroup_->checkedId() < 0 ? 0 : alphaGroup_->checkedId();
    exePath_ = exeEdit_->text();
    resDirectory_ = resEdit_->text();
    cfgDirectory_ = cfgEdit_->text();
}

bool CDlgPrefs::ValidatePrefs()
{
    if (welcomePending_) {
        welcomePending_ = false;
        Prompts::show(strings::JoinedTexts(3230, 3239), Prompts::Icon::Information);
        return false;
    }
    if (exePath_.isEmpty())
        return Fail(strings::Text(3240));
    if (!QFileInfo::exists(exePath_))
        return Fail(strings::Text(3241, {exePath_}));
    if (!MenusReadable(exePath_))
        return Fail(strings::Text(3242, {exePath_}));
    if (resDirectory_.isEmpty())
        return Fail(strings::Text(3243));
    if (!QFileInfo(resDirectory_).isDir())
        return Fail(strings::Text(3244, {resDirectory_}));
    if (cfgDirectory_.isEmpty())
        return Fail(strings::Text(3245));
    if (!QFileInfo(cfgDirectory_).isDir())
        return Fail(strings::Text(3246, {cfgDirectory_}));
    return true;
}

int CDlgPrefs::exec()
{
    if (startupMode_ && validAtOpen_) {
        accept();
        if (result() == QDialog::Accepted)
            return QDialog::Accepted;
    }
    return QDialog::exec();
}

void CDlgPrefs::accept()
{
    takeValues();
    if (!ValidatePrefs())
        return;

    Preferences prefs = app_.prefs;
    prefs.requireDoubleClick = clickRadio_ == 1;
    const int alphaSize = kAlphaSizes[std::size_t(alphaRadio_)];
    alphaSizeChanged_ = alphaSize != prefs.alphaSize;
    app_.alphaSizeChanged = alphaSizeChanged_;
    prefs.alphaSize = alphaSize;
    prefs.tovrinExePath = exePath_;
    prefs.resFilesDirectory = resDirectory_;
    prefs.cfgFilesDirectory = cfgDirectory_;
    if (codePageBox_->currentIndex() >= 0)
        prefs.codePage = codePageBox_->currentData().toUInt();

    if (app_.settings != nullptr)
        app_.settings->writeString(SettingKey::ShowWelcome, QStringLiteral("N"));
    QDialog::accept();
    // After the dialog has closed: the open windows repaint with the new preferences.
    app_.changePreferences(prefs);
}

void CDlgPrefs::browseExecutable()
{
    // The browser starts in the folder of the executable the field names.
    const QString current = exeEdit_->text();
    QString start = current;
    if (!current.isEmpty() && !QFileInfo(current).isDir())
        start = QFileInfo(current).absolutePath();
    for (;;) {
        const QString folder = Prompts::chooseFolder(strings::Text(3196), start, false);
        if (folder.isEmpty())
            return;
        const QString candidate = ExecutableIn(folder);
        if (MenusReadable(candidate)) {
            exeEdit_->setText(candidate);
            return;
        }
        if (Prompts::show(strings::Text(3201, {candidate}), Prompts::Icon::Question,
                          Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
            return;
        start = folder;
    }
}

void CDlgPrefs::browseResDirectory()
{
    const QString folder = Prompts::chooseFolder(strings::Text(3197), resEdit_->text(), true);
    if (!folder.isEmpty())
        resEdit_->setText(QDir::toNativeSeparators(folder));
}

void CDlgPrefs::browseCfgDirectory()
{
    const QString folder = Prompts::chooseFolder(strings::Text(3198), cfgEdit_->text(), true);
    if (!folder.isEmpty())
        cfgEdit_->setText(QDir::toNativeSeparators(folder));
}

}  // namespace vexilor

// Compiled here so that linking the dialog does not pull in the other shell classes.
#include "moc_DlgPrefs.cpp"
