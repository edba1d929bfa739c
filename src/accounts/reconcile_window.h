// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "ui/app_context.h"

#include <QDialog>
#include <QHash>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordList;

// "对账": an account against a statement. The user chooses the account, the statement's
// day and its closing balance; the window lists the account's rows up to that day that
// are not reconciled yet, each with a check box, and shows the difference between the
// statement and the reconciled balance with the ticked rows. "完成对账" marks the ticked
// rows "已核对" (in one transaction) when the difference is 0.00.
class ReconcileWindow : public QDialog {
    Q_OBJECT
public:
    ReconcileWindow(const AppContext &context, QWidget *parent = nullptr, const QString &account = QString());

    // Lists the rows of the chosen account and day again, none ticked.
    void LoadData();
    // The statement's balance less the reconciled balance and the ticked rows; nothing
    // while the statement's balance is no amount.
    std::optional<Money> difference() const;
    void tickAll();
    void finish();

    RecordList *list() const { return list_; }

private:
    void showDifference();

    AppContext context_;
    QComboBox *account_;
    QDateEdit *day_;
    QLineEdit *statement_;
    QLabel *cleared_;
    QLabel *difference_;
    RecordList *list_;
    QPushButton *finish_;
    std::optional<Account> chosen_;
    Money reconciled_;
    QHash<QString, AccountRow> rows_;  // by the list's hidden key
};
