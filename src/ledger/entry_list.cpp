// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/entry_list.h"

#include "core/dates.h"
#include "ledger/month_totals.h"
#include "store/data_file.h"

#include <QElapsedTimer>

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

const QString EntryColumns = QStringLiteral("id, data, t1, t2, t3, t4, t5, content");
const QString IsIncome = QStringLiteral("(t1 IS '收入')");
// An amount sorts as a number; a text that is no number (letters, a comma, nothing at all)
// has no key and goes after the numbers whichever way the column is sorted. The expression
// is the one the index jizhang_muluID_kind_number keeps.
const QString AmountKey = QStringLiteral(
    "(CASE WHEN t5 IS NULL OR trim(t5) NOT GLOB '*[0-9]*' OR trim(t5) GLOB '*[^0-9.eE+-]*' THEN NULL "
    "ELSE CAST(t5 AS REAL) END)");

LedgerEntry entryAt(const Statement &st, int first)
{
    return LedgerEntry{st.integer(first),     st.text(first + 1), st.text(first + 2), st.text(first + 3),
                       st.text(first + 4),    st.text(first + 5), st.text(first + 6), st.text(first + 7)};
}

// The expression a column sorts by and the index that keeps it in order; ties go by
// `tie` (a column that may be NULL) when there is one, then by id.
struct SortKey {
    QString expression;
    QString index;
    bool numeric = false;
    QString tie;
};

std::optional<SortKey> sortKey(int column)
{
    auto by = [](const QString &column, const char *index) {
        return SortKey{column, QLatin1String(index), false, QString()};
    };
    switch (column) {
    case 0: return by(QStringLiteral("data"), "jizhang_muluID_data");
    case 2: return by(QStringLiteral("t2"), "jizhang_muluID_t2");
    case 3:
    case 4: return SortKey{AmountKey, QStringLiteral("jizhang_muluID_kind_number"), true, QString()};
    // A payment method's entries go by date: the accounts' index (account set, method,
    // date) keeps them in that order, and no index of the method alone is needed.
    case 5: return SortKey{QStringLiteral("t3"), QStringLiteral("jizhang_muluID_t3_data"), false, QStringLiteral("data")};
    case 6: return by(QStringLiteral("t4"), "jizhang_muluID_t4");
    case 7: return by(QStringLiteral("content"), "jizhang_muluID_content");
    default: return std::nullopt;
    }
}

// How many characters of each field the quick filter looks at.
constexpr int FilteredLength = 1000;

// The quick filter matches its text literally (quotes, "%" and "_" stand for themselves),
// Latin letters without regard to case.
QString asciiLower(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return lower;
}

} // namespace

// A part of a keyset list: the rows of one condition in one order. Its rows are those of
// the list at positions [first, first + count).
struct EntryList::Segment {
    QString condition;       // with "?" for values, the account set's included
    QVariantList values;
    QString indexedBy;       // " indexed by" the index that serves the condition in this order
                             // (DataFile::indexHint), or nothing while the file lacks it
    QString key;             // the sort expression; empty when the rows go by id alone
    QString tie;             // what goes before the id among rows of one key, if anything
    bool numeric = false;    // the key is read as a number
    bool descending = false;
    int first = 0;
    int count = 0;
    // Where the last read stopped: the next position and the key, tie and id before it.
    int next = -1;
    QVariant lastKey;
    QVariant lastTie;
    qint64 lastId = 0;
};

bool EntryList::isSortable(int column) { return column != 1 && sortKey(column).has_value(); }

EntryList::EntryList(DataFile &data, EntryQuery query, Reading reading) : data_(data), query_(std::move(query))
{
    query_.filter = query_.filter.trimmed();
    if (!isSortable(query_.sortColumn))
        query_.sortColumn = -1;
    const bool whole = !query_.search && LedgerSpan::forKey(query_.nodeKey).kind == LedgerSpan::All;
    keyset_ = whole && query_.filter.isEmpty();
    if (keyset_) {
        makeSegments();
        return;
    }
    if (reading == Reading::Progressive && whole && query_.sortColumn < 0) {
        // Newest month first, in the order of the dates: blobs before every text, numbers
        // after them, no date last.
        pending_ = MonthTotals::parts(MonthTotals(data_).spans(query_.accountSet));
        return;
    }
    Batch batch;
    readIds({}, batch);
    append(batch);
}

