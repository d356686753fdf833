#include "intercoms/DlgSelectIcom.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "intercom/Intercom.h"
#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/IntercomList.h"
#include "intercoms/IntercomListModel.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vexilor {

namespace {

constexpr int kTitleAdd = 3195;
constexpr int kTitleEdit = 3200;

void ShowError(const QString& text)
{
    Prompts::show(strings::Text(3202, {text}), Prompts::Icon::Error);
}

}  // namespace

CDlgSelectIcom::CDlgSelectIcom(CAppState& app, bool autoConfirm, const QString& preselect,
                               QWidget* parent)
    : QDialog(parent), app_(app)
{
    buildUi();
    fill(preselect);
    confirmAtOnce_ = autoConfirm && !selected_.isEmpty();
}

CDlgSelectIcom::~CDlgSelectIcom() = default;

void CDlgSelectIcom::buildUi()
{
    setWindowTitle(QStringLiteral("Select Intercom"));

    model_ = new CIntercomListModel(this);
    view_ = new QTreeView(this);
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setAllColumnsShowFocus(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setIconSize(QSize(16, 16));
    view_->header()->setStretchLastSection(false);
    view_->header()->setSectionsMovable(false);

    add_ = new QPushButton(QStringLiteral("&Add"), this);
    edit_ = new QPushButton(QStringLiteral("&Edit"), this);
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    default_ = new QPushButton(QStringLiteral("Default"), this);
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add_, edit_, delete_, default_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    resize(380, 280);

    setTabOrder(view_, add_);
    setTabOrder(add_, edit_);
    setTabOrder(edit_, delete_);
    setTabOrder(delete_, default_);
    setTabOrder(default_, ok_);
    setTabOrder(ok_, cancel_);

    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateButtons(); });
    // Enter reaches the default button (OK while a row is selected); a double click confirms the
    // row under the mouse.
    connect(view_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        selectRow(index.row());
        accept();
    });
    connect(add_, &QPushButton::clicked, this, [this] { addIntercom(); });
    connect(edit_, &QPushButton::clicked, this, [this] { editIntercom(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteIntercom(); });
    connect(default_, &QPushButton::clicked, this, [this] { toggleDefault(); });
    connect(ok_, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgSelectIcom::fill(const QString& preselect)
{
    const QString defaultName =
        app_.settings ? app_.settings->readString(SettingKey::DefaultIntercom) : QString();
    model_->reset(icomlist::KnownNames(app_.prefs.cfgFilesDirectory), defaultName,
                  app_.prefs.resFilesDirectory);
    for (int column = 0; column < CIntercomListModel::ColumnCount; ++column)
        view_->resizeColumnToContents(column);
    selectRow(model_->rowOf(icomlist::TidyName(preselect)));
    updateButtons();
}

void CDlgSelectIcom::selectRow(int row)
{
    QItemSelectionModel* selection = view_->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = model_->index(row, CIntercomListModel::NameColumn);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                          | QItemSelectionModel::Rows);
    view_->scrollTo(index);
}

void CDlgSelectIcom::updateButtons()
{
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    const bool one = rows.size() == 1;
    selected_ = one ? model_->nameAt(rows.first().row()) : QString();
    ok_->setEnabled(one);
    edit_->setEnabled(one);
    delete_->setEnabled(one && !icomlist::SameName(selected_, app_.intercomName));
    ok_->setDefault(one);
    add_->setDefault(!one);
}

void CDlgSelectIcom::addIntercom()
{
    CDlgAddEditIcom dlg(app_, kTitleAdd, {}, {}, {}, this, searchOptions_);
    if (dlg.exec() != QDialog::Accepted)
        return;
    CIntercom icom;
    icom.name = dlg.name().toStdU16String();
    icom.mainAddress = dlg.mainAddress().toStdU16String();
    icom.partnerAddress = dlg.partnerAddress().toStdU16String();
    icom.partnerActive = false;
    saveAndRefill(icom, dlg.name());
}

void CDlgSelectIcom::editIntercom()
{
    const QString name = selected_;
    if (name.isEmpty())
        return;
    CIntercom icom;
    QString error;
    if (!icomlist::LoadIntercom(app_.prefs.cfgFilesDirectory, name, icom, error,
                                FilesCodePage(app_.prefs))) {
        ShowError(error);
        return;
    }
    CDlgAddEditIcom dlg(app_, kTitleEdit, name, QString::fromStdU16String(icom.mainAddress),
                        QString::fromStdU16String(icom.partnerAddress), this, searchOptions_);
    if (dlg.exec() != QDialog::Accepted)
        return;
    icom.mainAddress = dlg.mainAddress().toStdU16String();
    icom.partnerAddress = dlg.partnerAddress().toStdU16String();
    icom.partnerActive = false;
    saveAndRefill(icom, name);
    // The open intercom's configuration is written back on every save; it must carry the new
    // addresses too, or the next save would restore the old ones.
    if (icomlist::SameName(name, app_.intercomName)) {
        app_.intercom.mainAddress = icom.mainAddress;
        app_.intercom.partnerAddress = icom.partnerAddress;
        app_.intercom.partnerActive = false;
    }
}

void CDlgSelectIcom::saveAndRefill(const CIntercom& icom, const QString& name)
{
    QString error;
    if (!icomlist::SaveIntercom(app_.prefs.cfgFilesDirectory, icom, error, FilesCodePage(app_.prefs))) {
        ShowError(error);
        return;
    }
    fill(name);
}

void CDlgSelectIcom::deleteIntercom()
{
    const QString name = selected_;
    if (name.isEmpty() || icomlist::SameName(name, app_.intercomName))
        return;
    if (Prompts::show(strings::Text(3194, {name}), Prompts::Icon::Question,
                      Prompts::Buttons::YesNo)
        != Prompts::Answer::Yes)
        return;
    for (const auto& [dir, ext] : {std::pair{app_.prefs.resFilesDirectory, icomlist::kRestrictionsExt},
                                   std::pair{app_.prefs.cfgFilesDirectory, icomlist::kConfigurationExt}}) {
        if (icomlist::FileExists(dir, name, ext))
            QFile::remove(icomlist::FilePath(dir, name, ext));
    }
    fill({});
}

void CDlgSelectIcom::toggleDefault()
{
    if (!app_.settings)
        return;
    const QString name = selected_;
    const QString stored = app_.settings->readString(SettingKey::DefaultIntercom);
    app_.settings->writeString(SettingKey::DefaultIntercom,
                               icomlist::SameName(name, stored) ? QString() : name);
    fill(name);
}

int CDlgSelectIcom::exec()
{
    if (confirmAtOnce_) {
        // Confirmed before it is ever seen.
        done(QDialog::Accepted);
        return result();
    }
    return QDialog::exec();
}

}  // namespace vexilor
