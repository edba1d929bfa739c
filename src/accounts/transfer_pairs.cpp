// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/transfer_pairs.h"

#include "core/dates.h"
#include "core/money.h"
#include "ledger/transfers.h"
#include "store/data_file.h"

#include <algorithm>
#include <map>

namespace {

struct Candidate {
    LedgerEntry entry;
    QDate day;
    bool named = false;
    bool used = false;
};

bool names(const LedgerEntry &e)
{
    for (const QString &word : TransferPairs::words())
        if (e.item.contains(word) || e.summary.contains(word))
            return true;
    return false;
}

} // namespace

QStringList TransferPairs::words()
{
    return {QStringLiteral("取现"), QStringLiteral("提现"), QStringLiteral("存现"), QStringLiteral("转账"),
            QStringLiteral("转入"), QStringLiteral("转出"), QStringLiteral("还款"), QStringLiteral("充值"),
            QStringLiteral("划转")};
}

std::vector<TransferPair> TransferPairs::find(int accountSet)
{
    // Expenses and incomes of accounts by amount, each in date order.
    struct Bucket {
        std::vector<Candidate> out, in;
    };
    std::map<Money::Units, Bucket> buckets;
    Statement st = data_.query(
        QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang where muluID=? and t3 in "
                       "(select content from mulu where class='收支方式') and id not in "
                       "(select feeId from zhuanzhang where feeId is not null) order by data, id"),
        {accountSet});
    while (st.step()) {
        LedgerEntry e{st.integer(0), st.text(1), st.text(2), st.text(3), st.text(4), st.text(5), st.text(6), st.text(7)};
        const std::optional<QDate> day = Dates::readDate(e.date);
        const std::optional<Money> amount = Money::fromStored(e.amount);
        if (!day || !amount || *amount <= Money())
            continue;
        Bucket &bucket = buckets[amount->units()];
        const bool income = e.kind == Ledger::incomeKind();
        const bool named = names(e);
        (income ? bucket.in : bucket.out).push_back({std::move(e), *day, named, false});
    }

    std::vector<TransferPair> pairs;
    for (auto &[amount, bucket] : buckets) {
        if (bucket.out.empty() || bucket.in.empty())
            continue;
        // The same day first, then the nearest days for pairs that name a transfer.
        for (int apart = 0; apart <= DaysApart; ++apart) {
            for (Candidate &out : bucket.out) {
                if (out.used)
                    continue;
                const auto from = std::lower_bound(bucket.in.begin(), bucket.in.end(), out.day.addDays(-apart),
                                                   [](const Candidate &c, const QDate &d) { return c.day < d; });
                for (auto in = from; in != bucket.in.end() && in->day <= out.day.addDays(apart); ++in) {
                    if (in->used || std::abs(in->day.daysTo(out.day)) != apart || in->entry.method == out.entry.method)
                        continue;
                    if (apart > 0 && !out.named && !in->named)
                        continue;
                    out.used = in->used = true;
                    pairs.push_back({out.entry, in->entry, out.named || in->named});
                    break;
                }
            }
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const TransferPair &a, const TransferPair &b) {
        return a.out.date != b.out.date ? a.out.date < b.out.date : a.out.id < b.out.id;
    });
    return pairs;
}

int TransferPairs::convert(int accountSet, const std::vector<TransferPair> &pairs)
{
    Ledger ledger(data_);
    Transfers transfers(data_);
    DataFile::Transaction transaction(data_);
    int converted = 0;
    for (const TransferPair &pair : pairs) {
        const std::optional<LedgerEntry> out = ledger.entry(pair.out.id);
        const std::optional<LedgerEntry> in = ledger.entry(pair.in.id);
        auto same = [](const LedgerEntry &now, const LedgerEntry &found) {
            return now.date == found.date && now.kind == found.kind && now.method == found.method &&
                   now.amount == found.amount;
        };
        if (!out || !in || !same(*out, pair.out) || !same(*in, pair.in))
            continue;
        Transfer t;
        t.date = Dates::storedDate(*Dates::readDate(out->date));
        t.from = out->method;
        t.to = in->method;
        t.amount = Money::fromStored(out->amount)->exact();
        t.summary = out->summary.isEmpty() ? in->summary : out->summary;
        const QString outChecked = transfers.entryChecked(out->id);
        const QString inChecked = transfers.entryChecked(in->id);
        const qint64 id = transfers.add(t, accountSet);
        auto orNull = [](const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); };
        data_.exec(QStringLiteral("update zhuanzhang set outChecked=?, inChecked=? where id=?"),
                   {orNull(outChecked), orNull(inChecked), id});
        data_.exec(QStringLiteral("delete from jizhang where id in (?, ?)"), {out->id, in->id});
        data_.exec(QStringLiteral("delete from jizhang_duizhang where entryId in (?, ?)"), {out->id, in->id});
        ++converted;
    }
    transaction.commit();
    return converted;
}
