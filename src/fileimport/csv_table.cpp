// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/csv_table.h"

#include "core/dates.h"
#include "core/money.h"
#include "fileimport/statement_rows.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace {

// A header cell without blanks of any width, so "日  期" reads as "日期".
QString compact(const QString &cell)
{
    QString out;
    out.reserve(cell.size());
    for (QChar c : cell)
        if (!c.isSpace())
            out += c;
    return out;
}

// How many cells each of the first lines has with this separator: the most common count
// and how many lines have it.
std::pair<int, int> consistency(const QString &sample, QChar separator)
{
    const std::vector<Csv::Record> records = Csv::records(sample, separator, true);
    std::map<int, int> counts;
    for (const Csv::Record &r : records)
        ++counts[int(r.values.size())];
    std::pair<int, int> best{1, 0};  // cells, lines
    for (const auto &[cells, lines] : counts)
        if (cells > 1 && (lines > best.second || (lines == best.second && cells > best.first)))
            best = {cells, lines};
    return best;
}


} // namespace

QString ColumnMapping::fieldTitle(ImportField field)
{
    static const char *const titles[] = {"日期", "项目",     "收入",     "支出",    "收支方式", "经手人",
                                         "摘要", "金额",     "收/支",    "交易状态", "交易对方", "交易类型"};
    return QString::fromUtf8(titles[int(field)]);
}

QString ColumnMapping::toText() const
{
    QStringList parts;
    for (int c : columns)
        parts << QString::number(c);
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(header ? 1 : 0)
        .arg(parts.join(u','))
        .arg(headerLine)
        .arg(int(dateOrder))
        .arg(positiveIsExpense ? 1 : 0);
}

std::optional<ColumnMapping> ColumnMapping::fromText(const QString &text)
{
    // "h|c,c,...": the eight columns of earlier versions; "h|c,...|line|order|sign" now.
    const QStringList parts = text.split(u'|');
    if ((parts.size() != 2 && parts.size() != 5) || (parts[0] != QLatin1String("0") && parts[0] != QLatin1String("1")))
        return std::nullopt;
    const QStringList cells = parts[1].split(u',');
    if (cells.size() != (parts.size() == 2 ? 8 : ImportFieldCount))
        return std::nullopt;
    ColumnMapping mapping;
    mapping.header = parts[0] == QLatin1String("1");
    for (int i = 0; i < cells.size(); ++i) {
        bool ok = false;
        const int c = cells[i].toInt(&ok);
        if (!ok || c < -1)
            return std::nullopt;
        mapping.columns[size_t(i)] = c;
    }
    if (parts.size() == 5) {
        bool lineOk = false, orderOk = false;
        mapping.headerLine = parts[2].toInt(&lineOk);
        const int order = parts[3].toInt(&orderOk);
        if (!lineOk || !orderOk || mapping.headerLine < 0 || order < 0 || order > 2 ||
            (parts[4] != QLatin1String("0") && parts[4] != QLatin1String("1")))
            return std::nullopt;
        mapping.dateOrder = DateOrder(order);
        mapping.positiveIsExpense = parts[4] == QLatin1String("1");
    }
    return mapping;
}

int CsvTable::columnCount() const
{
    int n = 0;
    for (const Csv::Record &r : records)
        n = std::max(n, int(r.values.size()));
    return n;
}

QStringList CsvTable::firstRow() const
{
    if (records.empty())
        return {};
    QStringList cells = records.front().values;
    for (QString &c : cells)
        c = c.trimmed();
    return cells;
}

QStringList CsvTable::rowAt(int index) const
{
    if (index < 0 || size_t(index) >= records.size())
        return {};
    QStringList cells = records[size_t(index)].values;
    for (QString &c : cells)
        c = c.trimmed();
    return cells;
}

