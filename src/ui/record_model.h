#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>
#include <vector>

// A column of a record list: its title and its width in twips (0 hides it). A column is
// never narrower than its widest expected text (the whole of "2008年01月05日", an amount
// of 12345678.99) in the list's font; amounts are right-aligned.
struct RecordColumn {
    RecordColumn(QString title = {}, int twips = 0, QString widest = {},
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
        : title(std::move(title)), twips(twips), widest(std::move(widest)), alignment(alignment)
    {
    }
    QString title;
    int twips = 0;
    QString widest;
    Qt::Alignment alignment;
};

// One row of a record list. Its cells live in a single string, so a list of a hundred
// thousand rows costs one allocation per row.
class RecordRow {
public:
    RecordRow() = default;
    RecordRow(std::initializer_list<QStringView> cells, int icon = 0);
    // Takes cells already joined by RecordRow::Separator.
    static RecordRow fromPacked(QString packed, int icon = 0);
    static constexpr QChar Separator = QChar(0x1F);

    int cellCount() const;
    QStringView cell(int column) const;
    void setCell(int column, const QString &text);

    int icon = 0;          // 1-based number in the list's image list; 0 for none
    bool checked = false;  // the row's check box, where the list has them

private:
    QString packed_;
};

// The rows of a record list, shown by every view mode of RecordList.
class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setColumns(const QList<RecordColumn> &columns);
    const QList<RecordColumn> &columns() const { return columns_; }
    void setImageList(const QList<QIcon> &icons);
    void setCheckable(bool checkable);
    bool isCheckable() const { return checkable_; }

    // Replaces all rows in one reset.
    void setRows(std::vector<RecordRow> rows);
    void clear() { setRows({}); }
    void appendRow(RecordRow row);
    void removeRecord(int row);
    void setRecord(int row, RecordRow record);
    const RecordRow &record(int row) const { return rows_[size_t(row)]; }
    int count() const { return int(rows_.size()); }
    void setChecked(int row, bool checked);

    // Sorts the rows by a column: numbers as numbers when every filled cell of the column
    // is one (empty cells last), else as text in the Chinese order; ties keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<RecordColumn> columns_;
    QList<QIcon> icons_;
    std::vector<RecordRow> rows_;
    bool checkable_ = false;
};
