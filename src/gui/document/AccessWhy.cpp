#include "document/AccessWhy.h"

#include "document/KestovaDoc.h"
#include "restrictions/AccessExplanation.h"
#include "restrictions/RestrictionKeywords.h"

namespace vexilor {

QString WhyAccess(CKestovaDoc& doc, const AccessRef& item)
{
    const CEntitySelection& s = doc.selection();
    const EntityKind kind = s.selectedKind();
    if (kind != EntityKind::Class && kind != EntityKind::User)
        return {};
    AccessExplanation why;
    switch (item.kind) {
    case AccessRef::Kind::Resource: why = explainResource(doc.model(), s, item.index, item.number); break;
    case AccessRef::Kind::Feature:
        if (item.index < 0 || item.index >= kFeatureKeywordCount)
            return {};
        why = explainFeature(doc.model(), s, featureKey(item.index));
        break;
    case AccessRef::Kind::Key: why = explainFeature(doc.model(), s, item.key); break;
    }
    return QString::fromStdU16String(explanationText(why, kind));
}

}  // namespace vexilor
