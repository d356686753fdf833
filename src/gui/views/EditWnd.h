#pragma once

#include <QWidget>

namespace vexilor {

class CKestovaTabCtrl;

// The edit pane: a tab control filling it with its tabs along the bottom edge, and the current
// list window inside, 12 pixels from the left, top and right edges and 40 above the bottom.
class CEditWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMargin = 12;
    static constexpr int kBottomMargin = 40;

    explicit CEditWnd(QWidget* parent = nullptr);

    CKestovaTabCtrl* tabs() const { return tabs_; }
    // Takes a list window as the one child page (null clears it) and lays it out.
    void setPage(QWidget* page);
    QWidget* page() const { return page_; }
    QRect pageRect() const;
    // Lays out the page and the tabs again (after the tab set changed).
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CKestovaTabCtrl* tabs_;
    QWidget* page_ = nullptr;
};

}  // namespace vexilor