QChar CsvTable::detectSeparator(const QString &text)
{
    // The first lines are enough; a value quoted over a cut line costs nothing here.
    qsizetype end = 0;
    for (int lines = 0; lines < 50 && end >= 0 && end < text.size(); ++lines) {
        end = text.indexOf(u'\n', end);
        if (end >= 0)
            ++end;
    }
    const QString sample = end < 0 ? text : text.left(end);
    QChar best = u',';
    std::pair<int, int> bestScore{1, 0};
    for (QChar separator : {QChar(u'\t'), QChar(u','), QChar(u';')}) {
        const std::pair<int, int> score = consistency(sample, separator);
        if (score.second > bestScore.second) {
            best = separator;
            bestScore = score;
        }
    }
    return best;
}

CsvTable CsvTable::fromText(const QString &text) { return fromText(text, detectSeparator(text)); }

CsvTable CsvTable::fromText(const QString &text, QChar separator)
{
    CsvTable table;
    table.separator = separator;
    table.records = Csv::records(text, separator, true);
    table.text = text;
    return table;
}

std::optional<ColumnMapping> CsvTable::headerMapping(const QStringList &cells)
{
    static const QHash<QString, ImportField> titles{
        {QStringLiteral("日期"), ImportField::Date},         {QStringLiteral("项目"), ImportField::Item},
        {QStringLiteral("收入"), ImportField::Income},       {QStringLiteral("支出"), ImportField::Expense},
        {QStringLiteral("收支方式"), ImportField::Method},   {QStringLiteral("经手人"), ImportField::Handler},
        {QStringLiteral("摘要"), ImportField::Summary}};
    ColumnMapping mapping;
    mapping.header = true;
    bool any = false;
    for (int i = 0; i < cells.size(); ++i) {
        const QString title = compact(cells[i]);
        if (title.compare(QLatin1String("No."), Qt::CaseInsensitive) == 0)
            continue;
        const auto found = titles.constFind(title);
        if (found == titles.constEnd() || mapping[*found] >= 0)
            return std::nullopt;
        mapping[*found] = i;
        any = true;
    }
    if (!any)
        return std::nullopt;
    return mapping;
}

ColumnMapping CsvTable::guessMapping(const QStringList &cells)
{
    // The words of each field, tried in this order for every header cell.
    struct Words {
        ImportField field;
        QStringList words;
    };
    static const QList<Words> table{
        {ImportField::Direction, {"收/支", "收支类型", "借贷标志", "借/贷", "借贷", "收付标志", "dr/cr"}},
        {ImportField::Status, {"交易状态", "当前状态", "状态", "status"}},
        {ImportField::Income, {"收入", "存入", "贷方", "credit"}},
        {ImportField::Expense, {"支出", "支取", "借方", "debit"}},
        {ImportField::Date, {"日期", "时间", "date"}},
        {ImportField::Signed, {"金额", "发生额", "amount"}},
        {ImportField::Method, {"收支方式", "支付方式", "渠道"}},
        {ImportField::Handler, {"经手人"}},
        {ImportField::Item, {"项目", "类别", "分类", "category"}},
        {ImportField::Summary, {"摘要", "备注", "用途", "附言", "说明", "对方", "memo", "description", "payee"}},
    };
    ColumnMapping mapping;
    // A first row with a date in it is a row, not a header: guess by what its cells hold.
    const int year = QDate::currentDate().year();
    auto isDate = [&](const QString &c) { return FileRows::readDate(c.trimmed(), DateOrder::Auto, year).has_value(); };
    if (std::any_of(cells.begin(), cells.end(), isDate)) {
        int plainNumber = -1;  // a count or a serial number, unless nothing looks more like money
        for (int i = 0; i < cells.size(); ++i) {
            const QString cell = cells[i].trimmed();
            const bool amount = !FileRows::AmountCells::fromSigned(cell).isText();
            if (mapping[ImportField::Date] < 0 && isDate(cell)) {
                mapping[ImportField::Date] = i;
            } else if (amount) {
                const bool money = cell.contains(u'.') || cell.contains(u',') || cell.startsWith(u'-') ||
                                   cell.startsWith(u'+') || cell.startsWith(u'(');
                if (money && mapping[ImportField::Signed] < 0)
                    mapping[ImportField::Signed] = i;
                else if (plainNumber < 0)
                    plainNumber = i;
            } else if (mapping[ImportField::Summary] < 0 && !cell.isEmpty()) {
                mapping[ImportField::Summary] = i;
            }
        }
        if (mapping[ImportField::Signed] < 0)
            mapping[ImportField::Signed] = plainNumber;
        return mapping;
    }
    mapping.header = true;
    for (int i = 0; i < cells.size(); ++i) {
        const QString cell = compact(cells[i]);
        for (const Words &w : table) {
            if (mapping[w.field] >= 0)
                continue;
            const bool hit = std::any_of(w.words.begin(), w.words.end(),
                                         [&](const QString &word) { return cell.contains(word, Qt::CaseInsensitive); });
            if (hit) {
                mapping[w.field] = i;
                break;
            }
        }
    }
    if (mapping[ImportField::Income] >= 0 || mapping[ImportField::Expense] >= 0)
        mapping[ImportField::Signed] = -1;
    return mapping;
}

