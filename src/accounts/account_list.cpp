// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_list.h"

#include "core/dates.h"
#include "store/data_file.h"
#include "ui/formats.h"

namespace {

// Months kept read at once: the few around where the user looks.
constexpr size_t KeptSegments = 4;

} // namespace

AccountList::AccountList(DataFile &data, int accountSet, const Account &account)
    : data_(data), accountSet_(accountSet), account_(account)
{
    AccountSums sums(data_);
    const AccountMonths months = sums.months(accountSet).value(account.name);
    const std::optional<QDate> opening =
        account.openingDate.isEmpty() ? std::nullopt : Dates::readDate(account.openingDate);
    const QString openMonth = opening ? Dates::storedDate(*opening).left(7) : QString();

    // What each month moves the balance by: nothing before the opening month, and the
    // opening month from the opening day on.
    auto counted = [&](const QString &month, const AccountFlow &flow) {
        if (month.isEmpty() || openMonth.isEmpty() || month > openMonth)
            return flow.net();
        if (month < openMonth)
            return Money();
        AccountFlow from = flow;
        from -= sums.between(accountSet, account.name, openMonth, Dates::storedDate(*opening));
        return from.net();
    };
    std::vector<std::pair<Segment, Money>> ordered;
    for (auto month = months.rbegin(); month != months.rend(); ++month)
        if (!month->first.isEmpty())
            ordered.push_back({{month->first, 0, int(month->second.count), {}}, counted(month->first, month->second)});
    if (auto none = months.find(QString()); none != months.end())
        ordered.push_back({{QString(), 0, int(none->second.count), {}}, none->second.net()});

    balance_ = account.opening;
    for (const auto &[segment, moved] : ordered)
        balance_ += moved;
    Money top = balance_;
    for (auto &[segment, moved] : ordered) {
        segment.first = count_;
        segment.top = top;
        count_ += segment.count;
        top -= moved;
        segments_.push_back(segment);
    }
}

const std::vector<AccountRow> &AccountList::rowsOf(size_t index)
{
    for (const auto &[kept, rows] : read_)
        if (kept == index)
            return rows;
    const Segment &s = segments_[index];
    const QString condition = s.month.isEmpty()
                                  ? Dates::monthKeySql(QStringLiteral("data")) + QStringLiteral(" = ''")
                                  : QStringLiteral("data >= ? and data < ?");
    QVariantList values;
    if (!s.month.isEmpty())
        values = {s.month, Dates::monthEnd(*Dates::monthOf(s.month.toStdString()))};
    std::vector<AccountRow> rows = Accounts(data_).rows(accountSet_, account_, condition, values);
    Money balance = s.top;
    for (AccountRow &r : rows) {
        if (!r.counted)
            continue;
        r.balance = balance;
        balance -= r.flow();
    }
    if (read_.size() >= KeptSegments)
        read_.pop_back();
    read_.emplace_front(index, std::move(rows));
    return read_.front().second;
}

std::vector<AccountRow> AccountList::rows(int first, int n)
{
    std::vector<AccountRow> result;
    for (size_t i = 0; i < segments_.size() && n > 0; ++i) {
        const Segment &s = segments_[i];
        if (first >= s.first + s.count)
            continue;
        const std::vector<AccountRow> &rows = rowsOf(i);
        // Another program may have written since the sums were read: what is there counts.
        for (int at = first - s.first; at < int(rows.size()) && at < s.count && n > 0; ++at, ++first, --n)
            result.push_back(rows[size_t(at)]);
        if (first < s.first + s.count)
            break;  // the month had fewer rows than its sums said
    }
    return result;
}

QList<RecordColumn> AccountList::columns()
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{QStringLiteral("日  期"), 1800, QStringLiteral("2008年01月05日")},
            {QStringLiteral("id"), 0},
            {QStringLiteral("项目"), 1300},
            {QStringLiteral("存入"), 1200, QStringLiteral("12345678.99"), right},
            {QStringLiteral("支取"), 1200, QStringLiteral("12345678.99"), right},
            {QStringLiteral("余额"), 1300, QStringLiteral("-12345678.99"), right},
            {QStringLiteral("对方账户"), 1000},
            {QStringLiteral("核对"), 700, checkedText()},
            {QStringLiteral("摘要"), 3000}};
}

RecordRow AccountList::listRow(const AccountRow &r)
{
    const QString date = Dates::listDate(r.date);
    const QString key = r.key();
    const QString balance = r.balance ? r.balance->fixed(2) : QString();
    const QString summary = Formats::firstLine(r.summary);
    const QString checked = r.checked.isEmpty() ? QString() : checkedText();
    const int icon = r.source == AccountRow::Transfer ? 7 : (r.incoming ? 5 : 6);
    return RecordRow({date, key, r.item, r.incoming ? QStringView(r.amount) : QStringView(),
                      r.incoming ? QStringView() : QStringView(r.amount), balance, r.other, checked, summary},
                     icon);
}
