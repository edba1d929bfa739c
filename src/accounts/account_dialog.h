// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "ui/app_context.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;

// "添加账户" or "修改账户": an account's name, kind, opening balance and its day, note
// and closed flag. Closing an account whose balance is not 0 asks first; a new name
// takes the account's entries and transfers along.
class AccountDialog : public QDialog {
    Q_OBJECT
public:
    // For a new account without `account`; for an existing one with it.
    AccountDialog(const AppContext &context, QWidget *parent, const std::optional<Account> &account = std::nullopt);

    // "确定": checks the fields, stores the account and closes; stays open (after saying
    // why) when something is wrong or the user keeps an account open.
    void save();
    // What the fields hold, as an account of this id.
    Account accountFromControls() const;

private:
    AppContext context_;
    std::optional<Account> existing_;
    QLineEdit *name_;
    QComboBox *kind_;
    QLineEdit *opening_;
    QCheckBox *hasDate_;
    QDateEdit *date_;
    QLineEdit *note_;
    QCheckBox *closed_;
};

// "移到账户": where the entries and transfers of an account that is deleted go.
class MergeAccountDialog : public QDialog {
    Q_OBJECT
public:
    MergeAccountDialog(const QString &from, const QStringList &others, QWidget *parent = nullptr);
    QString target() const;

private:
    QComboBox *target_;
};
