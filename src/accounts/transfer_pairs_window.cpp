// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/transfer_pairs_window.h"

#include "accounts/button_row.h"
#include "core/dates.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/formats.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// An entry of a pair as the list describes it: its item and the first line of its summary.
QString described(const LedgerEntry &e)
{
    const QString summary = Formats::firstLine(e.summary);
    return summary.isEmpty() ? e.item : e.item + QStringLiteral("：") + summary;
}

} // namespace

TransferPairsWindow::TransferPairsWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("TransferPairsWindow"));
    setWindowTitle(QStringLiteral("查找转账"));
    setWindowIcon(Icons::icon(Icons::Glyph::Transfer));
    setModal(true);
    resize(12000 / 15, 6000 / 15);

    auto *note = new QLabel(QStringLiteral("下面每一行是一笔支出和同样金额的一笔收入，分属两个账户，可能是一次转账。"
                                           "勾选的将合成一笔转账，不再计入收入和支出。"),
                            this);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);
    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("可能的转账"));
    list_->setImageList(Icons::ledgerImages());
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    list_->setColumns({{QStringLiteral("日  期"), 1800, QStringLiteral("2008年01月05日")},
                       {QStringLiteral("id"), 0},
                       {QStringLiteral("转出账户"), 1100},
                       {QStringLiteral("转入账户"), 1100},
                       {QStringLiteral("金额"), 1200, QStringLiteral("12345678.99"), right},
                       {QStringLiteral("支出记录"), 2200},
                       {QStringLiteral("收入记录"), 2200},
                       {QStringLiteral("收入日期"), 1800, QStringLiteral("2008年01月05日")}});
    list_->setCheckable(true);
    list_->setViewMode(RecordList::Details);
    list_->setGridLines(true);

    QList<QPushButton *> b;
    QHBoxLayout *buttons = buttonRow(this, {QStringLiteral("全选"), QStringLiteral("全不选"), QStringLiteral("转为转账"),
                                            QStringLiteral("关闭")},
                                     b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(b[0], &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(b[1], &QPushButton::clicked, this, [this] { tickAll(false); });
    connect(b[2], &QPushButton::clicked, this, &TransferPairsWindow::convertTicked);
    connect(b[3], &QPushButton::clicked, this, &QDialog::accept);
    LoadData();
}

void TransferPairsWindow::LoadData()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        pairs_ = TransferPairs(context_.data).find(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        pairs_.clear();  // an unreadable file has no pairs to show
    }
    QApplication::restoreOverrideCursor();
    std::vector<RecordRow> rows;
    rows.reserve(pairs_.size());
    for (size_t i = 0; i < pairs_.size(); ++i) {
        const TransferPair &p = pairs_[i];
        const QString day = Dates::listDate(p.out.date);
        const QString inDay = p.in.date == p.out.date ? QString() : Dates::listDate(p.in.date);
        const QString number = QString::number(i);
        const QString out = described(p.out), in = described(p.in);
        RecordRow row({day, number, p.out.method, p.in.method, p.out.amount, out, in, inDay}, 7);
        row.checked = p.named;
        rows.push_back(std::move(row));
    }
    list_->setRows(std::move(rows));
}

void TransferPairsWindow::tickAll(bool ticked)
{
    for (int i = 0; i < list_->model().count(); ++i)
        list_->model().setChecked(i, ticked);
}

void TransferPairsWindow::convertTicked()
{
    std::vector<TransferPair> ticked;
    for (int i = 0; i < list_->model().count(); ++i)
        if (list_->model().record(i).checked)
            if (const size_t at = list_->cell(i, 1).toULongLong(); at < pairs_.size())
                ticked.push_back(pairs_[at]);
    if (ticked.empty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请勾选要转为转账的记录！"));
        return;
    }
    const std::optional<int> count = context_.prompt.attempt(
        this, [&] { return TransferPairs(context_.data).convert(context_.session.CurrentAccountSetId, ticked); });
    if (!count)
        return;
    emit converted();
    LoadData();
    context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("已把 %1 对记录转为转账。").arg(*count));
}
