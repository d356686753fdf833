#pragma once

#include "views/lists/ListOnlyWnd.h"

namespace vexilor {

// What the open intercom has: each resource type it has with its count.
class CIcomResourcesWnd final : public CListOnlyWnd {
    Q_OBJECT
public:
    CIcomResourcesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent = nullptr);

protected:
    std::unique_ptr<ListItems> makeItems() override;
};

// Every capability and whether the open intercom has it.
class CIcomCapabilitiesWnd final : public CListOnlyWnd {
    Q_OBJECT
public:
    CIcomCapabilitiesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent = nullptr);

protected:
    std::unique_ptr<ListItems> makeItems() override;
};

}  // namespace vexilor
