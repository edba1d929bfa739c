#pragma once

#include "accounts/account_list.h"
#include "ui/row_cache.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <memory>

class DataFile;

// An account's list as the accounts pane shows it: rows read a page at a time from an
// AccountList and kept in a RowCache.
class AccountListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AccountListModel(DataFile &data, QObject *parent = nullptr);
    ~AccountListModel() override;

    void setImageList(const QList<QIcon> &icons) { icons_ = icons; }
    // Lists the account's rows; a failure to read lists nothing and is thrown on.
    void setAccount(int accountSet, const Account &account);
    void clear();
    const AccountList *list() const { return list_.get(); }
    // The row at a position as read (with its balance); nothing beyond the list.
    std::optional<AccountRow> rowAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static constexpr int PageSize = 256;

private:
    const RecordRow *recordAt(int row) const;

    DataFile &data_;
    std::unique_ptr<AccountList> list_;
    QList<RecordColumn> columns_;
    QList<QIcon> icons_;
    mutable RowCache rows_;
};
