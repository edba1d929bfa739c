// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QWidget>

#include <optional>

class QCheckBox;
class QDateEdit;

// A date field that may also hold no date: the box in front of the date says whether
// there is one. Unticked, the date stands greyed and is not used.
class BirthdayPicker : public QWidget {
    Q_OBJECT
public:
    explicit BirthdayPicker(QWidget *parent = nullptr);

    std::optional<QDate> date() const;
    void setDate(std::optional<QDate> date);
    QCheckBox *checkBox() const { return check_; }
    QDateEdit *dateEdit() const { return edit_; }

private:
    QCheckBox *check_;
    QDateEdit *edit_;
};
