// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Database;

// The tables of budgets and recurring entries (schema version 10), beside the seven tables.
//
//   yusuan           budget amounts of an account set, each applying from its month on
//                    until a later row of the same kind takes over: scope 'month' (an
//                    item's amount for each month), 'year' (an item's amount for a whole
//                    year, start "yyyy-01") or 'total' (the month's total, item ''); income
//                    1 for an income item. An amount NULL ends the budget from that month.
//   yusuan_shezhi    per account set: whether saving an expense over its budget says so.
//   zhouqi           schedules of recurring entries: the entry (kind 收入, 支出 or 转账, item,
//                    account, the other account of a transfer, handler, amount, summary) and
//                    the rule (see ScheduleRule), start, end date or number of times,
//                    whether due occurrences are posted without asking, and `pending`: the
//                    first occurrence not yet posted or skipped (kept with each record).
//   zhouqi_ci        each occurrence dealt with, by schedule and date: posted (with the
//                    entry's or transfer's id) or skipped. Its key makes an occurrence
//                    recorded once, and it is written in the transaction of the entry.
namespace PlanningTables {

// Makes what is missing of the tables and indexes; safe to run again.
void create(Database &db);

} // namespace PlanningTables
