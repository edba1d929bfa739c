// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
};

// Why a preview row may already have been imported.
struct DuplicateMark {
    enum Kind {
        None,
        Stored,      // an entry of the account set has the same date, amount and summary
        EarlierRow,  // an earlier row of the preview has them
    } kind = None;
    int earlier = 0;  // EarlierRow: that row's No.
};

// Bank and spreadsheet files for the batch import's preview: CSV and TSV (UTF-8 or GBK,
// comma, tab or semicolon), QIF and OFX; the remembered column choices of CSV files; and
// the likely duplicates among the rows to import. The readers know nothing of the
// ledger; their rows become its import rows here.
class FileImport {
public:
    explicit FileImport(DataFile &data) : data_(data) {}

    // The file dialog's filter, in Prompt's "description|patterns|..." form.
    static QString filter();
    // Files larger than this are refused rather than read into memory.
    static constexpr qint64 MaxBytes = 200LL * 1024 * 1024;
    // Files with more rows than this are read with a progress dialog.
    static constexpr qint64 ProgressRows = 20000;

    // Reads a file: QIF by its ".qif" name or its "!Type:" start, OFX by ".ofx"/".qfx" or
    // its header, anything else as CSV. A CSV whose first row holds the preview's titles
    // gives rows at once, any other a table to map, starting from the remembered choice
    // (when the data file cannot be read, from the guess).
    FileReading open(const QString &path, const FileRows::Progress &progress = {});
    // The same for a file's bytes, without remembered choices (suffix: "csv", "qif", ...).
    static FileReading read(const QByteArray &bytes, const QString &suffix, const FileRows::Progress &progress = {});
    // "无法读取文件“/path/name.csv”：" and the reason.
    static QString failureText(const QString &path, const QString &reason);

    // The mapping chosen last for a file with the same header (or, without a header, the
    // same number of columns); nothing when there is none or it does not fit the table.
    std::optional<ColumnMapping> rememberedMapping(const CsvTable &table);
    void rememberMapping(const CsvTable &table, const ColumnMapping &mapping);

    // For each row, whether its date, kind, amount and summary equal those of an entry of
    // the account set or of an earlier row (a lower No.). Rows whose date or amount does
    // not read are never duplicates; amounts are compared as numbers ("12.50" is "12.5").
    std::vector<DuplicateMark> duplicates(const std::vector<ImportRow> &rows, int accountSet);

    // A file's rows as rows of the batch import's preview, which the ledger stores as
    // entries: the one place where the readers' rows become the ledger's.
    static std::vector<ImportRow> previewRows(std::vector<FileRow> rows);

private:
    DataFile &data_;
};