EntryList::Batch EntryList::readMore(int milliseconds)
{
    Batch batch;
    QElapsedTimer clock;
    clock.start();
    while (!pending_.empty()) {
        const SqlCondition part = pending_.back();
        readIds(part, batch);
        pending_.pop_back();
        if (clock.elapsed() >= milliseconds)
            break;
    }
    return batch;
}

void EntryList::append(const Batch &batch)
{
    ids_.insert(ids_.end(), batch.ids.begin(), batch.ids.end());
    count_ = int(ids_.size());
    totals_.count = count_;
    totals_.income += batch.totals.income;
    totals_.expense += batch.totals.expense;
}

void EntryList::readAll()
{
    while (!isComplete())
        append(readMore(std::numeric_limits<int>::max()));
}

EntryList::~EntryList() = default;

SqlCondition EntryList::condition(const EntryQuery &query)
{
    SqlCondition c{QStringLiteral("muluID=?"), {query.accountSet}};
    if (query.search) {
        const SqlCondition terms = Ledger::searchCondition(*query.search);
        c.text += terms.text.isEmpty() ? QStringLiteral(" and 0") : QStringLiteral(" and ") + terms.text;
        c.values += terms.values;
    } else {
        const LedgerSpan span = LedgerSpan::forKey(query.nodeKey);
        switch (span.kind) {
        case LedgerSpan::All:
            break;
        case LedgerSpan::Newest:
            c.text += QStringLiteral(" and id in (select id from jizhang indexed by jizhang_muluID_data "
                                     "where muluID=? order by data desc, id desc limit 100)");
            c.values << query.accountSet;
            break;
        case LedgerSpan::Period:
            c.text += QStringLiteral(" and ") + span.period.text;
            c.values += span.period.values;
            break;
        case LedgerSpan::Nothing:
            c.text += QStringLiteral(" and 0");
            break;
        }
    }
    if (!query.filter.trimmed().isEmpty()) {
        // Only the start of each field is looked at: a summary of megabytes (pasted by
        // mistake, or written by another program) would otherwise be lowered and searched
        // whole on every key typed.
        c.text += QStringLiteral(" and (instr(lower(substr(t2, 1, %1)), ?) > 0 or instr(lower(substr(content, 1, %1)), ?) > 0 "
                                 "or instr(lower(substr(t3, 1, %1)), ?) > 0 or instr(lower(substr(t4, 1, %1)), ?) > 0)")
                      .arg(FilteredLength);
        const QString text = asciiLower(query.filter.trimmed());
        c.values << text << text << text << text;
    }
    return c;
}

QString EntryList::order(const EntryQuery &query)
{
    const bool descending = query.sortOrder == Qt::DescendingOrder;
    const QString direction = descending ? QStringLiteral(" desc") : QStringLiteral(" asc");
    switch (isSortable(query.sortColumn) ? query.sortColumn : -1) {
    case -1:
        return query.search ? QStringLiteral("id desc") : QStringLiteral("data desc, id desc");
    case 3:
    case 4:
        // The kind whose column is sorted comes first; the other kind's cells are empty.
        return IsIncome + (query.sortColumn == 3 ? QStringLiteral(" desc, ") : QStringLiteral(" asc, ")) +
               AmountKey + QStringLiteral(" is null, ") + AmountKey + direction + QStringLiteral(", id") + direction;
    default: {
        const SortKey key = *sortKey(query.sortColumn);
        return key.expression + direction + (key.tie.isEmpty() ? QString() : QStringLiteral(", ") + key.tie + direction) +
               QStringLiteral(", id") + direction;
    }
    }
}

// Reads the ids of the list (or of one part of it) in order, with their totals.
void EntryList::readIds(const SqlCondition &part, Batch &batch)
{
    SqlCondition c = condition(query_);
    if (!part.text.isEmpty()) {
        c.text += QStringLiteral(" and ") + part.text;
        c.values += part.values;
    }
    // A list of the newest hundred looks its rows up by id (left to itself, the engine
    // would walk the account set's whole date index for the order it already has); every
    // other one is the account set's rows, walked in the date index rather than an index
    // of another column.
    const bool newest = !query_.search && LedgerSpan::forKey(query_.nodeKey).kind == LedgerSpan::Newest;
    const QString hint = newest ? QStringLiteral(" not indexed") : QStringLiteral(" indexed by jizhang_muluID_data");
    Statement st = data_.query(QStringLiteral("select id, t1, t5 from jizhang") + hint + QStringLiteral(" where ") +
                                   c.text + QStringLiteral(" order by ") + order(query_),
                               c.values);
    const std::string_view income = "收入";
    while (st.step()) {
        batch.ids.push_back(st.integer(0));
        if (std::optional<Money> amount = Money::fromStored(st.utf8(2)))
            (st.utf8(1) == income ? batch.totals.income : batch.totals.expense) += *amount;
    }
    batch.totals.count = int(batch.ids.size());
}

