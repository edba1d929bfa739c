// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordList;

// "用户帐号管理": the list of login users, and adding, modifying and deleting them with
// the account set each is bound to. The list lies over the edit fields and is hidden
// while a user is added or modified; the captions of the first two buttons tell the
// mode ("放弃" adding, "放弃修改" modifying).
class UserAccountWindow : public QDialog {
    Q_OBJECT
public:
    explicit UserAccountWindow(const AppContext &context, QWidget *parent = nullptr);

    // The list's columns and the account sets of Combo1.
    void LoadDate();
    // Refills the user list, then enables "添加账号", "修改" and "删除".
    void LoadData();
    // Puts one user into the fields.
    void Load(qint64 id);
    // Adds a user from the fields; false (after telling the user) when it was not stored.
    bool red();
    // Saves the fields over a user; false (after telling the user) when it was not stored.
    bool EditData(qint64 id);

    // The four buttons: Command1(0) to Command1(3).
    void addOrDiscard();     // "添加账号" / "放弃"
    void modifyOrDiscard();  // "修改" / "放弃修改"
    void deleteUser();       // "删除"
    void save();             // "保存"

    RecordList *userList() const { return list_; }
    QPushButton *button(int index) const { return buttons_[index]; }

private:
    void pressed(int index);
    bool adding() const;
    // The account set chosen in Combo1; 0 when none is.
    qint64 chosenAccountSet() const;

    AppContext context_;
    QGroupBox *frame_;
    QLineEdit *name_;        // Text1(0)
    QLineEdit *password_;    // Text1(1)
    QLineEdit *registered_;  // Text1(3)
    QComboBox *accountSet_;  // Combo1
    RecordList *list_;       // ListView1
    QPushButton *buttons_[4];
};
