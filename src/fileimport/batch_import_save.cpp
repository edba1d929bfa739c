// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/batch_import.h"

#include "accounts/accounts.h"
#include "core/money.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <set>

// "保存": the preview's ticked rows into the books, in one transaction.

namespace {

QString balanceText(const QString &amount, const QString &date)
{
    return date.isEmpty() ? amount : QStringLiteral("%1（%2）").arg(amount, date);
}

} // namespace

bool BatchImport::takeOpening(Account &account, Outcome &outcome)
{
    QString &text = outcome.opening;
    const std::optional<Money> amount = Money::parse(opening_->amount);
    const QString wanted = balanceText(opening_->amount, opening_->date);
    if (!amount)
        return false;
    if (account.opening == *amount && account.openingDate == opening_->date) {
        text = QStringLiteral("账户“%1”的期初余额已是 %2。").arg(account.name, wanted);
        return false;
    }
    if (!account.opening.isZero()) {
        const QString question = QStringLiteral("账户“%1”的期初余额现在是 %2，是否改为文件中的 %3？")
                                     .arg(account.name, balanceText(account.opening.plain(), account.openingDate), wanted);
        if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"), question,
                                    Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes) {
            text = QStringLiteral("账户“%1”的期初余额没有改动（文件中是 %2）。").arg(account.name, wanted);
            return false;
        }
    }
    Account changed = account;
    changed.opening = *amount;
    changed.openingDate = opening_->date;
    if (const std::optional<QString> problem =
            Accounts(context_.data).problem(context_.session.CurrentAccountSetId, changed, opening_->amount, account.id)) {
        text = QStringLiteral("账户“%1”的期初余额没有改动：%2").arg(account.name, *problem);
        outcome.openingLeft = true;
        return false;
    }
    account = changed;
    text = QStringLiteral("账户“%1”的期初余额已设为 %2。").arg(account.name, wanted);
    return true;
}

