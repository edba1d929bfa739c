// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/due_window.h"

#include "recurring/schedule_window.h"
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

DueWindow::DueWindow(const AppContext &context, std::vector<Occurrence> due, QWidget *parent)
    : QDialog(parent), context_(context), due_(std::move(due))
{
    setObjectName(QStringLiteral("DueWindow"));
    setWindowTitle(QStringLiteral("到期的周期记账"));
    setModal(true);
    resize(620, 400);
    table_ = ScheduleWindow::makeList(QStringLiteral("DueTable"), QStringLiteral("到期的周期记账"),
                                      {QStringLiteral("日期"), QStringLiteral("类别"), QStringLiteral("项目"),
                                       QStringLiteral("金额"), QStringLiteral("账户")},
                                      this);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("勾选要处理的记录（空格键勾选）。"), this), 1);
    auto button = [&](const QString &caption, const QString &name) {
        QPushButton *b = namedButton(caption, name, this);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("记入"), QStringLiteral("DuePost")), &QPushButton::clicked, this,
            &DueWindow::postTicked);
    connect(button(QStringLiteral("跳过"), QStringLiteral("DueSkip")), &QPushButton::clicked, this,
            &DueWindow::skipTicked);
    connect(button(QStringLiteral("稍后"), QStringLiteral("DueLater")), &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("以下周期记账已经到期："), this));
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    fill();
}

void DueWindow::fill()
{
    table_->setRowCount(int(due_.size()));
    for (int r = 0; r < int(due_.size()); ++r) {
        const Occurrence &o = due_[size_t(r)];
        const Schedule &s = o.schedule;
        const QStringList cells{o.date.toString(QStringLiteral("yyyy-MM-dd")), s.kind, ScheduleWindow::describe(s),
                                s.amount, ScheduleWindow::accountText(s)};
        for (int c = 0; c < cells.size(); ++c)
            table_->setItem(r, c, new QTableWidgetItem(cells[c]));
        table_->item(r, 0)->setFlags(table_->item(r, 0)->flags() | Qt::ItemIsUserCheckable);
        table_->item(r, 0)->setCheckState(Qt::Checked);
    }
}

void DueWindow::setTicked(int row, bool ticked)
{
    if (QTableWidgetItem *item = table_->item(row, 0))
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

std::vector<Occurrence> DueWindow::ticked() const
{
    std::vector<Occurrence> result;
    for (int r = 0; r < table_->rowCount(); ++r)
        if (table_->item(r, 0)->checkState() == Qt::Checked)
            result.push_back(due_[size_t(r)]);
    return result;
}

void DueWindow::dropDealtWith(const std::vector<Occurrence> &dealt)
{
    std::erase_if(due_, [&](const Occurrence &o) {
        return std::any_of(dealt.begin(), dealt.end(), [&](const Occurrence &d) {
            return d.schedule.id == o.schedule.id && d.date == o.date;
        });
    });
    fill();
    if (due_.empty())
        accept();
}

void DueWindow::postTicked()
{
    const std::vector<Occurrence> chosen = ticked();
    if (chosen.empty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请勾选要记入的记录！"));
        return;
    }
    const std::optional<PostOutcome> outcome = context_.prompt.attempt(
        this, [&] { return Schedules(context_.data).post(context_.session.CurrentAccountSetId, chosen); });
    if (!outcome)
        return;
    posted_ += outcome->posted;
    if (!outcome->failed.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("以下记录没有记入：\n") + outcome->failed.join(u'\n'));
        // The refused ones stay on the list; the rest are dealt with.
        std::vector<Occurrence> done;
        for (int i = 0; i < int(chosen.size()); ++i)
            if (std::find(outcome->failedAt.begin(), outcome->failedAt.end(), i) == outcome->failedAt.end())
                done.push_back(chosen[size_t(i)]);
        dropDealtWith(done);
        return;
    }
    dropDealtWith(chosen);
}

void DueWindow::skipTicked()
{
    const std::vector<Occurrence> chosen = ticked();
    if (chosen.empty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请勾选要跳过的记录！"));
        return;
    }
    if (context_.prompt.attempt(this, [&] { Schedules(context_.data).skip(chosen); }))
        dropDealtWith(chosen);
}
