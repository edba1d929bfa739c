// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_model.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

class QListView;
class QStackedLayout;
class QTableView;
class QAbstractItemView;

// The list of records every window shows: large icons, small icons, list or details,
// with grid lines, font, colours and a background picture. Column 1 holds the record's
// id and is hidden; the selected row's id is what commands act on.
//
// It shows its own RecordModel (rows held in memory) or a model given to it (a ledger list
// read on demand). Clicking a column header in the details view sorts by that column and
// clicking it again reverses the order; the model sorts itself.
class RecordList : public QWidget {
    Q_OBJECT
public:
    enum ViewMode { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

    explicit RecordList(QWidget *parent = nullptr);

    // The list's own rows, shown unless another model was given.
    RecordModel &model() { return model_; }
    const RecordModel &model() const { return model_; }
    // Shows another model with the columns set by setColumns.
    void setModel(QAbstractItemModel *model);
    QAbstractItemModel *shownModel() const { return shown_; }

    // Widths in twips; a column of width 0 is hidden.
    void setColumns(const QList<RecordColumn> &columns);
    void setImageList(const QList<QIcon> &icons);
    void setCheckable(bool checkable);
    void setRows(std::vector<RecordRow> rows);
    void clear();
    int rowCount() const;
    QString cell(int row, int column) const;

    int selectedRow() const;   // -1 when no row is selected
    void selectRow(int row);
    QString selectedId() const;  // empty when nothing is selected
    void removeRow(int row);
    void setIdColumn(int column) { idColumn_ = column; }

    // The column the rows were last sorted by (-1: the order they were given in), and how.
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // Sorts as a click on the column's header does.
    void sortBy(int column, Qt::SortOrder order);
    // Forgets the sort (the rows are in their own order again) and clears the header's mark.
    void clearSort();

    void setViewMode(int mode);
    int viewMode() const { return mode_; }
    void setGridLines(bool on);
    bool gridLines() const;
    void setListFont(const QFont &font);
    QFont listFont() const { return font_; }
    // Colours the user chose; an invalid colour goes back to the desktop's own.
    void setTextColour(const QColor &colour);
    QColor textColour() const;
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const;
    // False when the file is not a picture; the list keeps what it had.
    bool setBackgroundPicture(const QString &path);
    bool hasBackgroundPicture() const { return !picture_.isNull(); }

    QAbstractItemView *currentView() const;
    QTableView *detailsView() const { return details_; }
    QListView *iconView() const { return icons_; }

signals:
    void rowClicked(int row);
    // A row is to be opened: a double click anywhere over the list (on a row or not), or
    // Enter on the current row.
    void doubleClicked();
    void rightButtonReleased(const QPoint &globalPos);
    void selectionChanged(int row);
    void sorted(int column, Qt::SortOrder order);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyLook();
    void applyWidths();
    void attachModel(int selectedRow);
    void headerClicked(int column);

    RecordModel model_;
    QAbstractItemModel *shown_ = &model_;
    QList<RecordColumn> columns_;
    bool hasImages_ = false;
    QStackedLayout *stack_;
    QTableView *details_;
    QListView *icons_;
    int mode_ = Details;
    int idColumn_ = 1;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QFont font_;
    QColor text_;        // invalid: the palette's
    QColor background_;  // invalid: the palette's
    QPixmap picture_;
};
