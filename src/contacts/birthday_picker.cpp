// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/birthday_picker.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

BirthdayPicker::BirthdayPicker(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    check_ = new QCheckBox(this);
    check_->setObjectName(QStringLiteral("Check"));
    check_->setToolTip(QStringLiteral("不勾选表示没有日期"));
    edit_ = new QDateEdit(this);
    edit_->setObjectName(QStringLiteral("Date"));
    edit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit_->setCalendarPopup(true);
    edit_->setMinimumDate(QDate(100, 1, 1));
    layout->addWidget(check_);
    layout->addWidget(edit_, 1);
    connect(check_, &QCheckBox::toggled, edit_, &QWidget::setEnabled);
    setDate(QDate::currentDate());
}

std::optional<QDate> BirthdayPicker::date() const
{
    if (!check_->isChecked())
        return std::nullopt;
    return edit_->date();
}

void BirthdayPicker::setDate(std::optional<QDate> date)
{
    check_->setChecked(date.has_value());
    edit_->setEnabled(date.has_value());
    if (date)
        edit_->setDate(*date);
}
