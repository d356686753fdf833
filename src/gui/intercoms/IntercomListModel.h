#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <vector>

namespace vexilor {

// The rows of the "Select Intercom" list: each known intercom's name, with the default-intercom
// icon in front of the default one, and whether its restrictions file exists ("File?").
class CIntercomListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn = 0, FileColumn = 1, ColumnCount = 2 };
    // Raw values for callers that must not parse display text.
    static constexpr int IsDefaultRole = Qt::UserRole + 1;
    static constexpr int HasRestrictionsRole = Qt::UserRole + 2;

    explicit CIntercomListModel(QObject* parent = nullptr);

    // Replaces every row: the names in their order, the default intercom (empty for none) and the
    // directory where their restrictions files lie.
    void reset(const QStringList& names, const QString& defaultName, const QString& resDir);

    QString nameAt(int row) const;
    // The row of name (compared without regard to case), or -1.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The 16 x 16 mark of the default intercom.
    static QIcon defaultIcon();

private:
    // A transparent icon of the same size for the other rows.
    static QIcon blankIcon();

    struct Row {
        QString name;
        bool isDefault = false;
        bool hasRestrictions = false;
    };
    std::vector<Row> rows_;
};

}  // namespace vexilor
