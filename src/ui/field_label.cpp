// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/field_label.h"

#include <QLabel>
#include <QPushButton>

QLabel *fieldLabel(const QString &caption, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(caption).remove(u' ').remove(u'*').remove(u'：'));
    return label;
}

QPushButton *namedButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    return button;
}
