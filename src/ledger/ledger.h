#pragma once

#include "ui/record_model.h"

#include <QString>
#include <QStringList>

#include <vector>

class DataFile;

// Count and totals of the entries a list shows.
struct LedgerTotals {
    int count = 0;
    double income = 0;
    double expense = 0;
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

// Which entries a ledger tree key stands for: "0_" (and the empty key) all entries,
// "100" the newest hundred, "2008_" a year, "2008_3_" a month.
struct LedgerSpan {
    enum Kind { All, Newest, Period, Nothing } kind = Nothing;
    QString from;   // first date of the period, inclusive ("yyyy-mm-dd")
    QString until;  // first date after the period, exclusive
    static LedgerSpan forKey(const QString &key);
};

// The ledger's entries in the data file: the lists and the date tree of one account set.
class Ledger {
public:
    explicit Ledger(DataFile &data) : data_(data) {}

    // The eight columns of the entry lists.
    static QList<RecordColumn> columns();
    static QString incomeKind() { return QStringLiteral("收入"); }

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
    static QString countPanel(int count);

    // Keys and captions of the date tree.
    static QString yearKey(int year);
    static QString monthKey(int year, int month);
    static QString yearCaption(int year);
    static QString monthCaption(int month);

private:
    DataFile &data_;
};
