#pragma once

#include "views/PlaceWindow.h"

#include <QModelIndex>
#include <QString>

#include <span>
#include <vector>

namespace vexilor {

class CIntercom;

// The fixed tables of the main view's navigation and the walks over them, free of any window so
// that they can be tested on their own.
namespace nav {

inline constexpr int kNoResourceType = 18;
inline constexpr int kFirstCategoryCommand = 512;

// Category rows with a meaning of their own.
namespace row {
inline constexpr int kConfiguration = 0;
inline constexpr int kKeypanels = 1;
inline constexpr int kPartyLines = 2;
inline constexpr int kGroups = 9;
inline constexpr int kAssignmentGroups = 10;
inline constexpr int kUplStatements = 13;
inline constexpr int kIoCards = 18;
inline constexpr int kSpecial = 19;
inline constexpr int kTovrin = 20;
inline constexpr int kMenus = 21;
}  // namespace row

struct Category {
    int row;
    const char16_t* label;     // on the button
    const char16_t* singular;  // in the title
    int resourceType;          // kNoResourceType for none
    int mask;                  // the tree kinds for which the button is enabled
    int group;                 // row of the tab-set table
};

// All 22 rows in order (row == index).
std::span<const Category> Categories();
const Category* CategoryAt(int row);
// The command id of a row's button (512 + row, whatever its position on the bar).
constexpr int CategoryCommand(int row) { return kFirstCategoryCommand + row; }
// Rows that get a button for this intercom, in order.
std::vector<int> AvailableCategoryRows(const CIntercom& intercom);
bool CategoryEnabled(int row, int treeKind);

struct Tab {
    int value;
    const char16_t* label;
    int helpContext;
};

// The tabs in the order the tab strip always shows them.
std::span<const Tab> Tabs();
// The tab set (mask of tab values) of a category group for a tree kind; 0 means no tabs.
int TabSet(int group, int treeKind);
// The values of a set in display order.
std::vector<int> TabsOfSet(int set);
// The label as shown: one blank each side.
QString TabLabel(int value);
int TabHelpContext(int value);

// The title: the tree part, the category's singular label and the tab text as shown, the
// non-empty ones joined with " : ".
QString TreeTitle(int treeKind, const QString& itemText);
QString JoinTitle(const QString& treePart, const QString& categoryPart, const QString& tabPart);

// Whether a place has a list window (otherwise the current one stays), and the help context the
// view gives it.
bool HasWindow(const Place& place);
int HelpContextFor(const Place& place);

// The next and previous node of the navigation tree (invalid when there is none).
QModelIndex NextTreeNode(const QModelIndex& item);
QModelIndex PreviousTreeNode(const QModelIndex& item);

// What a Next or Previous step does, decided from the state of the tab strip and category bar.
struct StepState {
    int tabCount = 0;
    int tabIndex = -1;               // selected tab, -1 none
    std::vector<bool> buttonEnabled; // by button position
    int buttonIndex = -1;            // selected button position, -1 none
};

enum class StepKind {
    Nothing,
    Tab,       // select tab `target`
    Category,  // select button `target`; with resetTab the first (Next) or last (Previous) tab
    TreeNode,  // select the next or previous tree node, then the first or last enabled category
               // and tab; with onlyNode just the node
};

struct StepPlan {
    StepKind kind = StepKind::Nothing;
    int target = -1;
    bool resetTab = false;
    bool onlyNode = false;
    friend bool operator==(const StepPlan&, const StepPlan&) = default;
};

StepPlan PlanStep(const StepState& state, bool forward, bool shift, bool ctrl);

}  // namespace nav
}  // namespace vexilor
