// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/budget_watch.h"

#include "budgets/budget_window.h"
#include "reports/budget_progress.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/commands.h"
#include "ui/prompt.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace {
constexpr int WatchMs = 1500;
}

BudgetWatch::BudgetWatch(Commands &commands, const AppContext &context, QWidget *window)
    : QObject(window), context_(context), window_(window), panel_(new QLabel(window)), watch_(new QTimer(this))
{
    panel_->setObjectName(QStringLiteral("BudgetPanel"));
    panel_->setFrameShape(QFrame::StyledPanel);
    panel_->hide();
    commands.on(Command::Budgets, this, &BudgetWatch::openBudgets);
    watch_->setInterval(WatchMs);
    connect(watch_, &QTimer::timeout, this, &BudgetWatch::updateIfChanged);
    watch_->start();
}

void BudgetWatch::addPanelTo(QStatusBar *bar) { bar->addWidget(panel_, 2); }

void BudgetWatch::updateIfChanged()
{
    if (context_.data.changedSince(seen_))
        update();
}

void BudgetWatch::update()
{
    QString text;
    try {
        text = BudgetProgress(context_.data).leftThisMonth(context_.session.CurrentAccountSetId, QDate::currentDate());
    } catch (const StoreError &) {
        text.clear();  // unreadable: no panel rather than a wrong figure
    }
    seen_ = context_.data.changeMark();
    panel_->setText(text);
    panel_->setAccessibleName(text);
    panel_->setVisible(!text.isEmpty());
}

void BudgetWatch::entrySaved(QWidget *editor, const LedgerEntry &entry)
{
    std::optional<QString> word;
    try {
        word = BudgetProgress(context_.data).overrun(context_.session.CurrentAccountSetId, entry);
    } catch (const StoreError &) {
        word.reset();  // the entry is saved; only the word is missing
    }
    if (word)
        context_.prompt.information(editor, QStringLiteral("提示"), *word);
    update();
}

void BudgetWatch::openBudgets()
{
    BudgetWindow window(context_, window_);
    window.exec();
    update();
}
