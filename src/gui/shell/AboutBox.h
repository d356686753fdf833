#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

namespace vexilor {

struct CAppState;

// The about box: version, build date, copyright, feature set, build type, the locale and the
// language file in use.
class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(const CAppState& app, QWidget* parent = nullptr);

    // Label and value of each line, in order (what the box shows).
    static QList<QPair<QString, QString>> Lines(const CAppState& app);
};

}  // namespace vexilor
