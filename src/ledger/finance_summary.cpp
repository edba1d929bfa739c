#include "ledger/finance_summary.h"

#include "store/data_file.h"
#include "store/session.h"
#include "ui/prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

FinanceSummary::FinanceSummary(const AppContext &context, QWidget *parent) : QDialog(parent)
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
    layout->setSizeConstraint(QLayout::SetFixedSize);

    try {
        showTexts(texts(Ledger(context.data).financeSummary(context.session.CurrentAccountSetId)));
    } catch (const StoreError &error) {
        // Figures that could not be read are not shown as zeros.
        context.prompt.reportError(parent, error);
    }
}

FinanceSummary::Texts FinanceSummary::texts(const FinanceFigures &f)
{
    return {QStringLiteral("共计：%1 条").arg(f.incomeCount), f.income.plain(),
            QStringLiteral("共计：%1 条").arg(f.expenseCount), f.expense.plain(),
            (f.income - f.expense).plain() + QStringLiteral("RMB")};
}

void FinanceSummary::showTexts(const Texts &t)
{
    incomeCount_->setText(t.incomeCount);
    income_->setText(t.income);
    expenseCount_->setText(t.expenseCount);
    expense_->setText(t.expense);
    balance_->setText(t.balance);
}