void BatchImport::save()
{
    if (saving_)
        return;
    closeEditor(true);
    std::vector<ImportRow> all = rows();
    if (all.empty() && !opening_) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
    }

    // Only the ticked rows of a file are stored; the rows that look imported already come
    // unticked. The marks follow every change of the rows, and nothing else writes entries
    // while this window is open.
    const std::vector<DuplicateMark> marks = marks_.size() == all.size() ? marks_ : duplicatesOf(all);
    Outcome outcome;
    std::vector<ImportRow> pending;
    pending.reserve(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        if (ticked(int(i)))
            pending.push_back(all[i]);
        else if (marks[i].kind != DuplicateMark::None)
            ++outcome.duplicates;
        else
            ++outcome.unticked;
    }
    const bool leftOut = pending.size() < all.size();
    if (pending.empty() && !opening_) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("没有勾选要保存的记录。"));
        return;
    }

    // The opening balance of a QIF file's account, asked about before anything is stored.
    std::optional<Account> account;
    if (opening_) {
        try {
            account = Accounts(context_.data).byName(context_.session.CurrentAccountSetId, opening_->account);
        } catch (const StoreError &error) {
            context_.prompt.reportError(this, error);
            return;
        }
        if (!account) {
            outcome.opening = QStringLiteral("账户“%1”已不在账户中，期初余额没有导入。").arg(opening_->account);
            outcome.openingLeft = true;
        } else if (!takeOpening(*account, outcome)) {
            account.reset();
        }
    }

    // A statement's transfers between the user's own accounts are stored as transfers.
    outcome.skipped = skipped_;
    std::vector<Transfer> transfers;
    std::vector<ImportRow> entries;
    entries.reserve(pending.size());
    for (ImportRow &row : pending) {
        const auto note = notes_.constFind(row.number);
        if (note == notes_.constEnd() || note->kind != FileRow::Transfer || row.item.trimmed() != Transfers::kind()) {
            entries.push_back(std::move(row));
            continue;
        }
        const bool in = !row.income.trimmed().isEmpty();
        Transfer t;
        t.date = FileRows::dateCell(row.date);
        t.from = in ? note->otherAccount : row.method.trimmed();
        t.to = in ? row.method.trimmed() : note->otherAccount;
        t.amount = Ledger::importAmount(in ? row.income : row.expense).value_or(in ? row.income : row.expense);
        t.summary = row.summary;
        if (note->otherAccount.isEmpty() || Transfers::problem(t))
            outcome.noAccount << row.number;
        else
            transfers.push_back(std::move(t));
    }

    saving_ = true;
    for (QPushButton *button : buttons_)
        button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool failed = false;
    try {
        // A large statement's rows land all over every index of the ledger: its pages are
        // kept in memory until the commit has written them (the cache goes after it).
        std::optional<DataFile::WideCache> wide;
        if (entries.size() > LargeImport)
            wide.emplace(context_.data);
        // Entries, transfers and the opening balance land together or not at all. The
        // window keeps painting between chunks; clicks and keys wait until the end.
        DataFile::Transaction transaction(context_.data);
        outcome.report = Ledger(context_.data).importRows(entries, context_.session.CurrentAccountSetId, [](int, int) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        if (!transfers.empty())
            Transfers(context_.data).addAll(transfers, context_.session.CurrentAccountSetId);
        if (account)
            Accounts(context_.data).save(context_.session.CurrentAccountSetId, *account);
        transaction.commit();
        outcome.transfers = int(transfers.size());
        outcome.report.stored += outcome.transfers;
    } catch (const StoreError &error) {
        failed = true;
        QApplication::restoreOverrideCursor();
        context_.prompt.reportError(this, error);
    }
    if (!failed)
        QApplication::restoreOverrideCursor();
    for (QPushButton *button : buttons_)
        button->setEnabled(true);
    saving_ = false;
    if (failed)
        return;
    const ImportReport &report = outcome.report;
    skipped_.clear();  // told once
    opening_.reset();

    std::set<int> bad(report.badDate.begin(), report.badDate.end());
    bad.insert(report.badAmount.begin(), report.badAmount.end());
    bad.insert(outcome.noAccount.begin(), outcome.noAccount.end());
    if (leftOut) {
        // The unticked rows stay, and the rows that could not be stored; the stored go.
        std::vector<ImportRow> left;
        std::vector<bool> ticks;
        for (size_t i = 0; i < all.size(); ++i) {
            if (ticked(int(i)) && !bad.count(all[i].number))
                continue;
            left.push_back(all[i]);
            ticks.push_back(ticked(int(i)));
        }
        showRows(left);
        for (size_t i = 0; i < ticks.size(); ++i)
            setTicked(int(i), ticks[i]);
    } else if (fromFile_) {
        // What was stored now looks imported, so that saving twice stores it only when
        // ticked again.
        const std::vector<ImportRow> shown = rows();
        marks_ = marks;
        for (size_t i = 0; i < shown.size() && i < marks_.size(); ++i) {
            const ImportRow &r = shown[i];
            const bool blank = (r.date + r.item + r.income + r.expense + r.method + r.handler + r.summary).trimmed().isEmpty();
            if (!blank && !bad.count(r.number) && marks_[i].kind == DuplicateMark::None)
                marks_[i] = {DuplicateMark::Stored, 0};
        }
        showMarks();
        for (size_t i = 0; i < shown.size(); ++i)
            if (!bad.count(shown[i].number))
                setTicked(int(i), false);
    }
    const QString status = statusText();
    status_->setText(status);
    status_->setVisible(!status.isEmpty());

    if (report.stored == 0 && report.badDate.isEmpty() && report.badAmount.isEmpty() && outcome.noAccount.isEmpty() &&
        outcome.opening.isEmpty()) {
        // Only empty lines were pasted.
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
    }
    const bool allStored = report.badDate.isEmpty() && report.badAmount.isEmpty() && outcome.noAccount.isEmpty() &&
                           outcome.duplicates == 0 && outcome.unticked == 0 && !outcome.skippedRows() &&
                           !outcome.openingLeft;
    context_.prompt.information(this, allStored ? QStringLiteral("恭喜") : QStringLiteral("信息"), outcomeText(outcome));
}
