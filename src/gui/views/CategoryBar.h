#pragma once

#include <QAbstractScrollArea>
#include <QList>

#include <vector>

class QMenu;
class QToolButton;

namespace vexilor {

class SettingsStore;

// The category bar: a scrolling column of full-width buttons, one per category the intercom has.
// A button's command id (512 + row) is the same whatever its position. Exactly one button is
// selected (drawn pressed) once any is.
class CListWnd : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kLargeHeight = 46;
    static constexpr int kSmallHeight = 30;
    static constexpr int kLineStep = 7;

    // `settings` may be null (then the button size is small and not kept).
    explicit CListWnd(SettingsStore* settings, QWidget* parent = nullptr);

    // New buttons for these rows, in order; keeps the selected row when it is still present.
    void rebuild(const std::vector<int>& rows);
    const std::vector<int>& rows() const { return rows_; }
    int count() const { return int(rows_.size()); }

    int selectedRow() const;
    int selectedPosition() const { return selected_; }
    int positionOfRow(int row) const;
    bool isPositionEnabled(int position) const;
    std::vector<bool> enabledPositions() const;
    int firstEnabledPosition() const;
    int lastEnabledPosition() const;

    // Enables the buttons whose mask holds the tree kind, disables the others. True when the
    // selected button was disabled by this or none is selected.
    bool enableForKind(int treeKind);
    // Selects a button from program code and sends selectionChanging (no-op for a bad position).
    void selectPosition(int position);

    QToolButton* buttonAt(int position) const;
    int buttonHeight() const { return large_ ? kLargeHeight : kSmallHeight; }
    bool largeButtons() const { return large_; }
    // Flips between large and small buttons, keeps the choice in the settings and asks for a
    // rebuild (the view rebuilds, keeping the selected row).
    void setLargeButtons(bool large);
    // The context menu: the entry for the mode that is not current.
    QMenu* createContextMenu(QWidget* parent);

    QSize sizeHint() const override;

Q_SIGNALS:
    // A button was selected from program code.
    void selectionChanging(int row);
    // The user selected another button.
    void clicked(int row);
    // The user clicked a button (selected or not): remember the bar as the focus pane.
    void activated();
    void rebuildRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void setSelected(int position);
    void layoutButtons();
    void updateScrollBar();
    void onClicked(int position);
    void ensureVisible(int position);
    void markFocus();

    SettingsStore* settings_;
    bool large_ = false;
    std::vector<int> rows_;
    QList<QToolButton*> buttons_;
    int selected_ = -1;
    int kind_ = 0;
};

}  // namespace vexilor
