// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record_list.h"

#include <algorithm>

#include <QEvent>
#include <QKeyEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QListView>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QTableView>

namespace {

// Widths are given in twips (15 to a pixel), sized for a 9 point Song typeface whose
// Chinese characters are 12 pixels wide; a wider font widens the columns alike. A column
// is never narrower than its widest expected text, with the cell's margins and, in the
// first column, the row's picture.
int columnWidth(const RecordColumn &column, const QFont &font, bool picture)
{
    const QFontMetricsF metrics(font);
    const double scale = std::max(1.0, metrics.horizontalAdvance(QChar(0x65E5)) / 12.0);
    int width = int(column.twips / 15.0 * scale + 0.5);
    if (!column.widest.isEmpty())
        width = std::max(width, int(metrics.horizontalAdvance(column.widest) + 0.5) + 12 + (picture ? 22 : 0));
    return width;
}

} // namespace

RecordList::RecordList(QWidget *parent) : QWidget(parent)
{
    details_ = new QTableView(this);
    details_->setObjectName(QStringLiteral("details"));
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->setSelectionMode(QAbstractItemView::SingleSelection);
    details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are chosen whole and moved through with the arrow keys; Tab goes on to the
    // window's next control instead of walking the cells without end.
    details_->setTabKeyNavigation(false);
    details_->setWordWrap(false);
    details_->setShowGrid(false);
    details_->setCornerButtonEnabled(false);
    details_->verticalHeader()->hide();
    details_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    details_->horizontalHeader()->setHighlightSections(false);
    details_->horizontalHeader()->setStretchLastSection(false);
    details_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    details_->horizontalHeader()->setSectionsClickable(true);
    details_->horizontalHeader()->setSortIndicatorShown(false);
    connect(details_->horizontalHeader(), &QHeaderView::sectionClicked, this, &RecordList::headerClicked);
    details_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    details_->setIconSize(QSize(16, 16));

    icons_ = new QListView(this);
    icons_->setObjectName(QStringLiteral("icons"));
    icons_->setSelectionMode(QAbstractItemView::SingleSelection);
    icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    icons_->setUniformItemSizes(true);
    icons_->setLayoutMode(QListView::Batched);
    icons_->setBatchSize(2000);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setWrapping(true);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(details_);
    stack_->addWidget(icons_);

    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(details_), static_cast<QAbstractItemView *>(icons_)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) { emit rowClicked(index.row()); });
    }
    font_ = details_->font();
    attachModel(-1);
    applyLook();
}

QAbstractItemView *RecordList::currentView() const
{
    return mode_ == Details ? static_cast<QAbstractItemView *>(details_) : static_cast<QAbstractItemView *>(icons_);
}

void RecordList::attachModel(int row)
{
    // Only the view on show follows the model, so a hidden view costs nothing on a reload.
    QAbstractItemView *active = currentView();
    QAbstractItemView *idle = active == details_ ? static_cast<QAbstractItemView *>(icons_)
                                                 : static_cast<QAbstractItemView *>(details_);
    idle->setModel(nullptr);
    if (active->model() != shown_) {
        active->setModel(shown_);
        connect(active->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) { emit selectionChanged(current.isValid() ? current.row() : -1); });
    }
    if (active == details_) {
        for (int c = 0; c < columns_.size(); ++c)
            details_->setColumnHidden(c, columns_[c].twips == 0);
        applyWidths();
        if (sortColumn_ >= 0)
            details_->horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
    }
    stack_->setCurrentWidget(active);
    if (row >= 0)
        selectRow(row);
}

void RecordList::setModel(QAbstractItemModel *model)
{
    shown_ = model ? model : &model_;
    details_->setModel(nullptr);
    icons_->setModel(nullptr);
    clearSort();
    attachModel(-1);
}

void RecordList::setColumns(const QList<RecordColumn> &columns)
{
    columns_ = columns;
    model_.setColumns(columns);
    attachModel(-1);
}

void RecordList::setImageList(const QList<QIcon> &icons)
{
    hasImages_ = !icons.isEmpty();
    model_.setImageList(icons);
    applyWidths();
}

void RecordList::setCheckable(bool checkable) { model_.setCheckable(checkable); }

void RecordList::setRows(std::vector<RecordRow> rows)
{
    clearSort();
    model_.setRows(std::move(rows));
}

void RecordList::clear() { setRows({}); }

int RecordList::rowCount() const { return shown_->rowCount(); }

QString RecordList::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (shown_ == &model_)
        return model_.record(row).cell(column).toString();
    return shown_->index(row, column).data().toString();
}

void RecordList::headerClicked(int column)
{
    if (column < 0 || column >= columns_.size() || columns_[column].twips == 0)
        return;
    const Qt::SortOrder order =
        column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sortBy(column, order);
}

