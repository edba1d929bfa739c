// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/ledger.h"
#include "core/dates.h"
#include "core/password_hash.h"
#include "core/time_keys.h"

#include "ledger/entry_list.h"
#include "ledger/month_totals.h"
#include "ledger/recycle_bin.h"
#include "store/data_file.h"
#include "store/entry_batch.h"
#include "ui/formats.h"

#include <QByteArray>
#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <string>

namespace {

const QString EntryColumns = QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang ");

} // namespace

LedgerSpan LedgerSpan::forKey(const QString &key)
{
    if (key.isEmpty() || key == QLatin1String("0_"))
        return {All, {}};
    if (key == QLatin1String("100"))
        return {Newest, {}};
    static const QRegularExpression year(QStringLiteral(R"(^(\d{4})_$)"));
    static const QRegularExpression month(QStringLiteral(R"(^(\d{4})_(\d{1,2})_$)"));
    if (auto m = year.match(key); m.hasMatch()) {
        const int first = Dates::monthIndex(m.captured(1).toInt(), 1);
        if (first >= Dates::FirstMonth)
            // Between its first and its last month lie texts of no month ("2008-1-5").
            return {Period,
                    {QStringLiteral("data >= ? and data < ? and ") + Dates::monthKeySql(QStringLiteral("data")) +
                         QStringLiteral(" <> ''"),
                     {Dates::monthKey(first), Dates::monthEnd(first + 11)}}};
    }
    if (auto m = month.match(key); m.hasMatch()) {
        const int number = m.captured(2).toInt();
        const int index = Dates::monthIndex(m.captured(1).toInt(), number);
        if (number >= 1 && number <= 12 && index >= Dates::FirstMonth)
            return {Period, {QStringLiteral("data >= ? and data < ?"), {Dates::monthKey(index), Dates::monthEnd(index)}}};
    }
    return {Nothing, {}};
}

QList<RecordColumn> Ledger::columns()
{
    // The whole of a date and of an amount such as 12345678.99 fit; amounts are right-aligned.
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{QStringLiteral("日  期"), 1800, QStringLiteral("2008年01月05日")},
            {QStringLiteral("id"), 0},
            {QStringLiteral("项目"), 1500},
            {QStringLiteral("收入"), 1200, QStringLiteral("12345678.99"), right},
            {QStringLiteral("支出"), 1200, QStringLiteral("12345678.99"), right},
            {QStringLiteral("收支方式"), 1000},
            {QStringLiteral("经手人"), 1000},
            {QStringLiteral("摘要"), 4000}};
}

LedgerPage Ledger::page(const EntryQuery &query)
{
    LedgerPage page;
    EntryList list(data_, query);
    page.totals = list.totals();
    page.rows.reserve(size_t(list.count()));
    list.forEach([&](const LedgerEntry &e) {
        page.rows.push_back(listedRow(e));
        return true;
    });
    return page;
}

LedgerPage Ledger::LoadData(const QString &key, int accountSet)
{
    EntryQuery query;
    query.accountSet = accountSet;
    query.nodeKey = key;
    return page(query);
}

std::vector<LedgerMonth> Ledger::months(int accountSet)
{
    std::vector<LedgerMonth> result;
    for (const DateSpan &span : MonthTotals(data_).spans(accountSet))
        if (span.month >= 0)
            result.push_back({Dates::yearOf(span.month), Dates::monthOfYear(span.month)});
    return result;
}

Ledger::Choices Ledger::searchChoices()
{
    Choices choices;
    Statement people = data_.query(QStringLiteral(
        "select class, content from mulu where class='经手人' or class='收支方式' order by id asc"));
    while (people.step())
        (people.text(0) == QStringLiteral("经手人") ? choices.handlers : choices.methods) << people.text(1);
    Statement items = data_.query(
        QStringLiteral("select parent, content from mulu where parent ='e1_' or parent ='e7_' order by id asc"));
    while (items.step())
        (items.text(0) == QLatin1String("e1_") ? choices.incomeItems : choices.expenseItems) << items.text(1);
    return choices;
}

