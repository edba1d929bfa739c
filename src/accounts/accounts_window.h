// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

#include <optional>

class RecordList;
struct Account;

// "账户": every account of the catalogue with its kind, opening balance and its day, its
// balance today, whether it is closed, and its note. "添加..." and "修改..." open the
// account's own window; "删除" deletes an account nothing names, and for one that has
// entries or transfers says how many and offers to move them to another account first.
class AccountsWindow : public QDialog {
    Q_OBJECT
public:
    AccountsWindow(const AppContext &context, QWidget *parent = nullptr);

    void LoadData();
    void addAccount();
    void modifyAccount();
    void deleteAccount();

    RecordList *list() const { return list_; }

private:
    std::optional<Account> selectedAccount();
    void edit(const std::optional<Account> &account);

    AppContext context_;
    RecordList *list_;
};
