// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/statement_rows.h"

#include "core/dates.h"
#include "core/money.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace StatementRows {

QString noteReason() { return QStringLiteral("说明或汇总行"); }
QString unreadableReason() { return QStringLiteral("无法读取"); }
QString noMoneyReason() { return QStringLiteral("不计收支"); }
QString fullRefundReason() { return QStringLiteral("全额退款"); }
QString refundItem() { return QStringLiteral("退款"); }

namespace {

enum class Direction { Unknown, In, Out, Neither };

QString bare(const QString &cell)
{
    QString out;
    for (QChar c : cell)
        if (!c.isSpace())
            out += c.toLower();
    return out;
}

bool hasAny(const QString &text, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const char *w) { return text.contains(QString::fromUtf8(w), Qt::CaseInsensitive); });
}

// "收/支", "借/贷", Débit/Crédit and the like. A bank's 借 (debit) takes money out of the
// account, 贷 (credit) puts it in.
Direction directionOf(const QString &cell)
{
    const QString c = bare(cell);
    if (c.isEmpty())
        return Direction::Unknown;
    static const QStringList in{"收入", "收", "入", "贷", "贷方", "存入", "入账", "credit", "crédit", "cr", "c", "+"};
    static const QStringList out{"支出", "支", "出", "借", "借方", "支取", "出账", "debit", "débit", "dr", "d", "-"};
    if (c == u'/' || c.contains(QStringLiteral("不计收支")) || c == QStringLiteral("其他"))
        return Direction::Neither;
    if (in.contains(c))
        return Direction::In;
    if (out.contains(c))
        return Direction::Out;
    if (hasAny(c, {"收入", "存入", "credit", "crédit"}))
        return Direction::In;
    if (hasAny(c, {"支出", "支取", "debit", "débit"}))
        return Direction::Out;
    return Direction::Unknown;
}

bool isClosed(const QString &status)
{
    return hasAny(status, {"关闭", "失败", "撤销", "已取消", "未付款", "未支付", "等待付款", "已冲正", "已退还"});
}

bool isZero(const QString &magnitude)
{
    const std::optional<Money> m = Money::parse(magnitude);
    return m && m->isZero();
}

// The first and the last year-first date of the notes: the statement's period, which
// the dates without a year fall in.
struct Period {
    QDate from, until;
};

Period periodOf(const CsvTable &table, int first)
{
    static const QRegularExpression dated(QStringLiteral(R"((\d{4})[-/.年](\d{1,2})[-/.月](\d{1,2}))"));
    Period period;
    auto scan = [&](const Csv::Record &record) {
        for (const QString &cell : record.values) {
            auto it = dated.globalMatch(cell);
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                const QDate d(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt());
                if (!d.isValid())
                    continue;
                if (!period.from.isValid() || d < period.from)
                    period.from = d;
                if (!period.until.isValid() || d > period.until)
                    period.until = d;
            }
        }
    };
    for (int i = 0; i < first && size_t(i) < table.records.size(); ++i)
        scan(table.records[size_t(i)]);
    // A bank's title line may stand above the header; its footer below the data.
    for (size_t i = table.records.size(); i > size_t(first) && i + 5 > table.records.size(); --i)
        scan(table.records[i - 1]);
    return period;
}

struct Line {
    FileRow row;
    QString skip;          // why it is left out; empty for a row
    bool closed = false;   // a purchase left out as closed or refunded in full
    QString amount;        // the magnitude, for pairing refunds with their purchases
};

} // namespace

