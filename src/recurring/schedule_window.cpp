// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/schedule_window.h"

#include "core/money.h"
#include "recurring/schedule_editor.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/prompt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

} // namespace

QTableWidget *ScheduleWindow::makeList(const QString &name, const QString &caption, const QStringList &headers,
                                       QWidget *parent)
{
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(name);
    table->setTabKeyNavigation(false);  // Tab goes on to the next control
    table->setAccessibleName(caption);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

namespace {

void setRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c)
        table->setItem(row, c, new QTableWidgetItem(cells[c]));
}

} // namespace

QString ScheduleWindow::accountText(const Schedule &s)
{
    return s.kind == Schedules::transferKind() ? s.account + QStringLiteral(" → ") + s.toAccount : s.account;
}

QString ScheduleWindow::describe(const Schedule &s)
{
    return s.kind == Schedules::transferKind() ? QStringLiteral("转账") : (s.item.isEmpty() ? s.kind : s.item);
}

ScheduleWindow::ScheduleWindow(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), schedules_(context.data)
{
    setObjectName(QStringLiteral("ScheduleWindow"));
    setWindowTitle(QStringLiteral("周期记账"));
    setModal(true);
    resize(760, 560);
    table_ = makeList(QStringLiteral("ScheduleTable"), QStringLiteral("周期记账"),
                  {QStringLiteral("类别"), QStringLiteral("项目"), QStringLiteral("账户"), QStringLiteral("金额"),
                   QStringLiteral("重复"), QStringLiteral("下次日期"), QStringLiteral("自动")},
                  this);
    upcoming_ = makeList(QStringLiteral("UpcomingTable"), QStringLiteral("未来30天"),
                     {QStringLiteral("日期"), QStringLiteral("类别"), QStringLiteral("项目"), QStringLiteral("账户"),
                      QStringLiteral("金额")},
                     this);
    total_ = new QLabel(this);
    total_->setObjectName(QStringLiteral("UpcomingTotal"));

    auto *buttons = new QHBoxLayout;
    auto button = [&](const QString &caption, const QString &name) {
        QPushButton *b = namedButton(caption, name, this);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("添加..."), QStringLiteral("ScheduleAdd")), &QPushButton::clicked, this,
            &ScheduleWindow::addSchedule);
    connect(button(QStringLiteral("修改..."), QStringLiteral("ScheduleModify")), &QPushButton::clicked, this,
            &ScheduleWindow::modifySchedule);
    connect(button(QStringLiteral("删除"), QStringLiteral("ScheduleDelete")), &QPushButton::clicked, this,
            &ScheduleWindow::deleteSchedule);
    buttons->addStretch();
    connect(button(QStringLiteral("关闭"), QStringLiteral("ScheduleClose")), &QPushButton::clicked, this,
            &QDialog::reject);
    connect(table_, &QTableWidget::activated, this, &ScheduleWindow::modifySchedule);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_, 3);
    layout->addLayout(buttons);
    layout->addWidget(new QLabel(QStringLiteral("未来30天："), this));
    layout->addWidget(upcoming_, 2);
    layout->addWidget(total_);
    LoadData();
}

void ScheduleWindow::LoadData()
{
    const int set = context_.session.CurrentAccountSetId;
    const QDate today = QDate::currentDate();
    std::vector<Occurrence> coming;
    if (!context_.prompt.attempt(this, [&] {
            listed_ = schedules_.all(set);
            coming = schedules_.upcoming(set, today);
        }))
        listed_.clear();
    table_->setRowCount(int(listed_.size()));
    for (int r = 0; r < int(listed_.size()); ++r) {
        const Schedule &s = listed_[size_t(r)];
        setRow(table_, r,
               {s.kind, s.kind == Schedules::transferKind() ? QString() : s.item, accountText(s), s.amount, s.rule.text(),
                s.pending.isEmpty() ? QStringLiteral("已结束") : s.pending,
                s.automatic ? QStringLiteral("是") : QStringLiteral("否")});
    }
    upcoming_->setRowCount(int(coming.size()));
    Money income, expense;
    for (int r = 0; r < int(coming.size()); ++r) {
        const Occurrence &o = coming[size_t(r)];
        setRow(upcoming_, r,
               {o.date.toString(QStringLiteral("yyyy-MM-dd")), o.schedule.kind, describe(o.schedule), accountText(o.schedule),
                o.schedule.amount});
        const Money amount = Money::fromStored(o.schedule.amount).value_or(Money());
        if (o.schedule.kind == QStringLiteral("收入"))
            income += amount;
        else if (o.schedule.kind != Schedules::transferKind())
            expense += amount;
    }
    // Transfers move money between accounts: neither income nor spending.
    total_->setText(QStringLiteral("共 %1 笔，收入合计：%2 元，支出合计：%3 元")
                        .arg(coming.size())
                        .arg(income.grouped(), expense.grouped()));
    total_->setAccessibleName(total_->text());
}

QString ScheduleWindow::upcomingTotal() const { return total_->text(); }

std::optional<Schedule> ScheduleWindow::selected()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= int(listed_.size()) || !table_->item(row, 0)->isSelected()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return std::nullopt;
    }
    return listed_[size_t(row)];
}

void ScheduleWindow::addSchedule()
{
    ScheduleEditor editor(context_, this);
    if (editor.exec() == QDialog::Accepted)
        LoadData();
}

void ScheduleWindow::modifySchedule()
{
    const std::optional<Schedule> s = selected();
    if (!s)
        return;
    ScheduleEditor editor(context_, this);
    editor.load(*s);
    if (editor.exec() == QDialog::Accepted)
        LoadData();
}

void ScheduleWindow::deleteSchedule()
{
    const std::optional<Schedule> s = selected();
    if (!s)
        return;
    if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                QStringLiteral("要删除周期记账“%1 %2”吗？已经记入的记录会保留。")
                                    .arg(describe(*s), s->rule.text()),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    context_.prompt.attempt(this, [&] { schedules_.remove(s->id); });
    LoadData();
}
