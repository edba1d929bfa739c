// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/recurring_commands.h"

#include "recurring/due_window.h"
#include "recurring/schedule_window.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/commands.h"
#include "ui/prompt.h"

RecurringCommands::RecurringCommands(Commands &commands, const AppContext &context, QWidget *window)
    : QObject(window), context_(context), window_(window)
{
    commands.on(Command::Recurring, this, &RecurringCommands::openSchedules);
}

void RecurringCommands::openSchedules()
{
    ScheduleWindow window(context_, window_);
    window.exec();
}

void RecurringCommands::checkDue()
{
    // A file that cannot be written posts nothing and asks nothing.
    if (context_.data.isReadOnly())
        return;
    const int set = context_.session.CurrentAccountSetId;
    const QDate today = QDate::currentDate();
    Schedules schedules(context_.data);
    int count = 0;
    if (const std::optional<std::vector<Occurrence>> automatic =
            context_.prompt.attempt(window_, [&] { return schedules.due(set, today, true); });
        automatic && !automatic->empty()) {
        const std::optional<PostOutcome> outcome = context_.prompt.attempt(window_, [&] { return schedules.post(set, *automatic); });
        if (outcome) {
            count += outcome->posted;
            if (!outcome->failed.isEmpty())
                context_.prompt.information(window_, QStringLiteral("提示"),
                                            QStringLiteral("以下周期记账没有自动记入：\n") + outcome->failed.join(u'\n'));
        }
    }
    if (const std::optional<std::vector<Occurrence>> due =
            context_.prompt.attempt(window_, [&] { return schedules.due(set, today); });
        due && !due->empty()) {
        DueWindow window(context_, *due, window_);
        window.exec();
        count += window.posted();
    }
    if (count > 0)
        emit posted();
}
