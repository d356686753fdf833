#include "views/lists/IcomWnds.h"

#include "app/AppState.h"
#include "intercom/Capabilities.h"
#include "restrictions/ResourceTypes.h"
#include "views/lists/KestovaListModel.h"

#include <vector>

namespace vexilor {

namespace {

class IntercomResourceItems final : public ListItems {
public:
    explicit IntercomResourceItems(const CAppState& app) : app_(app)
    {
        for (unsigned t = 0; t < restype::kRestrictableCount; ++t)
            if (app.intercom.IsTypeAvailable(t))
                types_.push_back(t);
    }
    int count() const override { return static_cast<int>(types_.size()); }
    QString text(int item, int kind) const override
    {
        const unsigned type = types_.at(static_cast<std::size_t>(item));
        if (kind == colkind::kResourceType)
            return QString::fromStdU16String(std::u16string(resourceTypeInfo(static_cast<int>(type)).plural));
        if (kind == colkind::kNumber)
            return QString::number(app_.intercom.Count(type));
        return {};
    }
    QVariant rawValue(int item, int kind) const override
    {
        if (kind == colkind::kNumber)
            return app_.intercom.Count(types_.at(static_cast<std::size_t>(item)));
        return text(item, kind);
    }
    bool flag(int, int) const override { return false; }

private:
    const CAppState& app_;
    std::vector<unsigned> types_;
};

class CapabilityItems final : public ListItems {
public:
    explicit CapabilityItems(const CAppState& app) : app_(app) {}
    int count() const override { return static_cast<int>(kCapabilityCount); }
    QString text(int item, int kind) const override
    {
        if (kind == colkind::kName)
            return QString::fromStdU16String(CCapabilityStrings::Label(static_cast<unsigned>(item)));
        return {};
    }
    bool flag(int item, int kind) const override
    {
        return kind == colkind::kAccess && app_.intercom.HasCapability(static_cast<unsigned>(item));
    }

private:
    const CAppState& app_;
};

}  // namespace

CIcomResourcesWnd::CIcomResourcesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent)
    : CListOnlyWnd(doc, app, IntercomResourceColumns(), QStringLiteral("IntercomResources"), parent)
{
    populate(true);
}

std::unique_ptr<ListItems> CIcomResourcesWnd::makeItems()
{
    return std::make_unique<IntercomResourceItems>(app_);
}

CIcomCapabilitiesWnd::CIcomCapabilitiesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent)
    : CListOnlyWnd(doc, app, CapabilityColumns(), QStringLiteral("IntercomCapabilities"), parent)
{
    populate(true);
}

std::unique_ptr<ListItems> CIcomCapabilitiesWnd::makeItems()
{
    return std::make_unique<CapabilityItems>(app_);
}

}  // namespace vexilor
