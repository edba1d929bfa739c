// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/address_book.h"
#include "ui/app_context.h"

#include <QDialog>

class BirthdayPicker;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The contact editor (Form22): adds a contact to a group or modifies one. The caption
// tells the modes apart: "添加记录" adds, "修改记录" modifies.
class ContactEditor : public QDialog {
    Q_OBJECT
public:
    explicit ContactEditor(const AppContext &context, QWidget *parent = nullptr);

    // Add mode: the new contact is filed in this group.
    void setAddMode(const QString &groupKey);
    // Modify mode with the contact's values in the fields. False (and the reason shown)
    // when the contact cannot be read.
    bool setModifyMode(qint64 id);

    // Empties every field; no sex, calendar or birthday chosen.
    void textclear();
    bool LoadDate(qint64 id);
    // Store the fields as a new contact / into the contact; false when nothing was stored.
    bool red();
    bool EditData(qint64 id);

    // The values the fields stand for, as they are stored. What a modified contact held
    // and the fields cannot show (a sex or calendar other than the two choices, a birthday
    // that is not a date) is kept while the user chooses nothing else.
    Contact fields() const;
    qint64 contactId() const { return id_; }

signals:
    void saved();

private:
    void save();

    AppContext context_;
    AddressBook book_;
    QLineEdit *text_[16] = {};
    QPlainTextEdit *remark_ = nullptr;
    QComboBox *sex_ = nullptr;
    QComboBox *calendar_ = nullptr;
    BirthdayPicker *birthday_ = nullptr;
    QPushButton *save_ = nullptr;
    QPushButton *quit_ = nullptr;
    QString groupKey_;
    qint64 id_ = 0;
    Contact loaded_;
};
