// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/finance_summary.h"

#include "export/ledger_export.h"
#include "export/print_preview.h"
#include "reports/reports.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FinanceSummary::FinanceSummary(const AppContext &context, QWidget *parent, std::function<void()> openReport)
    : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("FinanceSummary"));
    setWindowTitle(QStringLiteral("帐务统计"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    int labelNumber = 0;
    auto label = [&](QWidget *parent, const QString &text = QString()) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++labelNumber));
        return l;
    };
    auto group = [&](int number, const QString &caption) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(QStringLiteral("Frame%1").arg(number));
        box->setMinimumWidth(3600 / 15);
        layout->addWidget(box);
        return new QGridLayout(box);
    };

    QGridLayout *incomeBox = group(1, QStringLiteral("收入情况"));
    incomeCount_ = label(incomeBox->parentWidget());
    incomeBox->addWidget(incomeCount_, 0, 0, 1, 2);
    incomeBox->addWidget(label(incomeBox->parentWidget(), QStringLiteral("收入金额：")), 1, 0);
    income_ = label(incomeBox->parentWidget());
    incomeBox->addWidget(income_, 1, 1);

    QGridLayout *expenseBox = group(2, QStringLiteral("支出情况"));
    expenseCount_ = label(expenseBox->parentWidget());
    expenseBox->addWidget(expenseCount_, 0, 0, 1, 2);
    expenseBox->addWidget(label(expenseBox->parentWidget(), QStringLiteral("支出金额：")), 1, 0);
    expense_ = label(expenseBox->parentWidget());
    expenseBox->addWidget(expense_, 1, 1);

    QGridLayout *totalBox = group(3, QStringLiteral("总计"));
    totalBox->addWidget(label(totalBox->parentWidget(), QStringLiteral("现有金额：")), 0, 0);
    balance_ = label(totalBox->parentWidget());
    totalBox->addWidget(balance_, 0, 1);

    for (QGridLayout *box : {incomeBox, expenseBox, totalBox})
        box->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (openReport) {
        auto *report = new QPushButton(QStringLiteral("报表"), this);
        report->setObjectName(QStringLiteral("ReportButton"));
        report->setAccessibleName(report->text());
        buttons->addWidget(report);
        connect(report, &QPushButton::clicked, this, [this, openReport] {
            hide();
            openReport();
            accept();
        });
    }
    print_ = new QPushButton(QStringLiteral("打印"), this);
    print_->setObjectName(QStringLiteral("Command1"));
    print_->setAccessibleName(QStringLiteral("打印"));
    print_->setEnabled(false);
    buttons->addWidget(print_);
    layout->addLayout(buttons);
    connect(print_, &QPushButton::clicked, this, &FinanceSummary::print);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Figures that could not be read are not shown as zeros.
    figures_ = context.prompt.attempt(
        parent, [&] { return Reports(context.data).financeFigures(context.session.CurrentAccountSetId); });
    if (figures_) {
        showTexts(texts(*figures_));
        print_->setEnabled(true);
    }
}

FinanceSummary::Texts FinanceSummary::texts(const FinanceFigures &f)
{
    return {QStringLiteral("共计：%1 条").arg(f.incomeCount), f.income.plain(),
            QStringLiteral("共计：%1 条").arg(f.expenseCount), f.expense.plain(),
            (f.income - f.expense).plain() + QStringLiteral("RMB")};
}

void FinanceSummary::print()
{
    if (!figures_)
        return;
    QString accountSet;
    try {
        accountSet = Ledger(context_.data).accountSetName(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        // The title goes without the account set's name.
    }
    FinanceReport report(*figures_, accountSet);
    PrintPreview preview(context_, report,
                         LedgerExport::defaultName(accountSet + QStringLiteral("_帐务统计"), QDate::currentDate()) +
                             QStringLiteral(".pdf"),
                         this);
    preview.exec();
}

void FinanceSummary::showTexts(const Texts &t)
{
    incomeCount_->setText(t.incomeCount);
    income_->setText(t.income);
    expenseCount_->setText(t.expenseCount);
    expense_->setText(t.expense);
    balance_->setText(t.balance);
}
