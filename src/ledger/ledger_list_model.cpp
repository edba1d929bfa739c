// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/ledger_list_model.h"

#include "store/data_file.h"

namespace {

// Pages kept at most: a few screens around where the user looks.
constexpr size_t KeptPages = 64;

} // namespace

LedgerListModel::LedgerListModel(DataFile &data, QObject *parent)
    : PagedRecordModel(Ledger::columns(), KeptPages, parent), data_(data), reading_(new QTimer(this))
{
    reading_->setInterval(0);
    connect(reading_, &QTimer::timeout, this, &LedgerListModel::readMore);
}

LedgerListModel::~LedgerListModel() = default;

void LedgerListModel::reset(const EntryQuery &query)
{
    beginResetModel();
    rows_.clear();
    list_.reset();
    query_ = query;
    reading_->stop();
    try {
        list_ = std::make_unique<EntryList>(data_, query_, EntryList::Reading::Progressive);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
    if (!list_->isComplete())
        reading_->start();
}

void LedgerListModel::readMore()
{
    if (!list_ || list_->isComplete()) {
        reading_->stop();
        return;
    }
    // A slice of reading at a time, so that the window keeps answering.
    EntryList::Batch batch;
    try {
        batch = list_->readMore(25);
    } catch (const StoreError &) {
        // What could not be read stays out of the list.
        list_->stopReading();
    }
    if (!batch.ids.empty()) {
        const int first = list_->count();
        beginInsertRows(QModelIndex(), first, first + int(batch.ids.size()) - 1);
        list_->append(batch);
        endInsertRows();
    }
    if (list_->isComplete())
        reading_->stop();
    emit totalsChanged();
}

void LedgerListModel::setQuery(const EntryQuery &query) { reset(query); }

void LedgerListModel::clear()
{
    reading_->stop();
    beginResetModel();
    rows_.clear();
    list_.reset();
    endResetModel();
}

LedgerTotals LedgerListModel::totals() const { return list_ ? list_->totals() : LedgerTotals(); }

int LedgerListModel::rowTotal() const { return list_ ? list_->count() : 0; }

std::vector<RecordRow> LedgerListModel::readRows(int first, int count) const
{
    std::vector<RecordRow> rows;
    try {
        for (const LedgerEntry &e : list_->entries(first, count))
            rows.push_back(Ledger::listedRow(e));
    } catch (const StoreError &) {
        // A page that cannot be read shows empty rows.
    }
    return rows;
}

qint64 LedgerListModel::idAt(int row) const
{
    const RecordRow *r = rowAt(row);
    return r ? r->cell(1).toLongLong() : 0;
}

int LedgerListModel::rowOf(qint64 id) const
{
    const QString text = QString::number(id);
    return rows_.find([&text](const RecordRow &row) { return row.cell(1) == text; });
}

void LedgerListModel::updateEntry(int row, const LedgerEntry &entry)
{
    RecordRow *shown = rows_.kept(row);
    if (!shown)
        return;
    // The whole summary, as the editor saved it; totals and order wait for the next load.
    *shown = Ledger::listRow(entry);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LedgerListModel::removeEntry(int row, const LedgerEntry &entry)
{
    if (!list_ || row < 0 || row >= list_->count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    list_->remove(row, entry);
    // The rows after it moved up: pages from its own on are read again when shown.
    rows_.dropFrom(row);
    endRemoveRows();
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
