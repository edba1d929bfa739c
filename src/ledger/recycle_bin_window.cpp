// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/recycle_bin_window.h"

#include "ledger/recycle_bin.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

RecycleBinWindow::RecycleBinWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("RecycleBin"));
    setWindowTitle(QStringLiteral("回收站"));
    setWindowIcon(Icons::icon(Icons::Glyph::Delete));
    setModal(true);
    resize(13200 / 15, 6000 / 15);

    auto *note = new QLabel(QStringLiteral("删除的记录在这里保留，可以还原到账目中；清空回收站后不能恢复。"), this);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);
    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("回收站"));
    list_->setImageList(Icons::ledgerImages());
    list_->setColumns(RecycleBin::columns());
    list_->setViewMode(RecordList::Details);
    list_->setGridLines(true);
    // Several entries can be put back at once.
    list_->detailsView()->setSelectionMode(QAbstractItemView::ExtendedSelection);

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("Label2"));
    restoreButton_ = new QPushButton(QStringLiteral("还原"), this);
    restoreButton_->setObjectName(QStringLiteral("Command1"));
    emptyButton_ = new QPushButton(QStringLiteral("清空回收站"), this);
    emptyButton_->setObjectName(QStringLiteral("Command2"));
    auto *closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("Command3"));
    for (QPushButton *button : {restoreButton_, emptyButton_, closeButton})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(count_);
    buttons->addStretch();
    buttons->addWidget(restoreButton_);
    buttons->addWidget(emptyButton_);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(restoreButton_, &QPushButton::clicked, this, &RecycleBinWindow::restoreSelected);
    connect(emptyButton_, &QPushButton::clicked, this, &RecycleBinWindow::emptyBin);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(list_, &RecordList::doubleClicked, this, &RecycleBinWindow::restoreSelected);

    LoadData();
}

void RecycleBinWindow::LoadData()
{
    BinPage page;
    try {
        page = RecycleBin(context_.data).LoadData(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        // An unreadable data file shows as an empty bin.
        page = {};
    }
    count_->setText(QStringLiteral("共：%1 条记录").arg(page.count));
    list_->setRows(std::move(page.rows));
}

QList<qint64> RecycleBinWindow::selectedIds(QList<qint64> *transfers) const
{
    QList<int> rows;
    for (const QModelIndex &index : list_->detailsView()->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QList<qint64> ids;
    for (int row : rows) {
        bool isNumber = false;
        const qint64 id = list_->cell(row, 1).toLongLong(&isNumber);
        if (isNumber)
            ids << id;
        else if (const std::optional<qint64> transfer = RecycleBin::transferOfKey(list_->cell(row, 1)); transfer && transfers)
            *transfers << *transfer;
    }
    return ids;
}

bool RecycleBinWindow::underWaitCursor(const std::function<void()> &work)
{
    try {
        WaitCursor waiting;
        work();
    } catch (const StoreError &error) {
        context_.prompt.reportError(this, error);
        return false;
    }
    return true;
}

void RecycleBinWindow::restoreSelected()
{
    QList<qint64> transfers;
    const QList<qint64> ids = selectedIds(&transfers);
    if (ids.isEmpty() && transfers.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return;
    }
    int count = 0;
    if (!underWaitCursor([&] {
            RecycleBin bin(context_.data);
            const int set = context_.session.CurrentAccountSetId;
            DataFile::Transaction together(context_.data);
            count = bin.restore(ids, set) + bin.restoreTransfers(transfers, set);
            together.commit();
        }))
        return;
    LoadData();
    emit restored();
    context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("已还原 %1 条记录。").arg(count));
}

void RecycleBinWindow::emptyBin()
{
    if (list_->rowCount() == 0) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("回收站中没有记录。"));
        return;
    }
    if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                QStringLiteral("确定要清空回收站吗？其中的 %1 条记录将被永久删除，不能再还原。")
                                    .arg(list_->rowCount()),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    if (!underWaitCursor([&] { RecycleBin(context_.data).empty(context_.session.CurrentAccountSetId); }))
        return;
    LoadData();
}