QString Ledger::countPanel(int count) { return QStringLiteral("共：%1 条记录").arg(count); }

LedgerPanels Ledger::listPanels(const LedgerTotals &totals)
{
    return {countPanel(totals.count), QStringLiteral("收入：%1 元").arg(totals.income.plain()),
            QStringLiteral("支出：%1 元").arg(totals.expense.plain()),
            QStringLiteral("收支结余：%1 元").arg((totals.income - totals.expense).fixed(3))};
}

QString Ledger::yearKey(int year) { return QStringLiteral("%1_").arg(year); }

QString Ledger::monthKey(int year, int month) { return QStringLiteral("%1_%2_").arg(year).arg(month); }

QString Ledger::yearCaption(int year) { return QStringLiteral("%1年").arg(year); }

QString Ledger::monthCaption(int month) { return QStringLiteral("%1月").arg(month, 2, 10, QLatin1Char('0')); }

LedgerPanels Ledger::deletePanels(const LedgerTotals &totals)
{
    return {countPanel(totals.count), QStringLiteral("收入：%1 元").arg(totals.income.fixed(3)),
            QStringLiteral("支出：%1 元").arg(totals.expense.fixed(3)),
            QStringLiteral("收支结余：%1 元").arg((totals.income - totals.expense).plain())};
}

LedgerPanels Ledger::searchPanels(const LedgerTotals &totals)
{
    return {countPanel(totals.count), QStringLiteral("收入：%1 元").arg(totals.income.fixed(3)),
            QStringLiteral("支出：%1 元").arg(totals.expense.fixed(3)),
            QStringLiteral("收支结余：%1 元").arg((totals.income - totals.expense).fixed(3))};
}

Ledger::EditorChoices Ledger::editorChoices()
{
    EditorChoices choices;
    Statement kinds = data_.query(
        QStringLiteral("select content from mulu where class='收支项目' and parent='0' order by id asc"));
    while (kinds.step())
        choices.kinds << kinds.text(0);
    Statement others = data_.query(QStringLiteral(
        "select class, content from mulu where class='收支方式' or class='经手人' order by id asc"));
    while (others.step())
        (others.text(0) == QStringLiteral("收支方式") ? choices.methods : choices.handlers) << others.text(1);
    return choices;
}

QStringList Ledger::items(const QString &kind)
{
    // Every kind but income takes the expense items.
    const QString parent = kind == incomeKind() ? QStringLiteral("e1_") : QStringLiteral("e7_");
    return data_.texts(QStringLiteral("select content from mulu where parent=? order by id asc"), {parent});
}

bool Ledger::keepItem(const QString &kind, const QString &item, const QDateTime &now)
{
    const QString text = Formats::withoutNul(item);
    if (text.trimmed().isEmpty())
        return false;
    QString parent;
    {
        Statement root = data_.query(QStringLiteral("select key_1 from mulu where class='收支项目' and parent='0' "
                                                    "and content=? order by id asc limit 1"),
                                     {kind});
        if (!root.step())
            return false;
        parent = root.text(0);
        Statement known =
            data_.query(QStringLiteral("select 1 from mulu where parent=? and content=? limit 1"), {parent, text});
        if (known.step())
            return false;
    }
    // A key like those the catalogue manager gives its items.
    const QString key = TimeKeys::make(QStringLiteral("e"), now, [this](const QString &candidate) {
        Statement st = data_.query(QStringLiteral("select 1 from mulu where key_1=? limit 1"), {candidate});
        return st.step();
    });
    data_.insert(QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, ?, '收支项目', ?)"),
                 {key, parent, text});
    return true;
}

std::optional<LedgerEntry> Ledger::entry(qint64 id)
{
    Statement st = data_.query(EntryColumns + QStringLiteral("where id=?"), {id});
    if (!st.step())
        return std::nullopt;
    return LedgerEntry{st.integer(0), st.text(1), st.text(2), st.text(3), st.text(4),
                       st.text(5),    st.text(6), st.text(7)};
}

