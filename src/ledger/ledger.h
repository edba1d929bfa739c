// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/money.h"
#include "ui/record_row.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>
#include <vector>

class DataFile;
struct EntryQuery;

// Count and totals of the entries a list shows.
struct LedgerTotals {
    int count = 0;
    Money income;
    Money expense;
};

// The texts of status-bar panels 3 to 6.
struct LedgerPanels {
    QString count, income, expense, balance;
};

// The entries a tree node lists: rows for the entry list, newest first, and their totals.
struct LedgerPage {
    std::vector<RecordRow> rows;
    LedgerTotals totals;
};

struct LedgerMonth {
    int year = 0;
    int month = 0;
    bool operator==(const LedgerMonth &) const = default;
};

// One ledger entry as the editor shows and saves it. The summary is stored with CR LF.
struct LedgerEntry {
    qint64 id = 0;
    QString date;  // "yyyy-mm-dd"
    QString kind, item, method, handler, amount, summary;
};

// What the search panel asks for: each condition counts only when it is ticked.
struct SearchRequest {
    bool byDate = false;          // Check1 "指定时间"
    QDate from, to;               // DTPicker1, DTPicker2, both inclusive
    bool byIncomeItem = false;    // Check4 "收入"
    QString incomeItem;           // Combo2
    bool byExpenseItem = false;   // Check5 "支出"
    QString expenseItem;          // Combo3
    bool byHandler = false;       // Check2 "指定经手人"
    QString handler;              // Combo1
    bool byMethod = false;        // Check6 "收支方式"
    QString method;               // Combo4
    bool bySummary = false;       // Check3 "指定摘要"
    QString summary;              // Text1

    bool anyTicked() const { return byDate || byIncomeItem || byExpenseItem || byHandler || byMethod || bySummary; }
};

// A condition with "?" where its values are bound.
struct SqlCondition {
    QString text;
    QVariantList values;
};

// Counts and sums of a whole account set, income and expense.
struct FinanceFigures {
    qint64 incomeCount = 0;
    qint64 expenseCount = 0;
    Money income;
    Money expense;
};

// One row of the batch import's preview: its number and the seven pasted cells.
struct ImportRow {
    int number = 0;
    QString date, item, income, expense, method, handler, summary;
};

// What a batch import stored, and the numbers of the rows it could not store.
struct ImportReport {
    int stored = 0;
    QList<int> badDate;
    QList<int> badAmount;
};

// Which entries a ledger tree key stands for: "0_" (and the empty key) all entries,
// "100" the newest hundred, "2008_" a year, "2008_3_" a month. A month's entries are
// those filed under it (Dates::monthOf), a year's those of its twelve months.
struct LedgerSpan {
    enum Kind { All, Newest, Period, Nothing } kind = Nothing;
    SqlCondition period;  // Period: the condition on the date
    static LedgerSpan forKey(const QString &key);
};

// The ledger's entries in the data file: the lists and the date tree of one account set.
class Ledger {
public:
    explicit Ledger(DataFile &data) : data_(data) {}

    // The eight columns of the entry lists.
    static QList<RecordColumn> columns();
    static QString incomeKind() { return QStringLiteral("收入"); }

    // Every row of a list at once, as the lists show them (the windows read theirs on
    // demand, through EntryList).
    LedgerPage page(const EntryQuery &query);
    // The entries of a tree node (see LedgerSpan), dates descending, newest id first.
    LedgerPage LoadData(const QString &key, int accountSet);
    // The months that have entries, ascending.
    std::vector<LedgerMonth> months(int accountSet);

    // Choice lists of the search panel, in catalogue order.
    struct Choices {
        QStringList handlers, methods, incomeItems, expenseItems;
    };
    Choices searchChoices();

    // Panels after loading a list: plain totals and a "0.000" balance.
    static LedgerPanels listPanels(const LedgerTotals &totals);
    // Panels after deleting an entry: "0.000" totals and a plain balance.
    static LedgerPanels deletePanels(const LedgerTotals &totals);
    // Panels after a search: all three "0.000".
    static LedgerPanels searchPanels(const LedgerTotals &totals);
    static QString countPanel(int count);

    // The entry editor's choices: the kinds (the catalogue's income and expense roots),
    // payment methods and handlers, and the items of a kind.
    struct EditorChoices {
        QStringList kinds, methods, handlers;
    };
    EditorChoices editorChoices();
    QStringList items(const QString &kind);
    // An item typed in the editor joins the catalogue under its kind (the root of the
    // item tree whose caption is the kind), so that every list of items offers it; true
    // when it was added. An empty item, one the kind has already, or a kind that is no
    // root of the item tree adds nothing.
    bool keepItem(const QString &kind, const QString &item, const QDateTime &now = QDateTime::currentDateTime());

    // One entry; nothing when there is no entry with that id.
    std::optional<LedgerEntry> entry(qint64 id);
    // Adds an entry to an account set; returns its id. Texts are stored without NUL.
    qint64 addEntry(const LedgerEntry &entry, int accountSet);
    // Saves the entry's fields into the entry with its id; false when there is none.
    bool updateEntry(const LedgerEntry &entry);
    // The row of an entry list that shows an entry as read: the date in the list's form,
    // the first line of the summary.
    static RecordRow listedRow(const LedgerEntry &entry);
    // The row of an entry just saved by the editor: the whole summary.
    static RecordRow listRow(const LedgerEntry &entry);
    bool deleteEntry(qint64 id);
    // True when the password fits the user's stored one (PasswordHash::matches).
    bool passwordMatches(const QString &userName, const QString &password);
    // Deletes every entry of one account set; returns how many there were.
    int deleteAll(int accountSet);

    // The search: the condition of the ticked boxes in their fixed order; the entries it
    // finds, newest id first.
    static SqlCondition searchCondition(const SearchRequest &request);
    // "统计查询" and the ticked conditions, as a title says them:
    // "统计查询：2008-12-01 至 2008-12-31，支出项目：餐饮".
    static QString searchCaption(const SearchRequest &request);
    // The name of an account set; empty when there is none with that id.
    QString accountSetName(int accountSet);
    LedgerPage search(const SearchRequest &request, int accountSet);

    // The finance summary of a whole account set.
    FinanceFigures financeSummary(int accountSet);

    // The batch import: spreadsheet rows from the clipboard text, and storing them.
    static std::vector<ImportRow> parseImport(const QString &clipboardText);
    // The amount text as it is stored: blanks and the commas that group thousands taken
    // out ("1,234.50"); nothing when it is not a plain decimal ("1,5", "1e5").
    static std::optional<QString> importAmount(const QString &text);
    // Stores the rows that have a date and a number in one transaction. progress is
    // called every few hundred rows while they are checked (as 0 of 0) and inside the
    // transaction (to keep a window painting).
    ImportReport importRows(const std::vector<ImportRow> &rows, int accountSet,
                            const std::function<void(int done, int total)> &progress = {});

    // Keys and captions of the date tree.
    static QString yearKey(int year);
    static QString monthKey(int year, int month);
    static QString yearCaption(int year);
    static QString monthCaption(int month);

private:
    static RecordRow row(const LedgerEntry &entry, const QString &summary);
    // The entry's texts as they are stored (without NUL), date to summary.
    static QVariantList storedFields(const LedgerEntry &entry);
    DataFile &data_;
};