namespace {

bool containsAny(const QString &cell, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const char *w) { return cell.contains(QString::fromUtf8(w), Qt::CaseInsensitive); });
}

// A record that is a row already: a date and, elsewhere, an amount.
bool looksLikeRow(const QStringList &cells)
{
    int date = -1;
    for (int i = 0; i < cells.size() && date < 0; ++i)
        if (FileRows::readDate(cells[i], DateOrder::Auto, QDate::currentDate().year()))
            date = i;
    if (date < 0)
        return false;
    for (int i = 0; i < cells.size(); ++i)
        if (i != date && !cells[i].isEmpty() && FileRows::readAmount(cells[i]))
            return true;
    return false;
}

} // namespace

int CsvTable::findHeader() const
{
    constexpr int Searched = 80;
    const int count = int(std::min<size_t>(records.size(), Searched));
    if (count == 0)
        return 0;
    if (looksLikeRow(rowAt(0)))
        return -1;
    for (int r = 0; r < count; ++r) {
        const QStringList cells = rowAt(r);
        if (cells.size() < 2)
            continue;
        bool date = false, amount = false;
        for (const QString &cell : cells) {
            const QString c = compact(cell);
            if (c.size() > 20)
                continue;  // a sentence of the notes, not a column's name
            date = date || containsAny(c, {"日期", "时间", "date", "datum", "fecha"});
            amount = amount || containsAny(c, {"金额", "发生额", "收入", "支出", "存入", "支取", "借方", "贷方",
                                               "amount", "debit", "credit", "betrag", "montant", "valor"});
        }
        if (date && amount)
            return r;
    }
    return 0;
}

ColumnMapping CsvTable::guessMapping(int headerLine) const
{
    if (headerLine < 0) {
        ColumnMapping mapping = guessMapping(rowAt(0));
        mapping.header = false;
        mapping.headerLine = 0;
        return mapping;
    }
    ColumnMapping mapping = guessMapping(rowAt(headerLine));
    mapping.headerLine = headerLine;
    return mapping;
}

QString CsvTable::mappingKey(const QStringList &firstRow, bool header, int columnCount)
{
    if (!header)
        return QStringLiteral("#%1").arg(columnCount);
    QStringList cells = firstRow;
    for (QString &c : cells)
        c = c.trimmed();
    return cells.join(QChar(0x1F));
}

std::vector<FileRow> CsvTable::rows(const ColumnMapping &mapping, const FileRows::Progress &progress,
                                      bool *stopped, std::vector<SkippedLine> *skipped) const
{
    StatementRows::Result result = StatementRows::read(*this, mapping, progress);
    if (stopped)
        *stopped = result.stopped;
    if (skipped)
        *skipped = std::move(result.skipped);
    return std::move(result.rows);
}