void RecordList::sortBy(int column, Qt::SortOrder order)
{
    sortColumn_ = column;
    sortOrder_ = order;
    details_->horizontalHeader()->setSortIndicatorShown(true);
    details_->horizontalHeader()->setSortIndicator(column, order);
    shown_->sort(column, order);
    emit sorted(column, order);
}

void RecordList::clearSort()
{
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    details_->horizontalHeader()->setSortIndicatorShown(false);
}

int RecordList::selectedRow() const
{
    QAbstractItemView *view = currentView();
    if (!view->selectionModel())
        return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    // The icon views select single cells of column 0.
    const QModelIndexList indexes = view->selectionModel()->selectedIndexes();
    return indexes.isEmpty() ? -1 : indexes.first().row();
}

void RecordList::selectRow(int row)
{
    QAbstractItemView *view = currentView();
    if (!view->selectionModel())
        return;
    if (row < 0 || row >= rowCount()) {
        view->selectionModel()->clearSelection();
        return;
    }
    QModelIndex index = shown_->index(row, 0);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | (view == details_ ? QItemSelectionModel::Rows
                                                                       : QItemSelectionModel::NoUpdate));
    view->scrollTo(index);
}

QString RecordList::selectedId() const
{
    int row = selectedRow();
    return row < 0 ? QString() : cell(row, idColumn_);
}

void RecordList::removeRow(int row)
{
    if (shown_ == &model_)
        model_.removeRecord(row);
    else
        shown_->removeRow(row);
}

void RecordList::setViewMode(int mode)
{
    if (mode < LargeIcons || mode > Details)
        return;
    const int row = selectedRow();
    mode_ = mode;
    switch (mode) {
    case LargeIcons:
        icons_->setViewMode(QListView::IconMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setIconSize(QSize(32, 32));
        icons_->setGridSize(QSize(96, 64));
        icons_->setWordWrap(true);
        break;
    case SmallIcons:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize(150, 20));
        icons_->setWordWrap(false);
        break;
    case List:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::TopToBottom);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize(150, 20));
        icons_->setWordWrap(false);
        break;
    default:
        break;
    }
    // The icon views wrap and lay out from the top; setViewMode resets some of this.
    icons_->setWrapping(true);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    attachModel(row);
}

void RecordList::setGridLines(bool on) { details_->setShowGrid(on); }

bool RecordList::gridLines() const { return details_->showGrid(); }

void RecordList::setListFont(const QFont &font)
{
    font_ = font;
    applyLook();
}

void RecordList::setTextColour(const QColor &colour)
{
    text_ = colour;
    applyLook();
}

QColor RecordList::textColour() const { return text_.isValid() ? text_ : palette().color(QPalette::Text); }

void RecordList::setBackgroundColour(const QColor &colour)
{
    background_ = colour;
    applyLook();
}

QColor RecordList::backgroundColour() const
{
    return background_.isValid() ? background_ : palette().color(QPalette::Base);
}

bool RecordList::setBackgroundPicture(const QString &path)
{
    QPixmap picture;
    if (path.isEmpty() || !picture.load(path))
        return false;
    picture_ = picture;
    applyLook();
    return true;
}

void RecordList::applyLook()
{
    // Colours nobody chose follow the desktop's palette, light or dark.
    const QColor text = textColour();
    const QColor background = backgroundColour();
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(details_), static_cast<QAbstractItemView *>(icons_)}) {
        view->setFont(font_);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::WindowText, text);
        if (picture_.isNull())
            palette.setBrush(QPalette::Base, background);
        else
            palette.setBrush(QPalette::Base, QBrush(background, picture_));
        view->setPalette(palette);
        view->viewport()->setPalette(palette);
    }
    details_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font_).height() + 6);
    applyWidths();
}

void RecordList::applyWidths()
{
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_[c].twips > 0)
            details_->setColumnWidth(c, columnWidth(columns_[c], font_, c == 0 && hasImages_));
}

void RecordList::changeEvent(QEvent *event)
{
    // A new desktop palette reaches the colours nobody chose.
    if (event->type() == QEvent::PaletteChange && !(text_.isValid() && background_.isValid()))
        applyLook();
    QWidget::changeEvent(event);
}

bool RecordList::eventFilter(QObject *watched, QEvent *event)
{
    // The view shown takes the focus: it is what a screen reader names, by the list's name.
    if ((watched == details_ || watched == icons_) && event->type() == QEvent::Show)
        static_cast<QWidget *>(watched)->setAccessibleName(accessibleName());
    if ((watched == details_ || watched == icons_) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedRow() >= 0) {
            // The key belongs to the list, not to a shortcut or default button of the window.
            if (event->type() == QEvent::ShortcutOverride)
                event->accept();
            else
                emit doubleClicked();
            return true;
        }
    }
    if (watched == details_->viewport() || watched == icons_->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            // The first click of the pair has already selected the row under the mouse.
            emit doubleClicked();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::RightButton)
                emit rightButtonReleased(mouse->globalPosition().toPoint());
        }
    }
    return QWidget::eventFilter(watched, event);
}
