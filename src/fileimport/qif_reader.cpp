// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/qif_reader.h"

#include "core/dates.h"
#include "core/money.h"

#include <QRegularExpression>
#include <QSet>

namespace QifReader {

namespace {

const QRegularExpression &shortDate()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2})\s*[/.-]\s*(\d{1,2})\s*(['/.-])\s*(\d{1,4})\s*$)"));
    return re;
}

struct Split {
    QString category, memo, amount;
};

struct Transaction {
    QString date, amount, payee, memo, category;
    QString account;  // the account the "!Account" list named last
    std::vector<Split> splits;
    bool any = false;  // a field of its own was read
};

enum class Section { None, Transactions, Accounts, Other };

Section sectionOf(QStringView header)
{
    // "!Type:Bank", "!Type:Cash", "!Type:CCard", "!Type:Oth A", "!Type:Oth L" hold
    // transactions; "!Type:Invst", "!Type:Cat", "!Type:Class", "!Type:Memorized",
    // "!Account" and the rest hold other things.
    if (header.startsWith(QLatin1String("!Account"), Qt::CaseInsensitive))
        return Section::Accounts;
    if (!header.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive))
        return Section::Other;
    const QString type = header.mid(6).trimmed().toString().toLower().remove(u' ');
    static const QStringList transactions{QStringLiteral("bank"), QStringLiteral("cash"), QStringLiteral("ccard"),
                                          QStringLiteral("otha"), QStringLiteral("othl")};
    return transactions.contains(type) ? Section::Transactions : Section::Other;
}

// "Food:Groceries/Holiday" is the category "Food:Groceries" of the class "Holiday".
QString categoryOf(const QString &text)
{
    const qsizetype slash = text.indexOf(u'/');
    return (slash < 0 ? text : text.left(slash)).trimmed();
}

// Lines some programs write above or between the records: "# exported by ...", "// ...".
bool isComment(QStringView line) { return line.startsWith(u'#') || line.startsWith(QLatin1String("//")); }

// The record that gives an account its balance on the day it starts: payee "Opening
// Balance" (its category is the account itself, "[Checking]").
bool isOpeningBalance(const QString &payee)
{
    const QString p = payee.trimmed();
    return p.compare(QLatin1String("Opening Balance"), Qt::CaseInsensitive) == 0 || p == QStringLiteral("期初余额");
}

} // namespace

std::optional<QDate> readDate(QStringView text, DayOrder order)
{
    if (std::optional<QDate> date = Dates::readDate(text))
        return date;
    const QRegularExpressionMatch m = shortDate().match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int first = m.capturedView(1).toInt();
    int second = m.capturedView(2).toInt();
    const QStringView yearText = m.capturedView(4);
    int year = yearText.toInt();
    if (yearText.size() == 3)
        return std::nullopt;
    if (yearText.size() <= 2)
        year += year < 50 ? 2000 : 1900;
    const int month = order == DayOrder::MonthFirst ? first : second;
    const int day = order == DayOrder::MonthFirst ? second : first;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

DayOrder dayOrder(const QStringList &dates)
{
    return FileRows::dateOrderOf(dates) == DateOrder::DayFirst ? DayOrder::DayFirst : DayOrder::MonthFirst;
}

bool looksLikeQif(QStringView text)
{
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || isComment(line))
            continue;
        for (const char *start : {"!Type:", "!Account", "!Option", "!Clear"})
            if (line.startsWith(QLatin1String(start), Qt::CaseInsensitive))
                return true;
        return false;
    }
    return false;
}

QString openingBalanceReason() { return QStringLiteral("期初余额（不是收入；请在“账户”中填写账户的期初余额）"); }

namespace {

// "[Checking]", the category of an opening balance: the account itself.
QString accountOfCategory(const QString &category)
{
    const QString c = category.trimmed();
    return c.size() > 2 && c.startsWith(u'[') && c.endsWith(u']') ? c.mid(1, c.size() - 2).trimmed() : QString();
}

} // namespace

