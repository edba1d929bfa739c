// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/file_import.h"
#include "ledger/ledger.h"
#include "ui/app_context.h"

#include <QDialog>
#include <QHash>

class QLabel;
class QLineEdit;
class QPushButton;
class RecordList;

// "批量导入财务数据": rows copied from a spreadsheet are pasted into a preview list, or
// read from a bank or spreadsheet file (CSV, QIF, OFX); cells corrected, unwanted rows
// removed, and the rest stored as entries of the user's account set. The rows of a file
// carry a tick in the column "保存": those that look imported already come unticked and
// are stored only when the user ticks them.
class BatchImport : public QDialog {
    Q_OBJECT
public:
    explicit BatchImport(const AppContext &context, QWidget *parent = nullptr);

    // "导入": replaces the preview with the rows of the clipboard's text.
    void pasteClipboard();
    // The same for a given text (what the clipboard holds).
    void paste(const QString &text);
    // "打开文件...": asks for a file and reads it into the preview.
    void openFile();
    // Replaces the preview's rows with the rows of the file, numbered from 1; a CSV file
    // whose header is not the preview's titles goes through "列对应" first. False, with
    // the preview as it was, when the file cannot be read (the user is told why) or the
    // user cancels.
    bool loadFile(const QString &path);
    // The second half of loadFile(): a file's rows (read, and mapped when it is a table)
    // into the preview, a statement's landing in the account (empty: the file's payment
    // methods) with its items filled; the user is told what kept them out.
    bool showReading(FileReading reading, const QString &path, const QString &account, bool statement);
    // Opens an editor over a cell of the preview (any column but "No."); Enter or leaving
    // it keeps the text, Esc drops it. Double-click and F2 start it.
    void editCell(int row, int column);
    // A cell as corrected: the date is stored "yyyy-mm-dd" when it reads as a date.
    void setCell(int row, int column, const QString &text);
    // "删除": removes the selected row; the other rows keep their numbers.
    void removeSelected();
    // "删除全部".
    void removeAll();
    // "保存": stores the rows in one transaction and says what was stored, what was left
    // out and why. Of a file's rows only the ticked ones are stored; when some are not,
    // the stored rows leave the preview and the unticked ones (and those that could not
    // be stored) stay. A statement's transfers are stored as transfers between the two
    // accounts, and a QIF file's opening balance becomes its account's (asked first when
    // the account has another one).
    void save();
    // The tick of a file's row in the column "保存"; pasted rows have none and are stored.
    bool ticked(int row) const;
    void setTicked(int row, bool ticked);
    // The file's opening balance that 保存 gives its account; nothing for none.
    const std::optional<OpeningBalance> &opening() const { return opening_; }
    // "导入规则...": the rules that fill the items of statements.
    void editRules();
    // "退款冲减原消费": each refund of a statement is taken off a purchase from the same
    // counterparty of at least its amount, and leaves the preview; the purchase says so.
    // Returns how many were set against a purchase.
    int setRefundsAgainstPurchases();

    RecordList *list() const { return list_; }
    // The rows of the preview as they stand.
    std::vector<ImportRow> rows() const;
    // Which rows of a file look imported already, in the preview's order, and a row's
    // tooltip. Pasted rows are not marked.
    const std::vector<DuplicateMark> &marks() const { return marks_; }
    QString markText(int row) const;
    // The message after storing: what was stored, and what was left out and why.
    struct Outcome {
        ImportReport report;
        int transfers = 0;                  // of report.stored
        QList<int> noAccount;               // transfers whose other account is not one of the accounts
        int duplicates = 0;                 // left out as likely duplicates (not ticked)
        int unticked = 0;                   // other rows the user did not tick
        QString opening;                    // what became of the file's opening balance
        bool openingLeft = false;           // it could not be given to its account
        std::vector<SkippedLine> skipped;   // lines of the file that gave no row
        bool skippedRows() const;           // some of them were rows (not notes)
    };
    // "交易关闭 2 条，全额退款 2 条": why the rows of a file were left out.
    static QString skippedLinesText(const std::vector<SkippedLine> &skipped);
    static QString reportText(const ImportReport &report);
    static QString outcomeText(const Outcome &outcome);
    // What the preview says under its list: rows filled by rules and history, lines left out.
    QString statusText() const;
    // A row's note ("退款", "转账：...", "规则：...") by its No.
    RowNote note(int number) const { return notes_.value(number); }

    static QList<RecordColumn> columns();
    // The column of the ticks, "保存", shown first.
    static constexpr int TickColumn = 9;
    // More rows than this are stored with the data file's wide cache (DataFile::WideCache).
    static constexpr size_t LargeImport = 10000;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRows(const std::vector<ImportRow> &rows);
    // The tick column: shown, first, for a file's rows; hidden for pasted ones.
    void showTicks();
    // The file's opening balance as the account will take it, asked about when the account
    // has another one; the outcome says what became of it. False: leave the account as it is.
    bool takeOpening(Account &account, Outcome &outcome);
    // Marks the rows anew: their pictures and marks_.
    void markDuplicates();
    // Shows marks_ as the rows' pictures.
    void showMarks();
    std::vector<DuplicateMark> duplicatesOf(const std::vector<ImportRow> &rows);
    void closeEditor(bool keep);
    // A corrected item of a statement's row, offered as a rule for its counterparty.
    void offerRule(int number, const QString &item);

    AppContext context_;
    RecordList *list_;              // ListView1
    QList<QPushButton *> buttons_;  // Command1..Command5
    std::vector<DuplicateMark> marks_;
    QLineEdit *editor_ = nullptr;
    int editRow_ = -1, editColumn_ = -1;
    bool fromFile_ = false;  // the rows came from a file: duplicates are marked
    bool saving_ = false;
    QLabel *status_;
    QHash<int, RowNote> notes_;          // by No.: what a statement's rows are
    std::vector<SkippedLine> skipped_;   // the file's lines that gave no row
    int filled_ = 0;
    std::optional<OpeningBalance> opening_;  // a QIF file's, for an account that exists
};
