// SPDX-License-Identifier: GPL-3.0-or-later
#include "budgets/budget_window.h"

#include "ledger/ledger.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString amountText(const std::optional<Money> &amount) { return amount ? amount->plain() : QString(); }

} // namespace

BudgetWindow::BudgetWindow(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), budgets_(context.data)
{
    setObjectName(QStringLiteral("BudgetWindow"));
    setWindowTitle(QStringLiteral("预算"));
    setModal(true);
    resize(560, 520);

    month_ = new QDateEdit(this);
    month_->setObjectName(QStringLiteral("BudgetMonth"));
    month_->setDisplayFormat(QStringLiteral("yyyy年MM月"));
    month_->setCalendarPopup(true);
    withIncome_ = new QCheckBox(QStringLiteral("包括收入项目"), this);
    withIncome_->setObjectName(QStringLiteral("BudgetWithIncome"));
    withIncome_->setAccessibleName(withIncome_->text());
    auto *copy = namedButton(QStringLiteral("复制上月"), QStringLiteral("BudgetCopy"), this);
    auto *top = new QHBoxLayout;
    top->addWidget(fieldLabel(QStringLiteral("月份："), month_, this));
    top->addWidget(month_);
    top->addWidget(withIncome_);
    top->addStretch();
    top->addWidget(copy);

    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("BudgetTable"));
    // Arrows move between the cells; Tab goes on to the next control.
    table_->setTabKeyNavigation(false);
    table_->setAccessibleName(QStringLiteral("各项目预算"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("项目"), QStringLiteral("类别"), QStringLiteral("月预算"), QStringLiteral("年预算")});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(ItemColumn, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);

    total_ = new QLineEdit(this);
    total_->setObjectName(QStringLiteral("BudgetTotal"));
    total_->setPlaceholderText(QStringLiteral("不填则不设"));
    onward_ = new QCheckBox(QStringLiteral("以后各月沿用"), this);
    onward_->setObjectName(QStringLiteral("BudgetOnward"));
    onward_->setAccessibleName(onward_->text());
    onward_->setChecked(true);
    warn_ = new QCheckBox(QStringLiteral("记账超出预算时提示"), this);
    warn_->setObjectName(QStringLiteral("BudgetWarn"));
    warn_->setAccessibleName(warn_->text());
    auto *fields = new QGridLayout;
    fields->addWidget(fieldLabel(QStringLiteral("本月总预算："), total_, this), 0, 0);
    fields->addWidget(total_, 0, 1);
    fields->addWidget(onward_, 0, 2);
    fields->addWidget(warn_, 1, 0, 1, 3);

    auto *saveButton = namedButton(QStringLiteral("保存"), QStringLiteral("BudgetSave"), this);
    auto *closeButton = namedButton(QStringLiteral("关闭"), QStringLiteral("BudgetClose"), this);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("金额留空表示不设预算。"), this), 1);
    bottom->addWidget(saveButton);
    bottom->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(fields);
    layout->addLayout(bottom);

    const int set = context_.session.CurrentAccountSetId;
    if (const std::optional<bool> on = context_.prompt.attempt(this, [&] { return budgets_.warns(set); }))
        warn_->setChecked(*on);
    connect(warn_, &QCheckBox::toggled, this, [this, set](bool on) {
        if (!context_.prompt.attempt(this, [&] { budgets_.setWarns(set, on); })) {
            const QSignalBlocker block(warn_);
            warn_->setChecked(!on);
        }
    });
    connect(month_, &QDateEdit::dateChanged, this, [this](const QDate &date) { showMonth(date); });
    connect(withIncome_, &QCheckBox::toggled, this, [this] {
        // The fields as typed stay; the rows of the other kind come or go.
        if (settleChanges())
            showMonth(shown_.isValid() ? shown_ : month_->date());
    });
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!filling_)
            dirty_ = true;
    });
    connect(total_, &QLineEdit::textEdited, this, [this] { dirty_ = true; });
    connect(copy, &QPushButton::clicked, this, &BudgetWindow::copyPrevious);
    connect(saveButton, &QPushButton::clicked, this, &BudgetWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &BudgetWindow::reject);

    showMonth(QDate::currentDate());
}

QDate BudgetWindow::month() const { return shown_; }

bool BudgetWindow::settleChanges()
{
    if (!dirty_)
        return true;
    const Prompt::Answer answer = context_.prompt.message(
        this, Prompt::Icon::Question, QStringLiteral("问题"),
        QStringLiteral("%1的预算已修改，要先保存吗？").arg(shown_.toString(QStringLiteral("yyyy年MM月"))),
        Prompt::Buttons::YesNo, Prompt::Answer::Yes);
    if (answer == Prompt::Answer::Yes)
        return save();
    dirty_ = false;
    return true;
}

