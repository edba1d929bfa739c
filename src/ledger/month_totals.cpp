#include "ledger/month_totals.h"

#include "store/data_file.h"

#include <QHash>

namespace {

const QString Sums = QStringLiteral("select count(*), money_total(case when t1 IS '收入' then t5 end), "
                                    "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang ");

struct Month {
    qint64 entries = 0;
    Money income, expense;
};

Month read(Statement &st, int first)
{
    return {st.integer(first), Money::fromStored(st.utf8(first + 1)).value_or(Money()),
            Money::fromStored(st.utf8(first + 2)).value_or(Money())};
}

// The first text after every text that starts with `prefix`; empty when there is none.
QString after(const QString &prefix)
{
    QString next = prefix;
    if (next.isEmpty() || next.back().unicode() == 0xFFFF)
        return QString();
    next.back() = QChar(next.back().unicode() + 1);
    return next;
}

} // namespace

LedgerTotals MonthTotals::all(int accountSet)
{
    // The months the account set's dates fall in, one index seek each.
    QStringList months;
    {
        Statement seek = data_.query(QStringLiteral("select data from jizhang indexed by jizhang_muluID_data "
                                                    "where muluID=? and data >= ? order by data limit 1"));
        QString from = QStringLiteral("");  // the smallest text
        for (;;) {
            seek.reset();
            seek.bindAll({accountSet, from});
            if (!seek.step())
                break;
            const QString date = seek.text(0);
            const QString month = date.left(7);
            months << month;
            if (month.size() < 7) {
                // A short date is a month of its own; go on after it.
                from = date + QChar(0);
            } else {
                from = after(month);
                if (from.isNull())
                    break;
            }
        }
    }

    QHash<QString, Month> kept;
    {
        Statement st = data_.query(
            QStringLiteral("select month, entries, income, expense from jizhang_months where muluID=?"), {accountSet});
        while (st.step())
            kept.insert(st.text(0), read(st, 1));
    }

    LedgerTotals totals;
    auto add = [&](const Month &m) {
        totals.count += int(m.entries);
        totals.income += m.income;
        totals.expense += m.expense;
    };
    QList<std::pair<QString, Month>> added;
    for (const QString &month : months) {
        auto found = kept.constFind(month);
        if (found != kept.constEnd()) {
            add(*found);
            continue;
        }
        const QString until = after(month);
        Statement st = month.size() < 7
                           ? data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and data=?"),
                                         {accountSet, month})
                       : until.isNull()
                           ? data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and "
                                                               "data >= ? and substr(data, 1, 7) = ?"),
                                         {accountSet, month, month})
                           : data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and "
                                                               "data >= ? and data < ?"),
                                         {accountSet, month, until});
        Month m;
        if (st.step())
            m = read(st, 0);
        add(m);
        added.append({month, m});
    }

    // Entries without a date or with one that is not text are never kept by month.
    {
        Statement st = data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and "
                                                         "(data IS NULL OR data < '')"),
                                   {accountSet});
        if (st.step())
            add(read(st, 0));
    }

    // Months added up now are kept for the next time, all in one write. A file that cannot
    // be written is simply added up again next time.
    if (!added.isEmpty()) {
        try {
            DataFile::Transaction transaction(data_);
            Statement keep = data_.query(QStringLiteral("insert or replace into jizhang_months "
                                                        "(muluID, month, entries, income, expense) values (?,?,?,?,?)"));
            for (const auto &[month, m] : added) {
                keep.reset();
                keep.bindAll({accountSet, month, m.entries, m.income.exact(), m.expense.exact()});
                keep.run();
            }
            transaction.commit();
        } catch (const StoreError &) {
        }
    }
    return totals;
}
