// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/statement_profiles.h"

#include <QRegularExpression>

namespace StatementProfiles {

namespace {

QString compact(const QString &cell)
{
    QString out;
    for (QChar c : cell)
        if (!c.isSpace())
            out += c;
    // Full-width parentheses as the half-width ones: "金额（元）" is "金额(元)".
    out.replace(QChar(0xFF08), u'(').replace(QChar(0xFF09), u')');
    return out;
}

// One profile, its fields named in the order of ImportField.
struct Fields {
    QStringList date{}, item{}, income{}, expense{}, method{}, handler{}, summary{}, signedAmount{}, direction{},
        status{}, counterparty{}, type{};
};

StatementProfile profile(const char *name, QStringList required, QStringList markers, const Fields &f,
                         const char *kind, bool positiveIsExpense = false, const char *digitsColumn = "")
{
    StatementProfile p;
    p.name = QString::fromUtf8(name);
    p.required = std::move(required);
    p.markers = std::move(markers);
    p.fields = {f.date,         f.item,      f.income, f.expense,      f.method, f.handler,
                f.summary,      f.signedAmount, f.direction, f.status, f.counterparty, f.type};
    p.accountKind = QString::fromUtf8(kind);
    p.positiveIsExpense = positiveIsExpense;
    p.digitsColumn = QString::fromUtf8(digitsColumn);
    return p;
}

// The last four digits that a note line about the card or account ends in.
QString digitsInNotes(const CsvTable &table, int headerLine)
{
    static const QRegularExpression account(QStringLiteral(R"((?:卡号|账号|帐号|账户|尾号)[^\d*]*[\d*\s]*(\d{4})(?!\d))"));
    for (int r = 0; r < headerLine; ++r) {
        const QRegularExpressionMatch m = account.match(table.records[size_t(r)].values.join(u' '));
        if (m.hasMatch())
            return m.captured(1);
    }
    return {};
}

} // namespace

const std::vector<StatementProfile> &builtIn()
{
    static const std::vector<StatementProfile> profiles{
        // Alipay, the app's export (交易时间 ... 收/付款方式) and the web's (交易创建时间 ... 金额（元）).
        profile("支付宝账单", {"交易对方", "收/支", "交易状态"}, {"支付宝"},
                {.date = {"交易时间", "付款时间", "交易创建时间"},
                 .item = {"交易分类"},
                 .method = {"收/付款方式"},
                 .summary = {"商品说明", "商品名称"},
                 .signedAmount = {"金额", "金额(元)"},
                 .direction = {"收/支"},
                 .status = {"交易状态"},
                 .counterparty = {"交易对方"},
                 .type = {"类型"}},
                "支付宝"),
        profile("微信支付账单", {"交易对方", "收/支", "当前状态"}, {"微信支付"},
                {.date = {"交易时间"},
                 .method = {"支付方式"},
                 .summary = {"商品"},
                 .signedAmount = {"金额(元)", "金额"},
                 .direction = {"收/支"},
                 .status = {"当前状态"},
                 .counterparty = {"交易对方"},
                 .type = {"交易类型"}},
                "微信"),
        profile("招商银行信用卡账单", {"交易日", "记账日", "交易摘要", "人民币金额"}, {"招商银行"},
                {.date = {"交易日"}, .summary = {"交易摘要"}, .signedAmount = {"人民币金额"}}, "信用卡", true,
                "卡号末四位"),
        profile("招商银行储蓄卡账单", {"交易日期", "收入", "支出", "交易备注"}, {"招商银行"},
                {.date = {"交易日期"},
                 .income = {"收入"},
                 .expense = {"支出"},
                 .summary = {"交易备注"},
                 .type = {"交易类型"}},
                "储蓄卡"),
        profile("工商银行账单", {"交易日期", "摘要", "记账金额(收入)", "记账金额(支出)"}, {"工商银行"},
                {.date = {"交易日期"},
                 .income = {"记账金额(收入)"},
                 .expense = {"记账金额(支出)"},
                 .summary = {"摘要"},
                 .counterparty = {"对方户名"}},
                "储蓄卡"),
        profile("建设银行账单", {"摘要", "交易日期", "交易金额", "账户余额", "对方账号与户名"}, {"建设银行"},
                {.date = {"交易日期"},
                 .summary = {"交易地点/附言", "摘要"},
                 .signedAmount = {"交易金额"},
                 .counterparty = {"对方账号与户名"}},
                "储蓄卡"),
        profile("中国银行账单", {"记账日期", "金额", "交易名称", "附言", "对方账户名"}, {"中国银行"},
                {.date = {"记账日期"},
                 .summary = {"附言"},
                 .signedAmount = {"金额"},
                 .counterparty = {"对方账户名"},
                 .type = {"交易名称"}},
                "储蓄卡"),
    };
    return profiles;
}

std::optional<ProfileMatch> match(const CsvTable &table)
{
    constexpr int Searched = 80;
    const int count = int(std::min<size_t>(table.records.size(), Searched));
    for (int r = 0; r < count; ++r) {
        QStringList cells = table.rowAt(r);
        if (cells.size() < 3)
            continue;
        for (QString &c : cells)
            c = compact(c);
        for (const StatementProfile &p : builtIn()) {
            if (!std::all_of(p.required.begin(), p.required.end(), [&](const QString &w) { return cells.contains(w); }))
                continue;
            ProfileMatch found;
            found.profile = &p;
            ColumnMapping &m = found.mapping;
            m.header = true;
            m.headerLine = r;
            m.positiveIsExpense = p.positiveIsExpense;
            m.dateOrder = p.dateOrder;
            for (size_t f = 0; f < p.fields.size(); ++f)
                for (const QString &name : p.fields[f])
                    if (m.columns[f] < 0 && cells.contains(name, Qt::CaseInsensitive))
                        m.columns[f] = int(cells.indexOf(name));
            // The two amounts of a bank without a sign column stand for "金额".
            if (m[ImportField::Income] >= 0 || m[ImportField::Expense] >= 0)
                m[ImportField::Signed] = -1;
            const int digits = p.digitsColumn.isEmpty() ? -1 : int(cells.indexOf(p.digitsColumn));
            if (digits >= 0)
                found.lastDigits = table.rowAt(r + 1).value(digits);
            if (found.lastDigits.isEmpty())
                found.lastDigits = digitsInNotes(table, r);
            return found;
        }
    }
    return std::nullopt;
}

} // namespace StatementProfiles
