// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"
#include "ui/app_context.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// "帐务统计": counts and sums of the income and expense entries of the whole account set,
// and the balance, computed once when the window opens. "打印" prints them. Given a way
// to open the report, it has a button "报表" that closes it and opens "收支报表".
class FinanceSummary : public QDialog {
    Q_OBJECT
public:
    explicit FinanceSummary(const AppContext &context, QWidget *parent = nullptr,
                            std::function<void()> openReport = {});

    // The texts the window shows for these figures.
    struct Texts {
        QString incomeCount, income, expenseCount, expense, balance;
    };
    static Texts texts(const FinanceFigures &figures);

    // "打印": the figures in the print preview.
    void print();

private:
    void showTexts(const Texts &texts);

    AppContext context_;
    std::optional<FinanceFigures> figures_;  // nothing when they could not be read
    QPushButton *print_;    // Command1
    QLabel *incomeCount_;   // Label1
    QLabel *income_;        // Label3
    QLabel *expenseCount_;  // Label4
    QLabel *expense_;       // Label6
    QLabel *balance_;       // Label8
};
