// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/month_totals.h"

#include "core/dates.h"
#include "store/data_file.h"

#include <QHash>
#include <QSet>

namespace {

const QString Sums = QStringLiteral("select count(*), money_total(case when t1 IS '收入' then t5 end), "
                                    "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang ");

// Entries without a text date, each a range of the date index: numbers sort before every
// text, blobs after.
const SqlCondition NoDate{QStringLiteral("data IS NULL"), {}};
const SqlCondition Number{QStringLiteral("data < ''"), {}};
const SqlCondition Blob{QStringLiteral("data >= x''"), {}};

struct Month {
    qint64 entries = 0;
    Money income, expense;
};

Month read(Statement &st, int first)
{
    return {st.integer(first), Money::fromStored(st.utf8(first + 1)).value_or(Money()),
            Money::fromStored(st.utf8(first + 2)).value_or(Money())};
}

} // namespace

SqlCondition DateSpan::condition() const
{
    if (until.isEmpty())
        return {QStringLiteral("data >= ? and data < x''"), {from}};
    return {QStringLiteral("data >= ? and data < ?"), {from, until}};
}

std::vector<DateSpan> MonthTotals::spans(int accountSet)
{
    std::vector<DateSpan> spans;
    // The first text from a point on; blobs sort after every text and are left out.
    Statement seek = data_.query(QStringLiteral("select data from jizhang indexed by jizhang_muluID_data "
                                                "where muluID=? and data >= ? and data < x'' order by data limit 1"));
    auto first = [&](const QString &from) {
        seek.reset();
        seek.bindAll({accountSet, from});
        return seek.step();
    };
    // The walk's place is one integer that every turn raises: 2m stands for the key of
    // month m ("2024-01"), 2m + 1 for its end ("2024-02"), and the place before the first
    // month for the smallest text. So it ends, whatever the file holds.
    auto text = [](int place) {
        if (place < 2 * Dates::FirstMonth)
            return QStringLiteral("");
        return place % 2 == 0 ? Dates::monthKey(place / 2) : Dates::monthEnd(place / 2);
    };
    for (int place = 2 * Dates::FirstMonth - 1; place <= 2 * Dates::LastMonth + 1;) {
        if (!first(text(place)))
            break;
        if (const std::optional<int> month = Dates::monthOf(seek.utf8(0))) {
            spans.push_back({*month, Dates::monthKey(*month).toLatin1(), Dates::monthEnd(*month).toLatin1()});
            place = 2 * *month + 1;
        } else {
            // Texts of no month, up to the first month whose key sorts after this text.
            const int next = Dates::firstMonthAfter(seek.utf8(0), Dates::FirstMonth);
            const std::string_view date = seek.utf8(0);
            spans.push_back({-1, QByteArray(date.data(), qsizetype(date.size())),
                             next > Dates::LastMonth ? QByteArray() : Dates::monthKey(next).toLatin1()});
            place = 2 * next;
        }
    }
    return spans;
}

QStringList MonthTotals::monthKeys(int accountSet)
{
    QStringList keys;
    for (const DateSpan &span : spans(accountSet))
        if (span.month >= 0)
            keys << Dates::monthKey(span.month);
    return keys;
}

std::vector<SqlCondition> MonthTotals::parts(const std::vector<DateSpan> &spans)
{
    std::vector<SqlCondition> parts{NoDate, Number};
    for (const DateSpan &span : spans)
        parts.push_back(span.condition());
    parts.push_back(Blob);
    return parts;
}

std::optional<LedgerTotals> MonthTotals::add(int accountSet, Pass pass)
{
    const std::vector<DateSpan> spans = this->spans(accountSet);
    QHash<int, Month> kept;
    {
        Statement st = data_.query(
            QStringLiteral("select month, entries, income, expense from jizhang_months where muluID=?"), {accountSet});
        while (st.step())
            if (const std::optional<int> month = Dates::monthOf(st.utf8(0)))
                kept.insert(*month, read(st, 1));
    }

    LedgerTotals totals;
    auto add = [&](const Month &m) {
        totals.count += int(m.entries);
        totals.income += m.income;
        totals.expense += m.expense;
    };
    auto sum = [&](const SqlCondition &c) {
        Statement st = data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and ") + c.text,
                                   QVariantList{accountSet} + c.values);
        Month m;
        if (st.step())
            m = read(st, 0);
        return m;
    };
    std::vector<std::pair<int, Month>> counted;
    for (const DateSpan &span : spans) {
        if (span.month < 0) {
            add(sum(span.condition()));  // entries of no month are never kept
            continue;
        }
        if (auto found = kept.constFind(span.month); found != kept.constEnd()) {
            add(*found);
            continue;
        }
        if (pass == Pass::KeptOnly)
            return std::nullopt;
        const Month m = sum(span.condition());
        add(m);
        counted.push_back({span.month, m});
    }
    for (const SqlCondition &part : {NoDate, Number, Blob})
        add(sum(part));

    if (pass == Pass::Store && !counted.empty()) {
        if (beforeStoring_)
            beforeStoring_();
        Statement keep = data_.query(QStringLiteral("insert or replace into jizhang_months "
                                                    "(muluID, month, entries, income, expense) values (?,?,?,?,?)"));
        for (const auto &[month, m] : counted) {
            keep.reset();
            keep.bindAll({accountSet, Dates::monthKey(month), m.entries, m.income.exact(), m.expense.exact()});
            keep.run();
        }
    }
    return totals;
}

LedgerTotals MonthTotals::all(int accountSet)
{
    // Usually every month is kept, and reading is all it takes.
    if (std::optional<LedgerTotals> totals = add(accountSet, Pass::KeptOnly))
        return *totals;
    // While a background build stores them, they are only counted here.
    if (data_.sumsBuiltElsewhere())
        return *add(accountSet, Pass::Count);
    // Months without kept sums are counted and stored in one write transaction: another
    // program's write waits until the sums are stored, and then drops what it changes.
    try {
        DataFile::Transaction transaction(data_);
        const LedgerTotals totals = *add(accountSet, Pass::Store);
        transaction.commit();
        return totals;
    } catch (const StoreError &) {
        // A file that cannot be written (read-only, busy) is counted without keeping.
    }
    return *add(accountSet, Pass::Count);
}

int MonthTotals::storeMissing(int accountSet, int most)
{
    DataFile::Transaction transaction(data_);
    QSet<int> kept;
    {
        Statement st = data_.query(QStringLiteral("select month from jizhang_months where muluID=?"), {accountSet});
        while (st.step())
            if (const std::optional<int> month = Dates::monthOf(st.utf8(0)))
                kept.insert(*month);
    }
    int missing = 0;
    const std::vector<DateSpan> spans = this->spans(accountSet);
    for (const DateSpan &span : spans) {
        if (span.month < 0 || kept.contains(span.month))
            continue;
        if (most <= 0) {
            ++missing;
            continue;
        }
        --most;
        const SqlCondition c = span.condition();
        Statement st = data_.query(Sums + QStringLiteral("indexed by jizhang_muluID_data where muluID=? and ") + c.text,
                                   QVariantList{accountSet} + c.values);
        const Month m = st.step() ? read(st, 0) : Month();
        data_.exec(QStringLiteral("insert or replace into jizhang_months (muluID, month, entries, income, expense) "
                                  "values (?,?,?,?,?)"),
                   {accountSet, Dates::monthKey(span.month), m.entries, m.income.exact(), m.expense.exact()});
    }
    transaction.commit();
    return missing;
}
