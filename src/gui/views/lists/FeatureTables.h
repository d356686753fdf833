#pragma once

#include <span>
#include <vector>

namespace vexilor {

class CIntercom;

// One row of a features window: a feature index (0 to 219) and the capability the intercom must
// have for the row to be shown (negative: always shown).
struct FeatureRow {
    int feature;
    int capability;
};

// The item tables of the features windows, in row order.
std::span<const FeatureRow> FeatureTableOfType(int type);  // tab "Features", types 0 to 17
std::span<const FeatureRow> TovrinFeatureTable();
std::span<const FeatureRow> SpecialAssignmentTable();
// Built for the intercom: the alphas tab (input alphas split out for keypanels when in use) and the
// scroll-enables tab of a type.
std::vector<FeatureRow> AlphaFeatureTable(int type, const CIntercom& intercom);
std::vector<FeatureRow> ScrollFeatureTable(int type);

// The features of a table that the intercom shows, in table order.
std::vector<int> ShownFeatures(std::span<const FeatureRow> table, const CIntercom& intercom);

}  // namespace vexilor
