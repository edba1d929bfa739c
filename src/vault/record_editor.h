// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vault/vault.h"

#include <QDialog>

class PasswordBoxWindow;
class QPushButton;
class RecordViews;

// "添加记录" / "修改记录": adds a record to the group selected in the password box, or
// changes the selected record, in the view of the selected node's kind.
class RecordEditor : public QDialog {
    Q_OBJECT
public:
    explicit RecordEditor(PasswordBoxWindow &box, QWidget *parent = nullptr);

    // Title "修改记录" and the save button "修改".
    void setModifyMode();
    bool isModifying() const { return modifying_; }
    // Captions and view for the selected node, all fields empty.
    void labelClear();
    // Loads a record of the account set for modifying; false (after telling the user)
    // when it cannot be read.
    bool LoadDate(const QString &key);
    // "添加" / "修改": checks the first field, then adds or saves.
    void save();

    RecordViews *views() const { return views_; }
    qint64 recordId() const { return id_; }

private:
    void add(VaultView view, const VaultFields &fields);
    void modify(VaultView view, const VaultFields &fields);

    PasswordBoxWindow &box_;
    RecordViews *views_;
    QPushButton *saveButton_;
    QPushButton *closeButton_;
    bool modifying_ = false;
    qint64 id_ = 0;
};