void BudgetWindow::showMonth(const QDate &day)
{
    const QDate month(day.year(), day.month(), 1);
    if (shown_.isValid() && month != shown_ && !settleChanges()) {
        const QSignalBlocker block(month_);
        month_->setDate(shown_);
        return;
    }
    shown_ = month;
    {
        const QSignalBlocker block(month_);
        month_->setDate(month);
    }
    const int set = context_.session.CurrentAccountSetId;
    const std::optional<BudgetPlan> plan = context_.prompt.attempt(this, [&] { return budgets_.plan(set, month); });
    fill(plan.value_or(BudgetPlan{month, {}, {}}));
    dirty_ = false;
}

void BudgetWindow::fill(const BudgetPlan &plan)
{
    filling_ = true;
    table_->setRowCount(0);
    Ledger ledger(context_.data);
    auto addRows = [&](bool income) {
        QStringList items;
        try {
            items = ledger.items(income ? Ledger::incomeKind() : QStringLiteral("支出"));
        } catch (const StoreError &) {
            items.clear();
        }
        // Items that have a budget but left the catalogue are listed too, so that it can be cleared.
        for (const ItemBudget &b : plan.items)
            if (b.income == income && !items.contains(b.item))
                items << b.item;
        for (const QString &item : items) {
            const int row = table_->rowCount();
            table_->insertRow(row);
            auto *caption = new QTableWidgetItem(item);
            caption->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            caption->setData(Qt::UserRole, income);
            auto *kind = new QTableWidgetItem(income ? QStringLiteral("收入") : QStringLiteral("支出"));
            kind->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            const ItemBudget *b = plan.find(income, item);
            auto *monthly = new QTableWidgetItem(amountText(b ? b->monthly : std::nullopt));
            auto *yearly = new QTableWidgetItem(amountText(b ? b->yearly : std::nullopt));
            for (QTableWidgetItem *cell : {monthly, yearly})
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, ItemColumn, caption);
            table_->setItem(row, KindColumn, kind);
            table_->setItem(row, MonthlyColumn, monthly);
            table_->setItem(row, YearlyColumn, yearly);
        }
    };
    addRows(false);
    if (withIncome_->isChecked())
        addRows(true);
    total_->setText(amountText(plan.total));
    filling_ = false;
}

int BudgetWindow::rowOf(bool income, const QString &item) const
{
    for (int r = 0; r < table_->rowCount(); ++r)
        if (table_->item(r, ItemColumn)->text() == item && table_->item(r, ItemColumn)->data(Qt::UserRole).toBool() == income)
            return r;
    return -1;
}

void BudgetWindow::copyPrevious()
{
    const int set = context_.session.CurrentAccountSetId;
    const std::optional<BudgetPlan> before = context_.prompt.attempt(this, [&] { return budgets_.previous(set, shown_); });
    if (!before)
        return;
    fill(*before);
    dirty_ = true;
}

bool BudgetWindow::save()
{
    BudgetPlan plan;
    plan.month = shown_;
    auto refuse = [this](const QString &problem, QWidget *focus) {
        context_.prompt.information(this, QStringLiteral("提示"), problem);
        if (focus)
            focus->setFocus();
        return false;
    };
    for (int r = 0; r < table_->rowCount(); ++r) {
        ItemBudget b;
        b.item = table_->item(r, ItemColumn)->text();
        b.income = table_->item(r, ItemColumn)->data(Qt::UserRole).toBool();
        for (const auto &[column, field] : {std::pair{MonthlyColumn, QStringLiteral("月预算")},
                                            std::pair{YearlyColumn, QStringLiteral("年预算")}}) {
            const Budgets::Typed typed = Budgets::read(b.item + QStringLiteral("的") + field, table_->item(r, column)->text());
            if (!typed.problem.isEmpty()) {
                table_->setCurrentCell(r, column);
                return refuse(typed.problem, table_);
            }
            (column == MonthlyColumn ? b.monthly : b.yearly) = typed.amount;
        }
        plan.items.push_back(b);
    }
    const Budgets::Typed total = Budgets::read(QStringLiteral("本月总预算"), total_->text());
    if (!total.problem.isEmpty())
        return refuse(total.problem, total_);
    plan.total = total.amount;
    const int set = context_.session.CurrentAccountSetId;
    if (!context_.prompt.attempt(this, [&] { budgets_.save(set, plan, onward_->isChecked()); }))
        return false;
    dirty_ = false;
    return true;
}

void BudgetWindow::reject()
{
    if (settleChanges())
        QDialog::reject();
}
