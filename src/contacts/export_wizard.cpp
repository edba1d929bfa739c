// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/export_wizard.h"

#include "contacts/address_book.h"
#include "ui/click_label.h"
#include "contacts/contact_csv.h"
#include "store/sqlite_db.h"
#include "ui/dialog_folders.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ExportWizard::ExportWizard(const AppContext &context, const QString &groupKey, QWidget *parent)
    : QDialog(parent), context_(context), groupKey_(groupKey)
{
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("导出向导"));
    auto *layout = new QVBoxLayout(this);

    auto *frame = new QGroupBox(QStringLiteral("请选择输出字段信息："), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *frameLayout = new QVBoxLayout(frame);
    fields_ = new RecordList(frame);
    fields_->setObjectName(QStringLiteral("ListView1"));
    fields_->setColumns({{QStringLiteral("选择"), 300}, {QStringLiteral("字段"), 6400}});
    fields_->setCheckable(true);
    fields_->setViewMode(RecordList::List);
    std::vector<RecordRow> rows;
    for (const QString &name : ContactCsv::fieldNames())
        rows.push_back(RecordRow({name, name}));
    fields_->setRows(std::move(rows));
    fields_->setMinimumSize(460, 150);
    frameLayout->addWidget(fields_);
    auto *ticks = new QHBoxLayout;
    auto *all = new ClickLabel(QStringLiteral("[全选]"), frame);
    all->setObjectName(QStringLiteral("Label3"));
    auto *invert = new ClickLabel(QStringLiteral("[反选]"), frame);
    invert->setObjectName(QStringLiteral("Label4"));
    ticks->addWidget(all);
    ticks->addWidget(invert);
    ticks->addStretch(1);
    frameLayout->addLayout(ticks);
    layout->addWidget(frame, 1);

    auto *pathLabel = new QLabel(QStringLiteral("请选择输出文件路径："), this);
    pathLabel->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(pathLabel);
    auto *pathRow = new QHBoxLayout;
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("Text1"));
    auto *browse = new QPushButton(QStringLiteral("浏览.."), this);
    browse->setObjectName(QStringLiteral("Command1"));
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *run = new QPushButton(QStringLiteral("导出(&C)"), this);
    run->setObjectName(QStringLiteral("Command2"));
    auto *quit = new QPushButton(QStringLiteral("退出(&Q)"), this);
    quit->setObjectName(QStringLiteral("Command3"));
    buttons->addWidget(run);
    buttons->addWidget(quit);
    layout->addLayout(buttons);

    connect(all, &ClickLabel::clicked, this, &ExportWizard::tickAll);
    connect(invert, &ClickLabel::clicked, this, &ExportWizard::invertTicks);
    connect(browse, &QPushButton::clicked, this, &ExportWizard::browse);
    connect(run, &QPushButton::clicked, this, &ExportWizard::exportFile);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

bool ExportWizard::tick(const QString &name, bool on)
{
    for (int row = 0; row < fields_->rowCount(); ++row) {
        if (fields_->cell(row, 0) == name) {
            fields_->model().setChecked(row, on);
            return true;
        }
    }
    return false;
}

void ExportWizard::tickAll()
{
    for (int row = 0; row < fields_->rowCount(); ++row)
        fields_->model().setChecked(row, true);
}

void ExportWizard::invertTicks()
{
    for (int row = 0; row < fields_->rowCount(); ++row)
        fields_->model().setChecked(row, !fields_->model().record(row).checked);
}

QStringList ExportWizard::tickedNames() const
{
    QStringList names;
    for (int row = 0; row < fields_->rowCount(); ++row)
        if (fields_->model().record(row).checked)
            names << fields_->cell(row, 0);
    return names;
}

void ExportWizard::browse()
{
    const QString purpose = QStringLiteral("通信薄CSV");
    const QString typed = path_->text().trimmed();
    const QString path = context_.prompt.saveFile(
        this, QStringLiteral("保存"), QStringLiteral("导出文件(*.csv)|*.csv"),
        typed.isEmpty() ? DialogFolders::start(context_.data, purpose, QStringLiteral("通信薄.csv")) : typed);
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, purpose, path);
    path_->setText(path);
}

void ExportWizard::exportFile()
{
    if (path_->text().trimmed().isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择文件输出路径！"));
        return;
    }
    const QStringList names = tickedNames();
    if (names.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择要导出的字段信息！"));
        return;
    }
    if (LoadData(names.join(u',')))
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("你已成功导出通信薄中指定的资料！"));
}

bool ExportWizard::LoadData(const QString &names)
{
    std::vector<Contact> contacts;
    if (!context_.prompt.attempt(this, [&] { contacts = AddressBook(context_.data).contacts(groupKey_); }))
        return false;
    const QString path = path_->text().trimmed();
    const QString why = ContactCsv::writeFile(path, ContactCsv::encode(ContactCsv::text(names.split(u','), contacts)));
    if (!why.isEmpty()) {
        context_.prompt.message(this, Prompt::Icon::Critical, QStringLiteral("错误"),
                                QStringLiteral("无法写入文件“%1”！\r\n%2").arg(QDir::toNativeSeparators(path), why));
        return false;
    }
    return true;
}