Result read(const CsvTable &table, const ColumnMapping &mapping, const FileRows::Progress &progress)
{
    Result result;
    const int headerLine = std::max(0, mapping.headerLine);
    const size_t first = size_t(headerLine) + (mapping.header ? 1 : 0);
    for (size_t i = 0; i < std::min(first, table.records.size()); ++i)
        if (!mapping.header || i + 1 < first)
            result.skipped.push_back({table.records[i].line, noteReason()});

    // Every cell trimmed; "/" is how statements write an empty cell (but for the direction,
    // where it means no money moved).
    auto cellOf = [&](const QStringList &values, ImportField field) {
        const int c = mapping[field];
        QString cell = c >= 0 && c < values.size() ? values[c].trimmed() : QString();
        if (field != ImportField::Direction && cell == u'/')
            cell.clear();
        return cell;
    };
    // What the columns hold as a whole: the order of day and month, a decimal comma.
    QStringList dates, amounts;
    for (size_t i = first; i < table.records.size(); ++i) {
        const QStringList &values = table.records[i].values;
        dates << cellOf(values, ImportField::Date);
        for (ImportField f : {ImportField::Signed, ImportField::Income, ImportField::Expense})
            if (mapping[f] >= 0)
                amounts << cellOf(values, f);
    }
    const DateOrder order = mapping.dateOrder != DateOrder::Auto ? mapping.dateOrder : FileRows::dateOrderOf(dates);
    const bool decimalComma = FileRows::usesDecimalComma(amounts);
    const Period period = periodOf(table, int(first));
    const QDate until = period.until.isValid() ? period.until : QDate::currentDate();
    auto readDate = [&](const QString &text) -> std::optional<QDate> {
        std::optional<QDate> date = FileRows::readDate(text, order, until.year());
        if (date && *date > until && date->year() == until.year() && !Dates::readDate(text))
            date = FileRows::readDate(text, order, until.year() - 1);  // "12/29" of a statement ending in January
        return date;
    };

    std::vector<Line> lines;
    lines.reserve(table.records.size() - std::min(first, table.records.size()));
    const qint64 total = qint64(table.records.size() - std::min(first, table.records.size()));
    for (size_t i = first; i < table.records.size(); ++i) {
        const QStringList &values = table.records[i].values;
        auto cell = [&](ImportField field) { return cellOf(values, field); };
        // The ledger's own export ends with its totals ("合计", "N 条", ..., "收支结余", ...).
        if (i + 1 == table.records.size() && cell(ImportField::Date) == QStringLiteral("合计") &&
            cell(ImportField::Method) == QStringLiteral("收支结余"))
            break;
        Line line;
        FileRow &row = line.row;
        row.line = table.records[i].line;
        const QString dateText = cell(ImportField::Date);
        const std::optional<QDate> date = readDate(dateText);
        row.date = date ? Dates::storedDate(*date) : dateText;

        // The amount and its direction.
        Direction direction = mapping[ImportField::Direction] >= 0 ? directionOf(cell(ImportField::Direction))
                                                                   : Direction::Unknown;
        bool anyAmount = false;
        if (mapping[ImportField::Signed] >= 0) {
            const QString text = cell(ImportField::Signed);
            if (const std::optional<FileRows::SignedAmount> amount = FileRows::readAmount(text, decimalComma)) {
                anyAmount = true;
                line.amount = amount->magnitude;
                if (direction == Direction::Unknown || mapping[ImportField::Direction] < 0)
                    direction = amount->negative != mapping.positiveIsExpense ? Direction::Out : Direction::In;
                else if (amount->negative && direction != Direction::Neither)
                    direction = direction == Direction::In ? Direction::Out : Direction::In;
            } else {
                // No amount: kept as it stands, so the preview shows it and saving names it,
                // on the side the direction column gives (a corrected amount keeps it).
                FileRows::AmountCells cells = FileRows::AmountCells::fromSigned(text);
                if (direction == Direction::Out && cells.expense.isEmpty())
                    std::swap(cells.income, cells.expense);
                else if (direction == Direction::In && cells.income.isEmpty())
                    std::swap(cells.income, cells.expense);
                row.income = cells.income;
                row.expense = cells.expense;
                anyAmount = !text.isEmpty();
            }
        } else {
            QString income = cell(ImportField::Income), expense = cell(ImportField::Expense);
            const auto in = FileRows::readAmount(income, decimalComma);
            const auto out = FileRows::readAmount(expense, decimalComma);
            if (in)
                income = in->magnitude;
            if (out)
                expense = out->magnitude;
            // Banks fill the other column with 0.00.
            if (!income.isEmpty() && !expense.isEmpty()) {
                if (in && isZero(income) && !(out && isZero(expense)))
                    income.clear();
                else if (out && isZero(expense) && !(in && isZero(income)))
                    expense.clear();
            }
            anyAmount = in || out || !income.isEmpty() || !expense.isEmpty();
            const bool hasIn = in && !income.isEmpty(), hasOut = out && !expense.isEmpty();
            if (hasIn != hasOut) {
                line.amount = hasIn ? income : expense;
                if (direction == Direction::Unknown || mapping[ImportField::Direction] < 0)
                    direction = hasIn ? Direction::In : Direction::Out;
            } else {
                row.income = income;
                row.expense = expense;
            }
        }
        // Notes and totals: no date, and no amount or a word of the totals.
        if (!date && (!anyAmount || hasAny(dateText, {"合计", "总计", "小计", "汇总", "total"}))) {
            result.skipped.push_back({row.line, noteReason()});
            continue;
        }

        row.item = cell(ImportField::Item);
        row.method = cell(ImportField::Method);
        row.handler = cell(ImportField::Handler);
        row.counterparty = cell(ImportField::Counterparty);
        row.summary = mapping[ImportField::Counterparty] >= 0
                          ? FileRows::summaryOf(row.counterparty, cell(ImportField::Summary))
                          : cell(ImportField::Summary);
        const QString status = cell(ImportField::Status);
        const QString words = status + u' ' + row.summary + u' ' + cell(ImportField::Direction) + u' ' + cell(ImportField::Type);

        if (!line.amount.isEmpty()) {
            const bool refund = words.contains(QStringLiteral("退款")) && direction != Direction::Out;
            if (!status.isEmpty() && isClosed(status) && !refund) {
                line.skip = status;
                line.closed = direction == Direction::Out;
            } else if (direction == Direction::Out && status.contains(QStringLiteral("全额退款"))) {
                line.skip = fullRefundReason();
                line.closed = true;
            } else if (refund) {
                row.kind = FileRow::Refund;
                row.item = refundItem();
                direction = Direction::In;
            } else if (direction == Direction::Neither) {
                const bool in = hasAny(words, {"充值", "转入零钱", "转入余额"});
                const bool out = hasAny(words, {"提现", "还款", "转出"});
                if (in != out) {
                    row.kind = FileRow::Transfer;
                    row.otherAccount = row.method;
                    direction = in ? Direction::In : Direction::Out;
                } else {
                    line.skip = noMoneyReason();
                }
            }
            if (direction == Direction::In)
                row.income = line.amount;
            else if (direction == Direction::Out)
                row.expense = line.amount;
        }
        lines.push_back(std::move(line));
        if (progress && qint64(lines.size()) % 5000 == 0 && !progress(qint64(lines.size()), total)) {
            result.stopped = true;
            result.skipped.clear();
            return result;
        }
    }

    // A refund of a purchase that was closed after it: both are left out.
    QMultiHash<QString, size_t> closed;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].closed)
            closed.insert(lines[i].row.counterparty + QChar(0x1F) + lines[i].amount, i);
    if (!closed.isEmpty()) {
        for (Line &line : lines) {
            if (line.row.kind != FileRow::Refund)
                continue;
            const QString key = line.row.counterparty + QChar(0x1F) + line.amount;
            const auto at = closed.constFind(key);
            if (at == closed.constEnd())
                continue;
            lines[*at].skip = fullRefundReason();
            closed.erase(at);
            line.skip = fullRefundReason();
        }
    }

    result.rows.reserve(lines.size());
    for (Line &line : lines) {
        if (!line.skip.isEmpty()) {
            result.skipped.push_back({line.row.line, line.skip});
            continue;
        }
        line.row.number = int(result.rows.size()) + 1;
        result.rows.push_back(std::move(line.row));
    }
    // Notes stand above the records and totals below them: a line between two records that
    // reads as neither date nor amount is a damaged record, and named as one.
    if (!lines.empty()) {
        const auto [first, last] = std::minmax_element(
            lines.begin(), lines.end(), [](const Line &a, const Line &b) { return a.row.line < b.row.line; });
        for (SkippedLine &s : result.skipped)
            if (s.reason == noteReason() && s.line > first->row.line && s.line < last->row.line)
                s.reason = unreadableReason();
    }
    std::stable_sort(result.skipped.begin(), result.skipped.end(),
                     [](const SkippedLine &a, const SkippedLine &b) { return a.line < b.line; });
    return result;
}

} // namespace StatementRows
