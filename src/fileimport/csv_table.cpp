// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/csv_table.h"

#include "core/dates.h"
#include "core/money.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace {

constexpr ImportField AllFields[] = {ImportField::Date,   ImportField::Item,    ImportField::Income,
                                     ImportField::Expense, ImportField::Method, ImportField::Handler,
                                     ImportField::Summary, ImportField::Signed};

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
    const std::vector<Csv::Record> records = Csv::records(sample, separator);
    std::map<int, int> counts;
    for (const Csv::Record &r : records)
        ++counts[int(r.values.size())];
    std::pair<int, int> best{1, 0};  // cells, lines
    for (const auto &[cells, lines] : counts)
        if (cells > 1 && (lines > best.second || (lines == best.second && cells > best.first)))
            best = {cells, lines};
    return best;
}

bool isZeroAmount(const QString &text)
{
    const std::optional<Money> m = Money::parseGrouped(text);
    return m && m->isZero();
}

} // namespace

QString ColumnMapping::fieldTitle(ImportField field)
{
    static const char *const titles[] = {"日期", "项目", "收入", "支出", "收支方式", "经手人", "摘要", "金额"};
    return QString::fromUtf8(titles[int(field)]);
}

QString ColumnMapping::toText() const
{
    QStringList parts;
    for (int c : columns)
        parts << QString::number(c);
    return (header ? QStringLiteral("1|") : QStringLiteral("0|")) + parts.join(u',');
}

std::optional<ColumnMapping> ColumnMapping::fromText(const QString &text)
{
    const QStringList halves = text.split(u'|');
    if (halves.size() != 2 || (halves[0] != QLatin1String("0") && halves[0] != QLatin1String("1")))
        return std::nullopt;
    const QStringList parts = halves[1].split(u',');
    if (parts.size() != ImportFieldCount)
        return std::nullopt;
    ColumnMapping mapping;
    mapping.header = halves[0] == QLatin1String("1");
    for (int i = 0; i < ImportFieldCount; ++i) {
        bool ok = false;
        const int c = parts[i].toInt(&ok);
        if (!ok || c < -1)
            return std::nullopt;
        mapping.columns[size_t(i)] = c;
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

CsvTable CsvTable::fromText(const QString &text)
{
    CsvTable table;
    table.separator = detectSeparator(text);
    table.records = Csv::records(text, table.separator);
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
    if (std::any_of(cells.begin(), cells.end(), [](const QString &c) { return Dates::readDate(c).has_value(); })) {
        int plainNumber = -1;  // a count or a serial number, unless nothing looks more like money
        for (int i = 0; i < cells.size(); ++i) {
            const QString cell = cells[i].trimmed();
            const bool amount = !FileRows::AmountCells::fromSigned(cell).isText();
            if (mapping[ImportField::Date] < 0 && Dates::readDate(cell)) {
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
                                      bool *stopped) const
{
    if (stopped)
        *stopped = false;
    std::vector<FileRow> result;
    const size_t first = mapping.header ? 1 : 0;
    if (records.size() > first)
        result.reserve(records.size() - first);
    const bool signedAmount = mapping[ImportField::Signed] >= 0;
    const qint64 total = qint64(records.size() - std::min(first, records.size()));
    for (size_t i = first; i < records.size(); ++i) {
        const QStringList &values = records[i].values;
        auto cell = [&](ImportField field) {
            const int c = mapping[field];
            return c >= 0 && c < values.size() ? values[c] : QString();
        };
        // The ledger's own export ends with its totals ("合计", "N 条", ..., "收支结余", ...).
        if (i + 1 == records.size() && cell(ImportField::Date).trimmed() == QStringLiteral("合计") &&
            cell(ImportField::Method).trimmed() == QStringLiteral("收支结余"))
            break;
        FileRow row;
        row.number = int(result.size()) + 1;
        row.date = FileRows::dateCell(cell(ImportField::Date));
        row.item = cell(ImportField::Item);
        if (signedAmount) {
            FileRows::AmountCells amount = FileRows::AmountCells::fromSigned(cell(ImportField::Signed));
            row.income = std::move(amount.income);
            row.expense = std::move(amount.expense);
        } else {
            row.income = cell(ImportField::Income);
            row.expense = cell(ImportField::Expense);
            if (!row.income.trimmed().isEmpty() && !row.expense.trimmed().isEmpty()) {
                const bool zeroIncome = isZeroAmount(row.income);
                const bool zeroExpense = isZeroAmount(row.expense);
                if (zeroIncome && !zeroExpense)
                    row.income.clear();
                else if (zeroExpense && !zeroIncome)
                    row.expense.clear();
            }
        }
        row.method = cell(ImportField::Method);
        row.handler = cell(ImportField::Handler);
        row.summary = cell(ImportField::Summary);
        result.push_back(std::move(row));
        const qint64 done = qint64(result.size());
        if (progress && done % 5000 == 0 && !progress(done, total)) {
            if (stopped)
                *stopped = true;
            return {};
        }
    }
    return result;
}
