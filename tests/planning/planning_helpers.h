// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_file.h"

#include <QComboBox>
#include <QObject>
#include <QPushButton>
#include <QtTest>

// Small helpers of the budget and recurring-entry tests.
namespace Planning {

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

inline void click(QObject *parent, const char *button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

inline void choose(QObject *parent, const char *combo, const QString &text)
{
    QComboBox *box = child<QComboBox>(parent, combo);
    box->setCurrentIndex(box->findText(text));
}

inline qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

} // namespace Planning
