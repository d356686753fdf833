#pragma once

#include "document/DocumentEdits.h"
#include "views/lists/FeatureTables.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ListOnlyWnd.h"

#include <functional>
#include <vector>

namespace vexilor {

class CEntitySelection;

// Items whose access (allow, deny, inherit) the selected class or user holds: each row names an
// AccessRef; the glyph cells are read from the selection whenever they are painted.
class AccessItems : public ListItems {
public:
    explicit AccessItems(const CEntitySelection& selection) : selection_(selection) {}
    virtual AccessRef ref(int item) const = 0;
    // The "Feature" column (kind 128).
    virtual QString name(int item) const = 0;
    QString text(int item, int kind) const override;
    bool flag(int item, int kind) const override;
    RowAccess state(int item) const { return ReadAccess(selection_, ref(item)); }

protected:
    const CEntitySelection& selection_;
};

// Rows of features by feature index, labelled from the keyword table.
class FeatureItems final : public AccessItems {
public:
    FeatureItems(const CEntitySelection& selection, std::vector<int> features)
        : AccessItems(selection), features_(std::move(features))
    {
    }
    int count() const override { return static_cast<int>(features_.size()); }
    AccessRef ref(int item) const override;
    QString name(int item) const override;
    const std::vector<int>& features() const { return features_; }

private:
    std::vector<int> features_;
};

// A list of features of the selected class or user with the access commands: allow, deny and
// inherit of the selected or all rows, click cycles on the Allow, Deny and Included cells, and
// context menu 130. Every change goes through the document and is refused while read-only.
class CFeaturesWnd : public CListOnlyWnd {
    Q_OBJECT
public:
    // The "Features" tab of a resource category: the type's feature table.
    CFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);

    int resourceType() const { return resourceType_; }
    int contextMenuId() const override { return 130; }
    AccessItems& accessItems();

    void allowSelected() { change(AccessChange::Allow, false); }
    void allowAll() { change(AccessChange::Allow, true); }
    void denySelected() { change(AccessChange::Deny, false); }
    void denyAll() { change(AccessChange::Deny, true); }
    void inheritSelected() { change(AccessChange::Inherit, false); }
    void inheritAll() { change(AccessChange::Inherit, true); }

    // A click that changes access on an item's cell (the list decides what counts as one).
    void cellClicked(int item, int column);

    QString explainItem(int item) const override;

protected:
    // For windows with their own item sets and columns; they populate themselves.
    CFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, std::span<const ListColumn> columns,
                 const QString& layoutKey, QWidget* parent);
    std::unique_ptr<ListItems> makeItems() override;
    bool explainsAccess() const override;
    // The table the features rows come from (capability-filtered when the list is built).
    virtual std::vector<FeatureRow> featureTable() const;

private:
    void change(AccessChange change, bool all);

    int resourceType_;
};

// Tab "Alphas" of a resource category.
class CAlphaFeaturesWnd final : public CFeaturesWnd {
    Q_OBJECT
public:
    CAlphaFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);

protected:
    std::vector<FeatureRow> featureTable() const override;
};

// Tab "Scroll Enables" of a resource category.
class CScrollFeaturesWnd final : public CFeaturesWnd {
    Q_OBJECT
public:
    CScrollFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);

protected:
    std::vector<FeatureRow> featureTable() const override;
};

// Category "Tovrin": the program's own features.
class CVreleditFeaturesWnd final : public CFeaturesWnd {
    Q_OBJECT
public:
    CVreleditFeaturesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent = nullptr);

protected:
    std::vector<FeatureRow> featureTable() const override;
};

// Category "Special": the special key assignments.
class CSpecialAssignmentsWnd final : public CFeaturesWnd {
    Q_OBJECT
public:
    CSpecialAssignmentsWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent = nullptr);

protected:
    std::vector<FeatureRow> featureTable() const override;
};

}  // namespace vexilor
