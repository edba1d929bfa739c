// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_list_model.h"

#include "store/data_file.h"

namespace {

// Pages kept at most: a few screens around where the user looks.
constexpr size_t KeptPages = 16;

} // namespace

AccountListModel::AccountListModel(DataFile &data, QObject *parent)
    : PagedRecordModel(AccountList::columns(), KeptPages, parent), data_(data)
{
}

AccountListModel::~AccountListModel() = default;

void AccountListModel::setAccount(int accountSet, const Account &account)
{
    beginResetModel();
    rows_.clear();
    list_.reset();
    try {
        list_ = std::make_unique<AccountList>(data_, accountSet, account);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void AccountListModel::clear()
{
    beginResetModel();
    rows_.clear();
    list_.reset();
    endResetModel();
}

std::optional<AccountRow> AccountListModel::accountRowAt(int row) const
{
    if (row < 0 || row >= rowTotal())
        return std::nullopt;
    std::vector<AccountRow> rows = list_->rows(row, 1);
    return rows.empty() ? std::nullopt : std::optional<AccountRow>(std::move(rows.front()));
}

int AccountListModel::rowTotal() const { return list_ ? list_->count() : 0; }

std::vector<RecordRow> AccountListModel::readRows(int first, int count) const
{
    std::vector<RecordRow> rows;
    try {
        for (const AccountRow &r : list_->rows(first, count))
            rows.push_back(AccountList::listRow(r));
    } catch (const StoreError &) {
        // A page that cannot be read shows empty rows.
    }
    return rows;
}
