#pragma once

#include "views/lists/FeaturesWnd.h"

namespace vexilor {

// The resources 1 to N of one type (N = the intercom's count) with their number, alphas and
// description; access is bit n of the type's Edit or Assign keyword on the selected class or user.
class ResourceItems final : public AccessItems {
public:
    ResourceItems(const CEntitySelection& selection, const CAppState& app, int type, int resourceKey);
    int count() const override { return count_; }
    AccessRef ref(int item) const override;
    QString name(int item) const override;
    QString text(int item, int kind) const override;
    QVariant rawValue(int item, int kind) const override;

private:
    const CAppState& app_;
    int type_;
    int resourceKey_;
    int count_;
};

// The permission to edit (or assign) each resource of a category.
class CResourcesWnd : public CFeaturesWnd {
    Q_OBJECT
public:
    bool splitAlphas() const { return splitAlphas_; }
    // Whether the keypanel lists show input alphas beside the output alphas.
    static bool UsesSplitAlphas(int type, const CAppState& app);

protected:
    CResourcesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, bool assign, QWidget* parent);
    // For lists of resources with columns of their own (the studio windows' Included column);
    // the most derived window populates.
    CResourcesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, bool assign,
                  std::span<const ListColumn> columns, const QString& layoutKey, QWidget* parent);
    std::unique_ptr<ListItems> makeItems() override;

private:
    bool splitAlphas_;
    bool assign_;
};

class CResourceEditWnd : public CResourcesWnd {
    Q_OBJECT
public:
    CResourceEditWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);
};

class CResourceAssignWnd : public CResourcesWnd {
    Q_OBJECT
public:
    CResourceAssignWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);
};

}  // namespace vexilor
