// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// "统计范围": the search conditions of "统计查询", each with its box to tick, and "统 计".
class SearchPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SearchPanel(QWidget *parent = nullptr);

    // What the panel asks for.
    SearchRequest request() const;
    // Ticks and fills in the conditions of a request, and only those. A choice the
    // catalogue no longer offers (an item since deleted) is added to its list.
    void setRequest(const SearchRequest &request);
    // The choice lists, emptied and filled again.
    void setChoices(const Ledger::Choices &choices);
    // Adds the choices the lists do not have yet, at their ends; what is chosen stays.
    void offer(const Ledger::Choices &choices);
    // The date range: the current month, from its first day to its last.
    void resetDates();

signals:
    // "统 计" was clicked.
    void searchClicked();

private:
    QCheckBox *check_[7] = {};  // Check1 .. Check6 at their own numbers
    QDateEdit *fromDate_ = nullptr;
    QDateEdit *toDate_ = nullptr;
    QComboBox *handlers_ = nullptr;      // Combo1
    QComboBox *incomeItems_ = nullptr;   // Combo2
    QComboBox *expenseItems_ = nullptr;  // Combo3
    QComboBox *methods_ = nullptr;       // Combo4
    QLineEdit *summaryText_ = nullptr;   // Text1
    QPushButton *searchButton_ = nullptr;
};