Reading read(const QString &text)
{
    Reading reading;
    if (!looksLikeQif(text)) {
        reading.error = QStringLiteral("文件不是 QIF 格式（应以“!Type:”开头）。");
        return reading;
    }

    std::vector<Transaction> transactions;
    Section section = Section::None;
    Transaction current;
    QString accountName;  // the last "N" of the "!Account" list
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || isComment(line))
            continue;
        if (line[0] == u'!') {
            // "!Option:..." and "!Clear:..." switch settings, not sections.
            if (!line.startsWith(QLatin1String("!Option"), Qt::CaseInsensitive) &&
                !line.startsWith(QLatin1String("!Clear"), Qt::CaseInsensitive)) {
                section = sectionOf(line);
                current = {};
            }
            continue;
        }
        if (line[0] == u'^') {
            if (section == Section::Transactions && current.any)
                transactions.push_back(std::move(current));
            current = {};
            continue;
        }
        if (section == Section::Accounts && line[0] == u'N')
            accountName = line.mid(1).trimmed().toString();
        if (section != Section::Transactions)
            continue;
        const QString value = line.mid(1).toString();
        current.account = accountName;
        switch (line[0].unicode()) {
        case 'D': current.date = value; break;
        case 'T': current.amount = value; break;
        case 'U':
            if (current.amount.isEmpty())
                current.amount = value;
            break;
        case 'P': current.payee = value; break;
        case 'M': current.memo = value; break;
        case 'L': current.category = categoryOf(value); break;
        case 'S': current.splits.push_back({categoryOf(value), {}, {}}); break;
        case 'E':
            if (current.splits.empty())
                current.splits.push_back({});
            current.splits.back().memo = value;
            break;
        case '$':
            if (current.splits.empty() || !current.splits.back().amount.isEmpty())
                current.splits.push_back({});
            current.splits.back().amount = value;
            break;
        default:
            continue;  // check number, cleared flag, address and the like
        }
        current.any = true;
    }
    if (section == Section::Transactions && current.any)
        transactions.push_back(std::move(current));  // a last record without its "^"

    QStringList dates;
    for (const Transaction &t : transactions)
        dates << t.date;
    const DayOrder order = dayOrder(dates);

    // A file of several accounts names each row's account as its payment method, so that
    // each goes to the account of that name (the one chosen for the file otherwise).
    QSet<QString> accounts;
    for (const Transaction &t : transactions)
        accounts.insert(t.account);
    const bool severalAccounts = accounts.size() > 1;
    auto add = [&](const Transaction &t, const QString &item, const QString &amount, const QString &memo) {
        FileRow row;
        if (severalAccounts)
            row.method = t.account;
        const std::optional<QDate> date = readDate(t.date, order);
        row.date = date ? Dates::storedDate(*date) : t.date.trimmed();
        row.item = item;
        // QIF amounts are plain decimals with a point; commas group thousands.
        FileRows::AmountCells cells = FileRows::AmountCells::fromSigned(amount);
        row.income = std::move(cells.income);
        row.expense = std::move(cells.expense);
        row.summary = FileRows::summaryOf(t.payee, memo);
        reading.rows.push_back(std::move(row));
    };
    for (const Transaction &t : transactions) {
        if (t.splits.empty() && isOpeningBalance(t.payee)) {
            const QString account = accountOfCategory(t.category).isEmpty() ? t.account : accountOfCategory(t.category);
            const std::optional<QDate> date = readDate(t.date, order);
            const std::optional<FileRows::SignedAmount> read = FileRows::readAmount(t.amount);
            const std::optional<Money> amount = read ? Money::parse(read->magnitude) : std::nullopt;
            if (reading.opening || account.isEmpty() || !date || !amount) {
                reading.skipped.push_back({0, openingBalanceReason()});
                continue;
            }
            reading.opening = OpeningBalance{account, Dates::storedDate(*date), (read->negative ? -*amount : *amount).plain()};
            continue;
        }
        if (t.splits.empty()) {
            add(t, t.category, t.amount, t.memo);
            continue;
        }
        for (const Split &s : t.splits)
            add(t, s.category, s.amount, s.memo.isEmpty() ? t.memo : s.memo);
    }
    FileRows::number(reading.rows);
    if (reading.rows.empty() && reading.skipped.empty() && !reading.opening)
        reading.error = QStringLiteral("文件中没有银行、现金或信用卡账户的交易记录。");
    return reading;
}

} // namespace QifReader
