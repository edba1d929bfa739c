// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"

#include <vector>

// A table's records as rows of the batch import, read as statements write them: the
// notes above the header and the totals below the data are no rows; an unsigned amount
// takes its direction from the "收/支" ("借/贷") column; closed and failed payments are
// left out, and a purchase closed after a full refund together with its refund; other
// refunds are income on the item "退款"; rows that move no money ("不计收支", "/") are
// transfers between one's own accounts when they top up, withdraw or repay, else left out.
namespace StatementRows {

struct Result {
    std::vector<FileRow> rows;
    std::vector<SkippedLine> skipped;  // in the order of the file
    bool stopped = false;
};

// The reasons lines are left out for.
QString noteReason();          // "说明或汇总行": notes above the header, totals below the data
QString unreadableReason();    // "无法读取": a line among the records that reads as none
QString noMoneyReason();       // "不计收支"
QString fullRefundReason();    // "全额退款"
QString refundItem();          // "退款"

Result read(const CsvTable &table, const ColumnMapping &mapping, const FileRows::Progress &progress = {});

} // namespace StatementRows
