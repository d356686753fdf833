#pragma once

#include "intercoms/DlgSearchForIcom.h"

#include <QDialog>
#include <QString>

class QPushButton;
class QTreeView;

namespace vexilor {

struct CAppState;
class CIntercom;
class CIntercomListModel;

// "Select Intercom": the known intercoms (the configuration files of the configuration directory)
// with the default one marked and whether each has a restrictions file; Add, Edit, Delete and
// Default maintain them. After OK the caller reads selectedName().
class CDlgSelectIcom : public QDialog {
    Q_OBJECT

public:
    // With autoConfirm set and preselect in the list, exec() returns Accepted at once without
    // showing the dialog.
    CDlgSelectIcom(CAppState& app, bool autoConfirm, const QString& preselect,
                   QWidget* parent = nullptr);
    ~CDlgSelectIcom() override;

    // Where the add/edit dialog's discovery request goes (tests use loopback).
    void setSearchOptions(SearchForIcomOptions options) { searchOptions_ = std::move(options); }

    // The name of the selected row; empty when none is selected.
    QString selectedName() const { return selected_; }
    // True when the dialog would confirm itself (auto-confirm with the preselected intercom found).
    bool confirmsAtOnce() const { return confirmAtOnce_; }

    // The button commands.
    void addIntercom();
    void editIntercom();
    void deleteIntercom();
    void toggleDefault();

    // Re-reads the configuration directory and selects preselect when it is listed.
    void fill(const QString& preselect);

    QTreeView* view() const { return view_; }
    CIntercomListModel* model() const { return model_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* defaultButton() const { return default_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    int exec() override;

private:
    void buildUi();
    void updateButtons();
    void selectRow(int row);
    void saveAndRefill(const CIntercom& icom, const QString& name);

    CAppState& app_;
    SearchForIcomOptions searchOptions_;
    QString selected_;
    bool confirmAtOnce_ = false;

    QTreeView* view_ = nullptr;
    CIntercomListModel* model_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* default_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace vexilor