void EntryList::makeSegments()
{
    const SqlCondition base = condition(query_);
    totals_ = MonthTotals(data_).all(query_.accountSet);
    count_ = totals_.count;

    const bool descending = query_.sortColumn < 0 || query_.sortOrder == Qt::DescendingOrder;
    SortKey key = sortKey(query_.sortColumn < 0 ? 0 : query_.sortColumn).value();
    // An index the file does not have yet (it is being built) leaves the order to the
    // engine: slower, but the list is there.
    const QString hint = data_.indexHint(key.index);
    auto countOf = [&](const QString &extra, const QVariantList &values) {
        Statement st = data_.query(QStringLiteral("select count(*) from jizhang") + hint +
                                       QStringLiteral(" where ") + base.text + extra,
                                   base.values + values);
        return st.step() ? int(st.integer(0)) : 0;
    };

    // Groups of rows in the order they are listed, each with its count: by amount, the
    // sorted kind first and the other kind (whose cells are empty) after it.
    struct Group {
        QString condition;
        int count;
    };
    std::vector<Group> groups;
    if (query_.sortColumn == 3 || query_.sortColumn == 4) {
        const int incomes = countOf(QStringLiteral(" and ") + IsIncome + QStringLiteral("=1"), {});
        const Group income{QStringLiteral(" and ") + IsIncome + QStringLiteral("=1"), incomes};
        const Group expense{QStringLiteral(" and ") + IsIncome + QStringLiteral("=0"), count_ - incomes};
        groups = query_.sortColumn == 3 ? std::vector<Group>{income, expense} : std::vector<Group>{expense, income};
    } else {
        groups.push_back({QString(), count_});
    }

    // Within a group, rows without a key come first in ascending order and last in
    // descending order, as SQLite orders NULL (amounts that are no number always last).
    // They go by id alone, or by the tie and then id when the key has one, the rows
    // without a tie first again.
    int position = 0;
    auto segment = [&](const QString &condition, const QString &sortBy, const QString &tie, int count) {
        Segment s;
        s.condition = base.text + condition;
        s.values = base.values;
        s.indexedBy = hint;
        s.key = sortBy;
        s.tie = tie;
        s.numeric = key.numeric && sortBy == key.expression;
        s.descending = descending;
        s.count = std::max(count, 0);
        return s;
    };
    for (const Group &group : groups) {
        const QString isNull = group.condition + QStringLiteral(" and ") + key.expression + QStringLiteral(" IS NULL");
        const int nulls = countOf(isNull, {});
        std::vector<Segment> parts;  // in ascending order
        if (key.tie.isEmpty()) {
            parts.push_back(segment(isNull, {}, {}, nulls));
        } else {
            const QString neither = isNull + QStringLiteral(" and ") + key.tie + QStringLiteral(" IS NULL");
            const int untied = nulls > 0 ? countOf(neither, {}) : 0;
            parts.push_back(segment(neither, {}, {}, untied));
            parts.push_back(segment(isNull + QStringLiteral(" and ") + key.tie + QStringLiteral(" IS NOT NULL"),
                                    key.tie, {}, nulls - untied));
        }
        parts.push_back(segment(group.condition + QStringLiteral(" and ") + key.expression +
                                    QStringLiteral(" IS NOT NULL"),
                                key.expression, key.tie, group.count - nulls));
        if (key.numeric)
            std::rotate(parts.begin(), parts.end() - 1, parts.end());
        else if (descending)
            std::reverse(parts.begin(), parts.end());
        for (Segment &s : parts) {
            if (s.count == 0)
                continue;
            s.first = position;
            position += s.count;
            segments_.push_back(std::move(s));
        }
    }
}

