// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "ledger/transfers.h"
#include "store/data_file.h"

// What the accounts' tests share: a count read from the data file, and a transfer as typed.
inline qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

inline Transfer transfer(const QString &date, const QString &from, const QString &to, const QString &amount,
                         const QString &fee = QString())
{
    Transfer t;
    t.date = date;
    t.from = from;
    t.to = to;
    t.amount = amount;
    t.fee = fee;
    return t;
}

// A row of an account's list that names an entry, as reconciling takes it.
inline AccountRow entryRow(qint64 id)
{
    AccountRow row;
    row.id = id;
    return row;
}
