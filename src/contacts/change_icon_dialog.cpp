// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/change_icon_dialog.h"

#include "contacts/address_book.h"
#include "contacts/contact_images.h"
#include "store/sqlite_db.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

ChangeIconDialog::ChangeIconDialog(const AppContext &context, const QString &groupKey, QWidget *parent)
    : QDialog(parent), context_(context), key_(groupKey)
{
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("更改图标"));
    auto *layout = new QVBoxLayout(this);
    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setColumns({{QString(), 1500}});
    list_->setImageList(ContactImages::imageList());
    list_->setViewMode(RecordList::LargeIcons);
    std::vector<RecordRow> rows;
    for (int i = 1; i <= AddressBook::IconCount; ++i)
        rows.push_back(RecordRow({QStringView()}, i));
    list_->setRows(std::move(rows));
    // Room for every picture at once, seven to a row. The view lays its rows out inside
    // the room a vertical scroll bar would take, so that room is added too.
    const int perRow = 7;
    const int lines = (AddressBook::IconCount + perRow - 1) / perRow;
    QListView *icons = list_->iconView();
    const QSize cell = icons->gridSize().isValid() ? icons->gridSize() : QSize(96, 64);
    const int frame = 2 * icons->frameWidth() + 2 * icons->spacing() + 4;
    const int scrollBar = icons->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, icons->verticalScrollBar());
    list_->setMinimumSize(perRow * (cell.width() + icons->spacing()) + frame + scrollBar,
                          lines * (cell.height() + icons->spacing()) + frame);
    layout->addWidget(list_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *change = new QPushButton(QStringLiteral("更改"), this);
    change->setObjectName(QStringLiteral("Command1"));
    auto *quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(change);
    buttons->addWidget(quit);
    layout->addLayout(buttons);

    connect(change, &QPushButton::clicked, this, &ChangeIconDialog::change);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

int ChangeIconDialog::chosen() const
{
    const int row = list_->selectedRow();
    return row < 0 ? 0 : row + 1;
}

bool ChangeIconDialog::EditData(const QString &key)
{
    const int image = chosen();
    if (image == 0)
        return false;
    if (!context_.prompt.attempt(this, [&] { AddressBook(context_.data).setGroupIcon(key, image); }))
        return false;
    return true;
}

void ChangeIconDialog::change()
{
    // With no picture chosen nothing changes.
    if (chosen() == 0)
        return;
    if (EditData(key_))
        emit iconChanged(key_, chosen());
}