std::vector<LedgerEntry> EntryList::entries(int first, int n)
{
    std::vector<LedgerEntry> result;
    first = std::max(first, 0);
    n = std::min(n, count_ - first);
    if (n <= 0)
        return result;
    if (!keyset_) {
        return byIds(std::vector<qint64>(ids_.begin() + first, ids_.begin() + first + n));
    }
    for (Segment &segment : segments_) {
        const int end = segment.first + segment.count;
        if (first >= end || first + n <= segment.first)
            continue;
        const int from = std::max(first, segment.first);
        const int until = std::min(first + n, end);
        std::vector<LedgerEntry> part = fromSegment(segment, from - segment.first, until - from);
        result.insert(result.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    return result;
}

std::vector<LedgerEntry> EntryList::byIds(const std::vector<qint64> &ids)
{
    std::vector<LedgerEntry> result;
    result.reserve(ids.size());
    constexpr size_t Chunk = 500;
    for (size_t start = 0; start < ids.size(); start += Chunk) {
        const size_t end = std::min(ids.size(), start + Chunk);
        QString marks;
        QVariantList values;
        for (size_t i = start; i < end; ++i) {
            marks += i == start ? QStringLiteral("?") : QStringLiteral(",?");
            values << ids[i];
        }
        std::unordered_map<qint64, LedgerEntry> found;
        Statement st = data_.query(QStringLiteral("select ") + EntryColumns +
                                       QStringLiteral(" from jizhang where id in (") + marks + u')',
                                   values);
        while (st.step()) {
            LedgerEntry e = entryAt(st, 0);
            found.emplace(e.id, std::move(e));
        }
        for (size_t i = start; i < end; ++i) {
            auto it = found.find(ids[i]);
            // An entry deleted meanwhile by another program keeps its place, empty.
            result.push_back(it != found.end() ? std::move(it->second) : LedgerEntry{ids[i], {}, {}, {}, {}, {}, {}, {}});
        }
    }
    return result;
}

// Reads rows [from, from + n) of a segment: after the last row read when that is where the
// previous read stopped, else from an anchor found by an offset into the index, counted
// from whichever end of the segment is nearer. An anchor is a row's key, tie and id.
std::vector<LedgerEntry> EntryList::fromSegment(Segment &s, int from, int n)
{
    const bool keyed = !s.key.isEmpty();
    const bool tied = keyed && !s.tie.isEmpty();
    const int lead = tied ? 2 : 1;  // the columns before the entry's own
    const QString leading = !keyed ? QStringLiteral("id") : tied ? s.key + QStringLiteral(", ") + s.tie : s.key;
    const QString select = QStringLiteral("select ") + leading + u',' + EntryColumns + QStringLiteral(" from jizhang") +
                           s.indexedBy + QStringLiteral(" where ") + s.condition;
    auto orderBy = [&](const QString &dir) {
        return (keyed ? s.key + dir + QStringLiteral(", ") : QString()) + (tied ? s.tie + dir + QStringLiteral(", ") : QString()) +
               QStringLiteral("id") + dir;
    };
    struct Anchor {
        QVariant key, tie;  // a tie that is NULL is no QVariant
        qint64 id = -1;
    };
    auto anchorOf = [&](const Statement &st, int idColumn) {
        return Anchor{s.numeric ? QVariant(st.real(0)) : QVariant(st.text(0)),
                      tied && !st.isNull(1) ? QVariant(st.text(1)) : QVariant(), st.integer(idColumn)};
    };

    // The rows after (or, reading backwards, before) an anchor, up to `limit` of them.
    auto read = [&](bool forward, const Anchor &after, bool inclusive, int limit) {
        const bool ascending = forward != s.descending;
        const QString dir = ascending ? QStringLiteral(" asc") : QStringLiteral(" desc");
        const QString idOp = ascending ? (inclusive ? QStringLiteral(">=") : QStringLiteral(">"))
                                       : (inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
        const QString keyOp = ascending ? QStringLiteral(">") : QStringLiteral("<");
        std::vector<std::pair<Anchor, LedgerEntry>> rows;
        auto run = [&](const QString &extra, const QVariantList &values, const QString &order) {
            if (int(rows.size()) >= limit)
                return;
            Statement st = data_.query(select + extra + QStringLiteral(" order by ") + order +
                                           QStringLiteral(" limit ") + QString::number(limit - int(rows.size())),
                                       s.values + values);
            while (st.step())
                rows.emplace_back(anchorOf(st, lead), entryAt(st, lead));
        };
        const QString sameKey = QStringLiteral(" and ") + s.key + QStringLiteral("=?");
        const QString byId = QStringLiteral("id") + dir;
        if (!keyed) {
            run(QStringLiteral(" and id") + idOp + u'?', {after.id}, byId);
        } else if (!after.key.isValid()) {
            run(QString(), {}, orderBy(dir));
        } else {
            if (!tied) {
                run(sameKey + QStringLiteral(" and id") + idOp + u'?', {after.key, after.id}, byId);
            } else if (!after.tie.isValid()) {
                // Rows without a tie come first among their key's ascending, last descending.
                run(sameKey + QStringLiteral(" and ") + s.tie + QStringLiteral(" IS NULL and id") + idOp + u'?',
                    {after.key, after.id}, byId);
                if (ascending)
                    run(sameKey + QStringLiteral(" and ") + s.tie + QStringLiteral(" IS NOT NULL"), {after.key},
                        s.tie + dir + QStringLiteral(", ") + byId);
            } else {
                run(sameKey + QStringLiteral(" and ") + s.tie + QStringLiteral("=? and id") + idOp + u'?',
                    {after.key, after.tie, after.id}, byId);
                run(sameKey + QStringLiteral(" and ") + s.tie + keyOp + u'?', {after.key, after.tie},
                    s.tie + dir + QStringLiteral(", ") + byId);
                if (!ascending)
                    run(sameKey + QStringLiteral(" and ") + s.tie + QStringLiteral(" IS NULL"), {after.key}, byId);
            }
            run(QStringLiteral(" and ") + s.key + keyOp + u'?', {after.key}, orderBy(dir));
        }
        return rows;
    };
    auto anchorAt = [&](bool forward, int offset) {
        const bool ascending = forward != s.descending;
        Statement st = data_.query(QStringLiteral("select ") + leading + QStringLiteral(", id from jizhang") +
                                       s.indexedBy + QStringLiteral(" where ") + s.condition +
                                       QStringLiteral(" order by ") +
                                       orderBy(ascending ? QStringLiteral(" asc") : QStringLiteral(" desc")) +
                                       QStringLiteral(" limit 1 offset ") + QString::number(offset),
                                   s.values);
        return st.step() ? anchorOf(st, lead) : Anchor{};
    };

    std::vector<std::pair<Anchor, LedgerEntry>> rows;
    if (from == s.next) {
        rows = read(true, Anchor{s.lastKey, s.lastTie, s.lastId}, false, n);
    } else if (from == 0) {
        const qint64 start = keyed ? 0 : (s.descending ? std::numeric_limits<qint64>::max() : 0);
        rows = read(true, Anchor{QVariant(), QVariant(), start}, !keyed, n);
    } else {
        const int last = from + n - 1;
        if (from <= s.count - 1 - last) {
            const Anchor anchor = anchorAt(true, from);
            if (anchor.id >= 0)
                rows = read(true, anchor, true, n);
        } else {
            const Anchor anchor = anchorAt(false, s.count - 1 - last);
            if (anchor.id >= 0) {
                rows = read(false, anchor, true, n);
                std::reverse(rows.begin(), rows.end());
            }
        }
    }

    std::vector<LedgerEntry> result;
    result.reserve(rows.size());
    for (auto &[anchor, entry] : rows) {
        s.lastKey = anchor.key;
        s.lastTie = anchor.tie;
        s.lastId = entry.id;
        result.push_back(std::move(entry));
    }
    s.next = result.empty() ? -1 : from + int(result.size());
    return result;
}

void EntryList::forEach(const std::function<bool(const LedgerEntry &)> &each, int pageSize)
{
    readAll();
    for (int first = 0; first < count_; first += pageSize)
        for (const LedgerEntry &e : entries(first, pageSize))
            if (!each(e))
                return;
}

bool EntryList::remove(int position, const LedgerEntry &entry)
{
    if (position < 0 || position >= count_)
        return false;
    if (std::optional<Money> amount = Money::fromStored(entry.amount))
        (entry.kind == Ledger::incomeKind() ? totals_.income : totals_.expense) -= *amount;
    --count_;
    totals_.count = count_;
    if (!keyset_) {
        ids_.erase(ids_.begin() + position);
        return true;
    }
    for (Segment &s : segments_) {
        if (position >= s.first + s.count) {
            continue;
        } else if (position >= s.first) {
            --s.count;
            s.next = -1;  // the rows after it moved up by one
        } else {
            --s.first;
        }
    }
    return true;
}
