// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "fileimport/csv_table.h"
#include "fileimport/file_rows.h"
#include "ledger/ledger.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class DataFile;

// What opening a file for the batch import gave.
struct FileReading {
    enum Kind {
        Rows,     // rows for the preview
        Table,    // a CSV file whose columns the user maps first ("列对应")
        Failed,   // nothing could be read: reason says why
        Stopped,  // the user stopped the reading
    } kind = Failed;
    std::vector<FileRow> rows;
    CsvTable table;
    ColumnMapping mapping;  // Table: the remembered choice, else a guess, to start from
    QString reason;         // Failed: one sentence
    std::vector<SkippedLine> skipped;  // Rows: the lines that gave no row, and why
    QString profile;        // the statement it was recognised as ("支付宝账单"); empty for none
    AccountHint account;    // what the statement says of its account
    QString currency;       // OFX: the statement's currency when it is not the yuan ("USD")
    std::optional<OpeningBalance> opening;  // QIF: the account's balance where the file starts
};

// What the preview shows beside a row of a statement: what kind of row it is and why it
// was filled as it was.
struct RowNote {
    FileRow::Kind kind = FileRow::Entry;
    QString counterparty;
    QString otherAccount;  // Transfer: the other account's name; empty when none was found
    QString text;          // "退款", "转账：支付宝 → 招商银行卡", "规则：滴滴 → 交通"
};

// A statement's rows as the preview's, with accounts found and items filled.
struct StatementPreview {
    std::vector<ImportRow> rows;
    std::vector<RowNote> notes;  // one per row
    int filled = 0;              // rows whose item came from a rule or the user's history
};

// Why a preview row may already have been imported.
struct DuplicateMark {
    enum Kind {
        None,
        Stored,      // an entry of the account set has the same date, amount and summary
        EarlierRow,  // an earlier row of the preview has them
        Moved,       // an entry of the same account, amount and counterparty a day apart at most:
                     // the same payment in another statement
    } kind = None;
    int earlier = 0;  // EarlierRow: that row's No.
};

// Bank and spreadsheet files for the batch import's preview: CSV and TSV (UTF-8 or GBK,
// comma, tab or semicolon), Excel workbooks, QIF and OFX; the statements recognised by
// their content (StatementProfiles); the remembered column choices and accounts; and the
// likely duplicates among the rows to import. The readers know nothing of the ledger;
// their rows become its import rows here, with accounts found and items filled.
class FileImport {
public:
    explicit FileImport(DataFile &data) : data_(data) {}

    // The file dialog's filter, in Prompt's "description|patterns|..." form.
    static QString filter();
    // Files larger than this are refused rather than read into memory.
    static constexpr qint64 MaxBytes = 200LL * 1024 * 1024;
    // Files with more rows than this are read with a progress dialog.
    static constexpr qint64 ProgressRows = 20000;

    // Reads a file: a workbook by ".xlsx" or its zip start, QIF by its ".qif" name or its
    // "!Type:" start, OFX by ".ofx"/".qfx" or its header, anything else as CSV. A table
    // whose first row holds the preview's titles gives rows at once, any other a table to
    // map, starting from the remembered choice, else the user's own profile whose header
    // it holds (OwnProfiles), else the recognised statement's mapping,
    // else a guess from the header found below the notes (or from the first row's cells).
    FileReading open(const QString &path, const FileRows::Progress &progress = {});
    // The same for a file's bytes, without remembered choices (suffix: "csv", "qif", ...).
    static FileReading read(const QByteArray &bytes, const QString &suffix, const FileRows::Progress &progress = {});
    // "无法读取文件“/path/name.csv”：" and the reason.
    static QString failureText(const QString &path, const QString &reason);

    // The mapping chosen last for a file with the same header (or, for a table in which no
    // header was found, one chosen for a file without a header and of the same number of
    // columns); nothing when there is none or it does not fit the table.
    std::optional<ColumnMapping> rememberedMapping(const CsvTable &table, int headerLine = 0, bool headerFound = false);
    void rememberMapping(const CsvTable &table, const ColumnMapping &mapping);

    // For each row, whether its date, kind, amount and summary equal those of an entry of
    // the account set or of an earlier row (a lower No.). Rows whose date or amount does
    // not read are never duplicates; amounts are compared as numbers ("12.50" is "12.5").
    // A row with a counterparty (notes, in the rows' order) is also the same as an entry
    // of its payment method, kind and amount a day apart at most whose summary names it;
    // a row without one, as such an entry whose counterparty ("滴滴出行" of "滴滴出行 - 快车")
    // its own summary names.
    std::vector<DuplicateMark> duplicates(const std::vector<ImportRow> &rows, int accountSet,
                                          const std::vector<RowNote> &notes = {});

    // A file's rows as rows of the batch import's preview, which the ledger stores as
    // entries: the one place where the readers' rows become the ledger's.
    static std::vector<ImportRow> previewRows(std::vector<FileRow> rows);
    // The same for a statement landing in an account: the payment method is the account
    // (or the card the statement names for the row, when it is one of the accounts), the
    // item comes from the rules, else the user's history, else the file; a transfer's
    // other account is found among the accounts. Without `statement` (a file of the
    // ledger's own columns, QIF, OFX) only empty items are filled.
    StatementPreview preview(std::vector<FileRow> rows, int accountSet, const QString &account, bool statement = true);

    // The account a statement was last put in, and remembering it.
    QString rememberedAccount(const QString &profile, const AccountHint &hint);
    void rememberAccount(const QString &profile, const AccountHint &hint, const QString &account);

private:
    // A table read from a CSV file or a workbook: rows at once, or the mapping to start from.
    static FileReading readTable(FileReading reading, const FileRows::Progress &progress);
    DataFile &data_;
};
