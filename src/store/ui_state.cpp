// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ui_state.h"

#include "store/data_file.h"

QString UiState::value(const QString &name) const
{
    try {
        Statement st = data_.query(QStringLiteral("select 值 from 界面状态 where 名称=?"), {name});
        return st.step() ? st.text(0) : QString();
    } catch (const StoreError &) {
        return QString();  // no such table yet, or a file that cannot be read
    }
}

bool UiState::setValue(const QString &name, const QString &value)
{
    try {
        data_.exec(QStringLiteral("create table if not exists 界面状态 (名称 text primary key, 值 text)"));
        data_.exec(QStringLiteral("insert or replace into 界面状态 (名称, 值) values (?, ?)"), {name, value});
        return true;
    } catch (const StoreError &) {
        return false;
    }
}

QByteArray UiState::bytes(const QString &name) const { return QByteArray::fromBase64(value(name).toLatin1()); }

bool UiState::setBytes(const QString &name, const QByteArray &bytes)
{
    return setValue(name, QString::fromLatin1(bytes.toBase64()));
}
