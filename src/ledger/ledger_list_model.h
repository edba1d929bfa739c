// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/entry_list.h"
#include "ui/paged_record_model.h"

#include <QTimer>

#include <memory>

class DataFile;

// An entry list of the main window read on demand (a page at a time, see PagedRecordModel).
// Sorting asks the data file for the new order.
class LedgerListModel : public PagedRecordModel {
    Q_OBJECT
public:
    explicit LedgerListModel(DataFile &data, QObject *parent = nullptr);
    ~LedgerListModel() override;

    // Lists what the query selects, in its order; a failure to read lists nothing and is
    // thrown on. A filtered list of all entries grows as it is read, newest month first,
    // between the window's other work; totalsChanged() says how far it has come.
    void setQuery(const EntryQuery &query);
    // Whether every row of the list has been read (count and totals are final).
    bool isComplete() const { return !list_ || list_->isComplete(); }
    // Lists nothing.
    void clear();
    const EntryQuery &query() const { return query_; }
    // Count and totals of what is listed.
    LedgerTotals totals() const;

    // The entry id of a row; 0 when there is no such row.
    qint64 idAt(int row) const;
    // The row of an entry among the rows read so far; -1 when it is not among them.
    int rowOf(qint64 id) const;
    // Shows the entry's saved fields in its row, where it stands.
    void updateEntry(int row, const LedgerEntry &entry);
    // Takes out the row of an entry that was deleted; its totals leave the list's totals.
    void removeEntry(int row, const LedgerEntry &entry);

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // More rows were read; once isComplete(), count and totals are final.
    void totalsChanged();

protected:
    int rowTotal() const override;
    std::vector<RecordRow> readRows(int first, int count) const override;

private:
    void readMore();
    void reset(const EntryQuery &query);

    DataFile &data_;
    EntryQuery query_;
    std::unique_ptr<EntryList> list_;
    QTimer *reading_;
};
