#include "ledger/ledger_list_model.h"

#include "core/dates.h"
#include "store/data_file.h"
#include "ui/formats.h"

namespace {

// Pages kept at most: a few screens around where the user looks.
constexpr size_t KeptPages = 64;

// The row of an entry list that shows an entry as read: its date in the list's form and
// the first line of its summary.
RecordRow listedRow(const LedgerEntry &e)
{
    const bool income = e.kind == Ledger::incomeKind();
    const QString id = QString::number(e.id);
    const QString date = Dates::listDate(e.date);
    const QString summary = Formats::firstLine(e.summary);
    return RecordRow({date, id, e.item, income ? QStringView(e.amount) : QStringView(),
                      income ? QStringView() : QStringView(e.amount), e.method, e.handler, summary},
                     income ? 5 : 6);
}

} // namespace

LedgerListModel::LedgerListModel(DataFile &data, QObject *parent)
    : QAbstractTableModel(parent), data_(data), columns_(Ledger::columns())
{
}

LedgerListModel::~LedgerListModel() = default;

void LedgerListModel::setImageList(const QList<QIcon> &icons) { icons_ = icons; }

void LedgerListModel::reset(const EntryQuery &query)
{
    beginResetModel();
    pages_.clear();
    recent_.clear();
    list_.reset();
    query_ = query;
    try {
        list_ = std::make_unique<EntryList>(data_, query_);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void LedgerListModel::setQuery(const EntryQuery &query) { reset(query); }

void LedgerListModel::clear()
{
    beginResetModel();
    pages_.clear();
    recent_.clear();
    list_.reset();
    endResetModel();
}

LedgerTotals LedgerListModel::totals() const { return list_ ? list_->totals() : LedgerTotals(); }

const RecordRow *LedgerListModel::rowAt(int row) const
{
    if (!list_ || row < 0 || row >= list_->count())
        return nullptr;
    const int page = row / PageSize;
    auto found = pages_.find(page);
    if (found == pages_.end()) {
        std::vector<RecordRow> rows;
        try {
            for (const LedgerEntry &e : list_->entries(page * PageSize, PageSize))
                rows.push_back(listedRow(e));
        } catch (const StoreError &) {
            // A page that cannot be read shows empty rows.
        }
        while (pages_.size() >= KeptPages) {
            pages_.erase(recent_.back());
            recent_.pop_back();
        }
        found = pages_.emplace(page, std::move(rows)).first;
        recent_.push_front(page);
    } else if (recent_.front() != page) {
        recent_.remove(page);
        recent_.push_front(page);
    }
    const size_t at = size_t(row - page * PageSize);
    return at < found->second.size() ? &found->second[at] : nullptr;
}

qint64 LedgerListModel::idAt(int row) const
{
    const RecordRow *r = rowAt(row);
    return r ? r->cell(1).toLongLong() : 0;
}

int LedgerListModel::rowOf(qint64 id) const
{
    const QString text = QString::number(id);
    for (const auto &[page, rows] : pages_)
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].cell(1) == text)
                return page * PageSize + int(i);
    return -1;
}

void LedgerListModel::updateEntry(int row, const LedgerEntry &entry)
{
    auto found = pages_.find(row / PageSize);
    if (found == pages_.end() || size_t(row % PageSize) >= found->second.size())
        return;
    // The whole summary, as the editor saved it; totals and order wait for the next load.
    found->second[size_t(row % PageSize)] = Ledger::listRow(entry);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LedgerListModel::removeEntry(int row, const LedgerEntry &entry)
{
    if (!list_ || row < 0 || row >= list_->count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    list_->remove(row, entry);
    // The rows after it moved up: pages from its own on are read again when shown.
    const int page = row / PageSize;
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (it->first >= page) {
            recent_.remove(it->first);
            it = pages_.erase(it);
        } else {
            ++it;
        }
    }
    endRemoveRows();
}

int LedgerListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !list_ ? 0 : list_->count();
}

int LedgerListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant LedgerListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (const RecordRow *row = rowAt(index.row()))
            return row->cell(index.column()).toString();
        return QString();
    case Qt::DecorationRole:
        if (index.column() == 0)
            if (const RecordRow *row = rowAt(index.row()); row && row->icon > 0 && row->icon <= icons_.size())
                return icons_[row->icon - 1];
        return {};
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].alignment);
    default:
        return {};
    }
}

QVariant LedgerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].title;
    return {};
}

Qt::ItemFlags LedgerListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void LedgerListModel::sort(int column, Qt::SortOrder order)
{
    EntryQuery query = query_;
    query.sortColumn = EntryList::isSortable(column) ? column : -1;
    query.sortOrder = order;
    try {
        reset(query);
    } catch (const StoreError &) {
        // A list that cannot be read again lists nothing, as a failed load does.
    }
}