QVariantList Ledger::storedFields(const LedgerEntry &e)
{
    using Formats::withoutNul;
    return {withoutNul(e.date),   withoutNul(e.kind),   withoutNul(e.item),   withoutNul(e.method),
            withoutNul(e.handler), withoutNul(e.amount), withoutNul(e.summary)};
}

qint64 Ledger::addEntry(const LedgerEntry &e, int accountSet)
{
    return data_.insert(QStringLiteral("insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) "
                                       "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                        storedFields(e) << accountSet);
}

bool Ledger::updateEntry(const LedgerEntry &e)
{
    return data_.exec(QStringLiteral("update jizhang set data=?,t1=?,t2=?,t3=?,t4=?,t5=?,content=? where id=?"),
                      storedFields(e) << e.id) > 0;
}

RecordRow Ledger::listedRow(const LedgerEntry &e) { return row(e, Formats::firstLine(e.summary)); }

RecordRow Ledger::listRow(const LedgerEntry &e) { return row(e, Formats::fromStoredText(e.summary)); }

RecordRow Ledger::row(const LedgerEntry &e, const QString &summary)
{
    const bool income = e.kind == incomeKind();
    const QString id = QString::number(e.id);
    const QString date = Dates::listDate(e.date);
    return RecordRow({date, id, e.item, income ? QStringView(e.amount) : QStringView(),
                      income ? QStringView() : QStringView(e.amount), e.method, e.handler, summary},
                     income ? 5 : 6);
}

bool Ledger::deleteEntry(qint64 id)
{
    // Into the recycle bin, from where it can come back.
    return RecycleBin(data_).discard(id);
}

bool Ledger::passwordMatches(const QString &userName, const QString &password)
{
    // A password never set counts as the empty password.
    Statement st = data_.query(QStringLiteral("select ifnull(密码,'') from user where 用户名=?"), {userName});
    while (st.step())
        if (PasswordHash::matches(st.text(0), password))
            return true;
    return false;
}

int Ledger::deleteAll(int accountSet)
{
    return RecycleBin(data_).discardAll(accountSet);
}

SqlCondition Ledger::searchCondition(const SearchRequest &r)
{
    SqlCondition condition;
    auto add = [&](bool ticked, const QString &term, const QVariantList &values) {
        if (!ticked)
            return;
        if (!condition.text.isEmpty())
            condition.text += QStringLiteral(" and ");
        condition.text += term;
        condition.values += values;
    };
    add(r.byDate, QStringLiteral("(data BETWEEN ? AND ?)"), {Dates::storedDate(r.from), Dates::storedDate(r.to)});
    add(r.byIncomeItem, QStringLiteral("t2=?"), {r.incomeItem});
    add(r.byExpenseItem, QStringLiteral("t2=?"), {r.expenseItem});
    add(r.byHandler, QStringLiteral("t4=?"), {r.handler});
    add(r.byMethod, QStringLiteral("t3=?"), {r.method});
    add(r.bySummary, QStringLiteral("content like ?"), {QString(u'%' + r.summary + u'%')});
    return condition;
}

QString Ledger::searchCaption(const SearchRequest &r)
{
    QStringList terms;
    if (r.byDate)
        terms << Dates::storedDate(r.from) + QStringLiteral(" 至 ") + Dates::storedDate(r.to);
    if (r.byIncomeItem)
        terms << QStringLiteral("收入项目：") + r.incomeItem;
    if (r.byExpenseItem)
        terms << QStringLiteral("支出项目：") + r.expenseItem;
    if (r.byHandler)
        terms << QStringLiteral("经手人：") + r.handler;
    if (r.byMethod)
        terms << QStringLiteral("收支方式：") + r.method;
    if (r.bySummary)
        terms << QStringLiteral("摘要含“") + r.summary + QStringLiteral("”");
    return terms.isEmpty() ? QStringLiteral("统计查询") : QStringLiteral("统计查询：") + terms.join(QStringLiteral("，"));
}

QString Ledger::accountSetName(int accountSet)
{
    Statement st = data_.query(QStringLiteral("select content from mulu where id=? and class='账套'"), {accountSet});
    return st.step() ? st.text(0) : QString();
}

LedgerPage Ledger::search(const SearchRequest &request, int accountSet)
{
    if (!request.anyTicked())
        return {};
    EntryQuery query;
    query.accountSet = accountSet;
    query.search = request;
    return page(query);
}

FinanceFigures Ledger::financeSummary(int accountSet)
{
    FinanceFigures figures;
    Statement st = data_.query(
        QStringLiteral("select t1, count(*), money_total(t5) from jizhang where muluID=? group by t1"), {accountSet});
    const std::string_view income = "收入";
    while (st.step()) {
        const Money sum = Money::fromStored(st.utf8(2)).value_or(Money());
        if (st.utf8(0) == income) {
            figures.incomeCount += st.integer(1);
            figures.income += sum;
        } else {
            figures.expenseCount += st.integer(1);
            figures.expense += sum;
        }
    }
    return figures;
}

std::vector<ImportRow> Ledger::parseImport(const QString &text)
{
    // Spreadsheets put CR LF after every row, the last one included; a clipboard with
    // bare line feeds (as some programs on Linux give it) is split at those instead.
    const QString lineBreak = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QStringList lines = text.split(lineBreak);
    std::vector<ImportRow> rows;
    rows.reserve(size_t(std::max<qsizetype>(lines.size() - 1, 0)));
    // The piece after the last line break is never a row.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        auto cell = [&](int n) { return n < cells.size() ? cells[n] : QString(); };
        ImportRow row;
        row.number = int(rows.size()) + 1;
        const std::optional<QDate> date = Dates::readDate(cell(0));
        row.date = date ? Dates::storedDate(*date) : cell(0);
        row.item = cell(1);
        row.income = cell(2);
        row.expense = cell(3);
        row.method = cell(4);
        row.handler = cell(5);
        row.summary = cell(6);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<QString> Ledger::importAmount(const QString &text)
{
    return Money::storedText(text, true);
}

ImportReport Ledger::importRows(const std::vector<ImportRow> &rows, int accountSet,
                                const std::function<void(int, int)> &progress)
{
    ImportReport report;
    std::vector<LedgerEntry> entries;
    entries.reserve(rows.size());
    int checked = 0;
    for (const ImportRow &row : rows) {
        // Reading a hundred thousand rows takes a while too: the window keeps painting.
        if (++checked % 2000 == 0 && progress)
            progress(0, 0);
        const bool blank = row.date.trimmed().isEmpty() && row.item.trimmed().isEmpty() &&
                           row.income.trimmed().isEmpty() && row.expense.trimmed().isEmpty() &&
                           row.method.trimmed().isEmpty() && row.handler.trimmed().isEmpty() &&
                           row.summary.trimmed().isEmpty();
        if (blank)
            continue;  // an empty line of the pasted block: nothing to store
        const std::optional<QDate> date = Dates::readDate(row.date);
        if (!date || !Dates::isEntryDay(*date)) {
            report.badDate << row.number;
            continue;
        }
        const bool income = !row.income.trimmed().isEmpty();
        const std::optional<QString> amount = importAmount(income ? row.income : row.expense);
        if (!amount) {
            report.badAmount << row.number;
            continue;
        }
        entries.push_back({0, Dates::storedDate(*date), income ? incomeKind() : QStringLiteral("支出"),
                           Formats::withoutNul(row.item), Formats::withoutNul(row.method),
                           Formats::withoutNul(row.handler), *amount, Formats::toStoredText(row.summary)});
    }
    if (entries.empty())
        return report;

    constexpr int Chunk = 200;
    const int total = int(entries.size());
    DataFile::Transaction transaction(data_);
    EntryBatch batch(data_);  // the kept sums marked once for all the rows
    int done = 0;
    for (const LedgerEntry &e : entries) {
        batch.add({e.date, e.kind, e.item, e.method, e.handler, e.amount, e.summary, accountSet});
        if (++done % Chunk == 0 && progress)
            progress(done, total);
    }
    batch.finish();
    transaction.commit();
    report.stored = done;
    if (progress)
        progress(done, total);
    return report;
}
