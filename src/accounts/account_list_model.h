// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/account_list.h"
#include "ui/paged_record_model.h"

#include <memory>
#include <optional>

class DataFile;

// An account's list as the accounts pane shows it, read a page at a time from an
// AccountList (see PagedRecordModel).
class AccountListModel : public PagedRecordModel {
    Q_OBJECT
public:
    explicit AccountListModel(DataFile &data, QObject *parent = nullptr);
    ~AccountListModel() override;

    // Lists the account's rows; a failure to read lists nothing and is thrown on.
    void setAccount(int accountSet, const Account &account);
    void clear();
    const AccountList *list() const { return list_.get(); }
    // The row at a position as read (with its balance); nothing beyond the list.
    std::optional<AccountRow> accountRowAt(int row) const;

protected:
    int rowTotal() const override;
    std::vector<RecordRow> readRows(int first, int count) const override;

private:
    DataFile &data_;
    std::unique_ptr<AccountList> list_;
};
