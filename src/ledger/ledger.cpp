#include "ledger/ledger.h"

#include "store/data_file.h"
#include "ui/formats.h"

#include <QByteArray>
#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <string>

namespace {

const QString EntryColumns = QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang ");

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "yyyy-mm-dd" (and longer texts that start with it).
bool isStoredDate(std::string_view d)
{
    return d.size() >= 10 && d[4] == '-' && d[7] == '-' && isDigit(d[0]) && isDigit(d[1]) && isDigit(d[2]) &&
           isDigit(d[3]) && isDigit(d[5]) && isDigit(d[6]) && isDigit(d[8]) && isDigit(d[9]);
}

std::string_view firstLineUtf8(std::string_view text)
{
    size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

constexpr char Separator = char(0x1F);
static_assert(RecordRow::Separator.unicode() == 0x1F);

void appendCell(std::string &row, std::string_view cell)
{
    row += Separator;
    const size_t start = row.size();
    row += cell;
    if (cell.find(Separator) != std::string_view::npos)
        std::replace(row.begin() + qsizetype(start), row.end(), Separator, ' ');
}

} // namespace

LedgerSpan LedgerSpan::forKey(const QString &key)
{
    if (key.isEmpty() || key == QLatin1String("0_"))
        return {All, {}, {}};
    if (key == QLatin1String("100"))
        return {Newest, {}, {}};
    static const QRegularExpression year(QStringLiteral(R"(^(\d{4})_$)"));
    static const QRegularExpression month(QStringLiteral(R"(^(\d{4})_(\d{1,2})_$)"));
    if (auto m = year.match(key); m.hasMatch()) {
        QDate first(m.captured(1).toInt(), 1, 1);
        return {Period, Formats::storedDate(first), Formats::storedDate(first.addYears(1))};
    }
    if (auto m = month.match(key); m.hasMatch()) {
        QDate first(m.captured(1).toInt(), m.captured(2).toInt(), 1);
        if (first.isValid())
            return {Period, Formats::storedDate(first), Formats::storedDate(first.addMonths(1))};
    }
    return {Nothing, {}, {}};
}

QList<RecordColumn> Ledger::columns()
{
    return {{QStringLiteral("日  期"), 1800}, {QStringLiteral("id"), 0},       {QStringLiteral("项目"), 1500},
            {QStringLiteral("收入"), 1200},   {QStringLiteral("支出"), 1200},   {QStringLiteral("收支方式"), 1000},
            {QStringLiteral("经手人"), 1000}, {QStringLiteral("摘要"), 4000}};
}

LedgerPage Ledger::LoadData(const QString &key, int accountSet)
{
    LedgerPage page;
    const LedgerSpan span = LedgerSpan::forKey(key);
    QString sql;
    QVariantList values{accountSet};
    switch (span.kind) {
    case LedgerSpan::All:
        sql = EntryColumns + QStringLiteral("where muluID=? order by data desc, id desc");
        break;
    case LedgerSpan::Newest:
        sql = EntryColumns + QStringLiteral("where muluID=? order by data desc, id desc limit 100");
        break;
    case LedgerSpan::Period:
        sql = EntryColumns + QStringLiteral("where muluID=? and data >= ? and data < ? order by data desc, id desc");
        values << span.from << span.until;
        break;
    case LedgerSpan::Nothing:
        return page;
    }

    Statement st = data_.query(sql, values);
    const std::string_view income = "收入";
    std::string row;
    row.reserve(256);
    while (st.step()) {
        const std::string_view date = st.utf8(1);
        const bool isIncome = st.utf8(2) == income;
        const std::string_view amount = st.utf8(6);

        // Build the row's cells as UTF-8 and convert once.
        row.clear();
        if (isStoredDate(date)) {
            row.append(date.data(), 4).append("年").append(date.data() + 5, 2).append("月")
                .append(date.data() + 8, 2).append("日");
        } else {
            row.append(Formats::listDate(QString::fromUtf8(date.data(), qsizetype(date.size()))).toStdString());
        }
        appendCell(row, st.utf8(0));
        appendCell(row, st.utf8(3));
        appendCell(row, isIncome ? amount : std::string_view());
        appendCell(row, isIncome ? std::string_view() : amount);
        appendCell(row, st.utf8(4));
        appendCell(row, st.utf8(5));
        appendCell(row, firstLineUtf8(st.utf8(7)));
        page.rows.push_back(RecordRow::fromPacked(QString::fromUtf8(row.data(), qsizetype(row.size())), isIncome ? 5 : 6));

        if (auto value = Formats::readAmountUtf8(amount))
            (isIncome ? page.totals.income : page.totals.expense) += *value;
    }
    page.totals.count = int(page.rows.size());
    return page;
}

std::vector<LedgerMonth> Ledger::months(int accountSet)
{
    // One index seek per month instead of a walk over every entry.
    std::vector<LedgerMonth> result;
    Statement next = data_.query(
        QStringLiteral("select data from jizhang where muluID=? and data >= ? order by data limit 1"));
    Statement after = data_.query(
        QStringLiteral("select data from jizhang where muluID=? and data > ? order by data limit 1"));
    QString from;  // the empty text sorts before every date
    bool inclusive = true;
    for (;;) {
        Statement &st = inclusive ? next : after;
        st.reset();
        st.bindAll({accountSet, from});
        if (!st.step())
            break;
        const QString date = st.text(0);
        QDate month;
        if (isStoredDate(date.toStdString()))
            month = QDate(date.left(4).toInt(), date.mid(5, 2).toInt(), 1);
        if (!month.isValid()) {
            // A date not in the stored form has no place in the tree; step past it.
            from = date;
            inclusive = false;
            continue;
        }
        result.push_back({month.year(), month.month()});
        from = Formats::storedDate(month.addMonths(1));
        inclusive = true;
    }
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
    return {countPanel(totals.count), QStringLiteral("收入：%1 元").arg(Formats::plainNumber(totals.income)),
            QStringLiteral("支出：%1 元").arg(Formats::plainNumber(totals.expense)),
            QStringLiteral("收支结余：%1 元").arg(Formats::fixed3(totals.income - totals.expense))};
}

QString Ledger::yearKey(int year) { return QStringLiteral("%1_").arg(year); }

QString Ledger::monthKey(int year, int month) { return QStringLiteral("%1_%2_").arg(year).arg(month); }

QString Ledger::yearCaption(int year) { return QStringLiteral("%1年").arg(year); }

QString Ledger::monthCaption(int month) { return QStringLiteral("%1月").arg(month, 2, 10, QLatin1Char('0')); }
