// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/reconcile_window.h"

#include "accounts/account_list.h"
#include "accounts/button_row.h"
#include "core/dates.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReconcileWindow::ReconcileWindow(const AppContext &context, QWidget *parent, const QString &account)
    : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("ReconcileWindow"));
    setWindowTitle(QStringLiteral("对账"));
    setWindowIcon(Icons::icon(Icons::Glyph::Transfer));
    setModal(true);
    resize(11000 / 15, 6000 / 15);

    account_ = new QComboBox(this);
    account_->setObjectName(QStringLiteral("Combo1"));
    day_ = new QDateEdit(QDate::currentDate(), this);
    day_->setObjectName(QStringLiteral("DTPicker1"));
    day_->setDisplayFormat(QStringLiteral("yyyy 年 MM月 dd日"));
    day_->setCalendarPopup(true);
    day_->setDateRange(Dates::firstEntryDay(), Dates::lastEntryDay());
    statement_ = new QLineEdit(this);
    statement_->setObjectName(QStringLiteral("Text1"));
    statement_->setPlaceholderText(QStringLiteral("对账单上的期末余额"));
    auto *form = new QFormLayout;
    auto addRow = [&](const QString &caption, QWidget *field) {
        form->addRow(fieldLabel(caption, field, this), field);
    };
    addRow(QStringLiteral("账户："), account_);
    addRow(QStringLiteral("对账单日期："), day_);
    addRow(QStringLiteral("对账单余额："), statement_);

    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("未核对的记录"));
    list_->setImageList(Icons::ledgerImages());
    QList<RecordColumn> columns = AccountList::columns();
    columns.removeAt(7);  // 核对: every row here is not
    columns.removeAt(5);  // 余额
    columns[0].twips += 400;  // room for the check box
    list_->setColumns(columns);
    list_->setCheckable(true);
    list_->setViewMode(RecordList::Details);
    list_->setGridLines(true);

    cleared_ = new QLabel(this);
    cleared_->setObjectName(QStringLiteral("Label1"));
    difference_ = new QLabel(this);
    difference_->setObjectName(QStringLiteral("Label2"));
    QList<QPushButton *> b;
    QHBoxLayout *buttons =
        buttonRow(this, {QStringLiteral("全选"), QStringLiteral("完成对账"), QStringLiteral("关闭")}, b, {cleared_, difference_});
    finish_ = b[1];
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    std::vector<Account> accounts;
    try {
        accounts = Accounts(context_.data).all(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        accounts.clear();
    }
    for (const Account &a : accounts)
        if (!a.closed || a.name == account)
            account_->addItem(a.name);
    account_->setCurrentIndex(account_->findText(account));

    connect(account_, &QComboBox::currentIndexChanged, this, &ReconcileWindow::LoadData);
    connect(day_, &QDateEdit::dateChanged, this, &ReconcileWindow::LoadData);
    connect(statement_, &QLineEdit::textChanged, this, &ReconcileWindow::showDifference);
    connect(&list_->model(), &QAbstractItemModel::dataChanged, this, &ReconcileWindow::showDifference);
    connect(b[0], &QPushButton::clicked, this, &ReconcileWindow::tickAll);
    connect(finish_, &QPushButton::clicked, this, &ReconcileWindow::finish);
    connect(b[2], &QPushButton::clicked, this, &QDialog::accept);
    LoadData();
}

void ReconcileWindow::LoadData()
{
    rows_.clear();
    chosen_.reset();
    reconciled_ = Money();
    std::vector<RecordRow> shown;
    const int set = context_.session.CurrentAccountSetId;
    try {
        Accounts accounts(context_.data);
        chosen_ = accounts.byName(set, account_->currentText());
        if (chosen_) {
            reconciled_ = accounts.reconciledBalance(set, *chosen_, day_->date());
            for (const AccountRow &r : accounts.unreconciled(set, *chosen_, day_->date())) {
                RecordRow row = AccountList::listRow(r);
                shown.push_back(RecordRow({row.cell(0), row.cell(1), row.cell(2), row.cell(3), row.cell(4), row.cell(6),
                                           row.cell(8)},
                                          row.icon));
                rows_.insert(r.key(), r);
            }
        }
    } catch (const StoreError &error) {
        context_.prompt.reportError(this, error);
        chosen_.reset();
        shown.clear();
        rows_.clear();
    }
    list_->setRows(std::move(shown));
    showDifference();
}

std::optional<Money> ReconcileWindow::difference() const
{
    const std::optional<Money> statement = Money::parse(statement_->text());
    if (!statement || !chosen_)
        return std::nullopt;
    Money cleared = reconciled_;
    for (int i = 0; i < list_->model().count(); ++i)
        if (list_->model().record(i).checked)
            cleared += rows_.value(list_->cell(i, 1)).flow();
    return *statement - cleared;
}

void ReconcileWindow::showDifference()
{
    Money ticked = reconciled_;
    for (int i = 0; i < list_->model().count(); ++i)
        if (list_->model().record(i).checked)
            ticked += rows_.value(list_->cell(i, 1)).flow();
    cleared_->setText(QStringLiteral("已核对余额：%1").arg(ticked.grouped()));
    const std::optional<Money> diff = difference();
    difference_->setText(QStringLiteral("差额：%1").arg(diff ? diff->grouped() : QStringLiteral("—")));
    finish_->setEnabled(diff && diff->fixed(2) == Money().fixed(2));
}

void ReconcileWindow::tickAll()
{
    for (int i = 0; i < list_->model().count(); ++i)
        list_->model().setChecked(i, true);
    showDifference();
}

void ReconcileWindow::finish()
{
    if (!chosen_) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择账户！"));
        return;
    }
    const std::optional<Money> diff = difference();
    if (!diff) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("对账单余额必须是一个数字（例如 4860.82），请重新输入！"));
        return;
    }
    if (diff->fixed(2) != Money().fixed(2)) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("差额是 %1，不是0.00：请勾选对账单上有的记录，或检查对账单余额。")
                                        .arg(diff->grouped()));
        return;
    }
    std::vector<AccountRow> ticked;
    for (int i = 0; i < list_->model().count(); ++i)
        if (list_->model().record(i).checked)
            ticked.push_back(rows_.value(list_->cell(i, 1)));
    if (!context_.prompt.attempt(this, [&] { Accounts(context_.data).reconcile(*chosen_, day_->date(), ticked); }))
        return;
    context_.prompt.information(this, QStringLiteral("信息"),
                                QStringLiteral("对账完成：%1 条记录已核对。").arg(ticked.size()));
    LoadData();
}
