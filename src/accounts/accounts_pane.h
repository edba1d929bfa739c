// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "ui/app_context.h"

#include <QWidget>

#include <tuple>

class AccountListModel;
class Commands;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class RecordList;

// The accounts as the main window shows them, in two parts the shell places beside the
// ledger: the balances (each open account's balance today, grouped by kind, and the net
// worth) and the rows of the account clicked there, newest first, with the running
// "余额". Both follow every write to the data file, by any window or program, within a
// moment: a timer looks whether the file changed. The pane serves "账户...",
// "查找转账..." and "对账...".
class AccountsPane : public QObject {
    Q_OBJECT
public:
    AccountsPane(const AppContext &context, QWidget *parent);

    QWidget *balancesWidget() const { return balances_; }
    QWidget *rowsWidget() const { return rowsPart_; }
    void serve(Commands &commands);

    // Lists the balances again, and the rows of the account on show.
    void reload();
    // Reloads when the data file changed since the last look (and no write is under way).
    void reloadIfChanged();
    // Lists an account's rows with their running balance.
    void showAccount(const QString &name);
    QString accountOnShow() const { return shown_; }

    QTreeWidget *tree() const { return tree_; }
    RecordList *list() const { return list_; }
    AccountListModel *rows() const { return rows_; }
    QString netWorthText() const;
    QString captionText() const;
    // An account's balance as the tree shows it; empty when it is not listed.
    QString balanceText(const QString &account) const;

    void openAccounts();
    void openPairs();
    void openReconcile();
    // The selected row of the account's list: its entry or transfer in the editor, or
    // deleted (a transfer with its fee) after asking.
    void modifySelected();
    void deleteSelected();

signals:
    // Entries or transfers changed here: the ledger's lists are to be read again.
    void changed();
    // The rows part wants to be seen (an account was chosen).
    void rowsWanted();

private:
    QWidget *window() const;
    std::optional<AccountRow> selectedRow();
    void afterChange();

    AppContext context_;
    QWidget *balances_;
    QWidget *rowsPart_;
    QTreeWidget *tree_;
    QLabel *worth_;
    QLabel *caption_;
    RecordList *list_;
    AccountListModel *rows_;
    QTimer *watch_;
    QString shown_;
    std::tuple<void *, qint64, qint64> seen_{nullptr, -1, -1};
};
