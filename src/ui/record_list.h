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
class RecordList : public QWidget {
    Q_OBJECT
public:
    enum ViewMode { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

    explicit RecordList(QWidget *parent = nullptr);

    RecordModel &model() { return model_; }
    const RecordModel &model() const { return model_; }

    // Widths in twips; a column of width 0 is hidden.
    void setColumns(const QList<RecordColumn> &columns);
    void setImageList(const QList<QIcon> &icons);
    void setCheckable(bool checkable);
    void setRows(std::vector<RecordRow> rows);
    void clear();
    int rowCount() const { return model_.count(); }
    QString cell(int row, int column) const;

    int selectedRow() const;   // -1 when no row is selected
    void selectRow(int row);
    QString selectedId() const;  // empty when nothing is selected
    void removeRow(int row);
    void setIdColumn(int column) { idColumn_ = column; }

    void setViewMode(int mode);
    int viewMode() const { return mode_; }
    void setGridLines(bool on);
    bool gridLines() const;
    void setListFont(const QFont &font);
    QFont listFont() const { return font_; }
    void setTextColour(const QColor &colour);
    QColor textColour() const { return text_; }
    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const { return background_; }
    // False when the file is not a picture; the list keeps what it had.
    bool setBackgroundPicture(const QString &path);
    bool hasBackgroundPicture() const { return !picture_.isNull(); }

    QAbstractItemView *currentView() const;
    QTableView *detailsView() const { return details_; }
    QListView *iconView() const { return icons_; }

signals:
    void rowClicked(int row);
    void doubleClicked();  // anywhere over the list, on a row or not
    void rightButtonReleased(const QPoint &globalPos);
    void selectionChanged(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyLook();
    void attachModel(int selectedRow);

    RecordModel model_;
    QStackedLayout *stack_;
    QTableView *details_;
    QListView *icons_;
    int mode_ = Details;
    int idColumn_ = 1;
    QFont font_;
    QColor text_ = Qt::black;
    QColor background_ = Qt::white;
    QPixmap picture_;
};
