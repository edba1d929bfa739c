// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/search_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SearchPanel::SearchPanel(QWidget *parent) : QGroupBox(QStringLiteral("统计范围"), parent)
{
    setObjectName(QStringLiteral("Frame2"));
    // At least the designed width, and as wide as a larger font needs.
    setMinimumWidth(240);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto *grid = new QGridLayout(this);

    auto check = [&](int number, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QStringLiteral("Check%1").arg(number));
        check_[number] = box;
        return box;
    };
    auto combo = [&](const QString &name) {
        auto *box = new QComboBox(this);
        box->setObjectName(name);
        box->setEditable(false);
        return box;
    };
    auto date = [&](const QString &name) {
        auto *edit = new QDateEdit(this);
        edit->setObjectName(name);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        return edit;
    };

    int row = 0;
    grid->addWidget(check(1, QStringLiteral("指定时间")), row++, 0, 1, 2);
    fromDate_ = date(QStringLiteral("DTPicker1"));
    grid->addWidget(new QLabel(QStringLiteral("从"), this), row, 0);
    grid->addWidget(fromDate_, row++, 1);
    toDate_ = date(QStringLiteral("DTPicker2"));
    grid->addWidget(new QLabel(QStringLiteral("到"), this), row, 0);
    grid->addWidget(toDate_, row++, 1);
    incomeItems_ = combo(QStringLiteral("Combo2"));
    grid->addWidget(check(4, QStringLiteral("收入")), row, 0);
    grid->addWidget(incomeItems_, row++, 1);
    expenseItems_ = combo(QStringLiteral("Combo3"));
    grid->addWidget(check(5, QStringLiteral("支出")), row, 0);
    grid->addWidget(expenseItems_, row++, 1);
    handlers_ = combo(QStringLiteral("Combo1"));
    grid->addWidget(check(2, QStringLiteral("指定经手人")), row++, 0, 1, 2);
    grid->addWidget(handlers_, row++, 1);
    methods_ = combo(QStringLiteral("Combo4"));
    grid->addWidget(check(6, QStringLiteral("收支方式")), row++, 0, 1, 2);
    grid->addWidget(methods_, row++, 1);
    summaryText_ = new QLineEdit(this);
    summaryText_->setObjectName(QStringLiteral("Text1"));
    grid->addWidget(check(3, QStringLiteral("指定摘要")), row++, 0, 1, 2);
    grid->addWidget(summaryText_, row++, 1);
    searchButton_ = new QPushButton(QStringLiteral("统 计"), this);
    searchButton_->setObjectName(QStringLiteral("Command1"));
    grid->addWidget(searchButton_, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    // What a screen reader says for each field.
    fromDate_->setAccessibleName(QStringLiteral("从"));
    toDate_->setAccessibleName(QStringLiteral("到"));
    incomeItems_->setAccessibleName(QStringLiteral("收入项目"));
    expenseItems_->setAccessibleName(QStringLiteral("支出项目"));
    handlers_->setAccessibleName(QStringLiteral("经手人"));
    methods_->setAccessibleName(QStringLiteral("收支方式"));
    summaryText_->setAccessibleName(QStringLiteral("摘要"));
    connect(searchButton_, &QPushButton::clicked, this, &SearchPanel::searchClicked);
}

SearchRequest SearchPanel::request() const
{
    SearchRequest r;
    r.byDate = check_[1]->isChecked();
    r.from = fromDate_->date();
    r.to = toDate_->date();
    r.byIncomeItem = check_[4]->isChecked();
    r.incomeItem = incomeItems_->currentText();
    r.byExpenseItem = check_[5]->isChecked();
    r.expenseItem = expenseItems_->currentText();
    r.byHandler = check_[2]->isChecked();
    r.handler = handlers_->currentText();
    r.byMethod = check_[6]->isChecked();
    r.method = methods_->currentText();
    r.bySummary = check_[3]->isChecked();
    r.summary = summaryText_->text();
    return r;
}

void SearchPanel::setRequest(const SearchRequest &request)
{
    for (QCheckBox *box : check_)
        if (box)
            box->setChecked(false);
    check_[1]->setChecked(request.byDate);
    if (request.byDate) {
        fromDate_->setDate(request.from);
        toDate_->setDate(request.to);
    }
    auto choose = [](QComboBox *box, QCheckBox *check, bool ticked, const QString &text) {
        check->setChecked(ticked);
        if (!ticked)
            return;
        if (box->findText(text) < 0)
            box->addItem(text);
        box->setCurrentIndex(box->findText(text));
    };
    choose(incomeItems_, check_[4], request.byIncomeItem, request.incomeItem);
    choose(expenseItems_, check_[5], request.byExpenseItem, request.expenseItem);
    choose(handlers_, check_[2], request.byHandler, request.handler);
    choose(methods_, check_[6], request.byMethod, request.method);
    check_[3]->setChecked(request.bySummary);
    if (request.bySummary)
        summaryText_->setText(request.summary);
}

void SearchPanel::setChoices(const Ledger::Choices &choices)
{
    handlers_->clear();
    handlers_->addItems(choices.handlers);
    methods_->clear();
    methods_->addItems(choices.methods);
    incomeItems_->clear();
    incomeItems_->addItems(choices.incomeItems);
    expenseItems_->clear();
    expenseItems_->addItems(choices.expenseItems);
}

void SearchPanel::offer(const Ledger::Choices &choices)
{
    auto add = [](QComboBox *box, const QStringList &texts) {
        for (const QString &text : texts)
            if (box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
                box->addItem(text);
    };
    add(handlers_, choices.handlers);
    add(methods_, choices.methods);
    add(incomeItems_, choices.incomeItems);
    add(expenseItems_, choices.expenseItems);
}

void SearchPanel::resetDates()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    fromDate_->setDate(first);
    toDate_->setDate(first.addMonths(1).addDays(-1));
}
