// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/batch_import.h"

#include "core/dates.h"
#include "fileimport/statement_rows.h"

#include <algorithm>

// What the batch import says after storing and under its preview.

namespace {

// At most this many row numbers are named in a message; the rest are counted.
constexpr int NamedRows = 60;

QString rowNumbers(const QList<int> &numbers)
{
    QStringList named;
    for (int i = 0; i < numbers.size() && i < NamedRows; ++i)
        named << QString::number(numbers[i]);
    QString text = named.join(QStringLiteral("、"));
    if (numbers.size() > NamedRows)
        text += QStringLiteral(" 等，共 %1 行").arg(numbers.size());
    return text;
}

// "交易关闭 2 条，全额退款 2 条": the reasons in the order first met, each counted.
QString skippedText(const std::vector<SkippedLine> &skipped, bool notes)
{
    QStringList order;
    QHash<QString, int> counts;
    for (const SkippedLine &s : skipped) {
        if ((s.reason == StatementRows::noteReason()) != notes)
            continue;
        if (!counts.contains(s.reason))
            order << s.reason;
        ++counts[s.reason];
    }
    QStringList parts;
    for (const QString &reason : order)
        parts << QStringLiteral("%1 %2 条").arg(reason).arg(counts.value(reason));
    return parts.join(QStringLiteral("，"));
}

int countSkipped(const std::vector<SkippedLine> &skipped, bool notes)
{
    return int(std::count_if(skipped.begin(), skipped.end(), [&](const SkippedLine &s) {
        return (s.reason == StatementRows::noteReason()) == notes;
    }));
}


} // namespace

QString BatchImport::skippedLinesText(const std::vector<SkippedLine> &skipped) { return skippedText(skipped, false); }

bool BatchImport::Outcome::skippedRows() const { return countSkipped(skipped, false) > 0; }

QString BatchImport::reportText(const ImportReport &report)
{
    Outcome outcome;
    outcome.report = report;
    return outcomeText(outcome);
}

QString BatchImport::outcomeText(const Outcome &o)
{
    const ImportReport &report = o.report;
    const int fileSkipped = countSkipped(o.skipped, false);
    // Every row not stored is counted here, those the ledger could not read included; the
    // lines below name those by their numbers.
    const int skipped = fileSkipped + o.duplicates + o.unticked + int(o.noAccount.size()) +
                        int(report.badDate.size() + report.badAmount.size());
    const bool clean = skipped == 0 && !o.openingLeft;
    QString text = clean ? QStringLiteral("批量导入财务数据成功！共导入 %1 条记录").arg(report.stored)
                         : QStringLiteral("共导入 %1 条记录").arg(report.stored);
    if (o.transfers > 0)
        text += QStringLiteral("（其中转账 %1 笔）").arg(o.transfers);
    if (skipped > 0) {
        QStringList why;
        if (fileSkipped > 0)
            why << skippedText(o.skipped, false);
        if (o.duplicates > 0)
            why << QStringLiteral("可能重复 %1 条").arg(o.duplicates);
        if (o.unticked > 0)
            why << QStringLiteral("未勾选 %1 条").arg(o.unticked);
        if (!o.noAccount.isEmpty())
            why << QStringLiteral("转账的对方账户不在账户中 %1 条").arg(o.noAccount.size());
        if (!report.badDate.isEmpty())
            why << QStringLiteral("日期无效 %1 条").arg(report.badDate.size());
        if (!report.badAmount.isEmpty())
            why << QStringLiteral("金额不是数字 %1 条").arg(report.badAmount.size());
        text += QStringLiteral("，跳过 %1 条（%2）").arg(skipped).arg(why.join(QStringLiteral("，")));
    }
    text += QStringLiteral("。");
    if (!o.opening.isEmpty())
        text += QStringLiteral("\r\n") + o.opening;
    if (const int notes = countSkipped(o.skipped, true); notes > 0)
        text += QStringLiteral("\r\n文件中另有 %1 行说明或汇总文字，不是记录。").arg(notes);
    QList<int> unreadable;
    for (const SkippedLine &s : o.skipped)
        if (s.reason == StatementRows::unreadableReason())
            unreadable << s.line;
    if (!unreadable.isEmpty())
        text += QStringLiteral("\r\n文件中无法读取的行：第 ") + rowNumbers(unreadable) + QStringLiteral(" 行");
    if (!report.badDate.isEmpty())
        text += QStringLiteral("\r\n日期无效或不在%1之间，没有导入的行（No.）：").arg(Dates::entryDaysText()) +
                rowNumbers(report.badDate);
    if (!report.badAmount.isEmpty())
        text += QStringLiteral("\r\n金额不是数字，没有导入的行（No.）：") + rowNumbers(report.badAmount);
    if (!o.noAccount.isEmpty())
        text += QStringLiteral("\r\n转账的对方账户不在账户中，没有导入的行（No.）：") + rowNumbers(o.noAccount);
    return text;
}

QString BatchImport::statusText() const
{
    QStringList parts;
    if (opening_)
        parts << QStringLiteral("保存时将账户“%1”的期初余额设为 %2（%3）。")
                     .arg(opening_->account, opening_->amount, opening_->date);
    if (filled_ > 0)
        parts << QStringLiteral("已按导入规则和以前的记录填好 %1 条记录的项目。").arg(filled_);
    if (const QString left = skippedText(skipped_, false); !left.isEmpty())
        parts << QStringLiteral("文件中没有列入的记录：%1。").arg(left);
    if (const int notes = countSkipped(skipped_, true); notes > 0)
        parts << QStringLiteral("说明或汇总文字 %1 行。").arg(notes);
    return parts.join(u' ');
}

