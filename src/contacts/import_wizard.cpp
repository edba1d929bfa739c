// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/import_wizard.h"

#include "contacts/address_book.h"
#include "store/sqlite_db.h"
#include "ui/dialog_folders.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// "第 3、5、9 行", at most twenty numbers.
QString lineList(const QList<int> &lines)
{
    QStringList numbers;
    for (int i = 0; i < lines.size() && i < 20; ++i)
        numbers << QString::number(lines[i]);
    QString text = QStringLiteral("第 ") + numbers.join(QStringLiteral("、")) + QStringLiteral(" 行");
    if (lines.size() > 20)
        text += QStringLiteral("等 %1 行").arg(lines.size());
    return text;
}

} // namespace

ImportWizard::ImportWizard(const AppContext &context, const QString &groupKey, QWidget *parent)
    : QDialog(parent), context_(context), groupKey_(groupKey)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("导入向导"));
    auto *layout = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_);

    auto button = [](const QString &name, const QString &caption, QWidget *owner) {
        auto *b = new QPushButton(caption, owner);
        b->setObjectName(name);
        return b;
    };
    auto label = [](const QString &name, const QString &caption, QWidget *owner) {
        auto *l = new QLabel(caption, owner);
        l->setObjectName(name);
        return l;
    };

    // Page 1: the file.
    auto *filePage = new QWidget(pages_);
    filePage->setObjectName(QStringLiteral("Picture1"));
    auto *fileLayout = new QVBoxLayout(filePage);
    fileLayout->addWidget(label(QStringLiteral("Label2"), QStringLiteral("请选择要导入的文件："), filePage));
    auto *pathRow = new QHBoxLayout;
    path_ = new QLineEdit(filePage);
    path_->setObjectName(QStringLiteral("Text1"));
    QPushButton *browse = button(QStringLiteral("Command1"), QStringLiteral("浏览..."), filePage);
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse);
    fileLayout->addLayout(pathRow);
    fileLayout->addSpacing(12);
    fileLayout->addWidget(label(QStringLiteral("Label3"), QStringLiteral("如果不知道导入通信薄文件格式，请参照导出格式"), filePage));
    fileLayout->addWidget(label(QStringLiteral("Label4"), QStringLiteral("1。你可以先在导出格式中导出一些联系方式"), filePage));
    fileLayout->addWidget(label(QStringLiteral("Label5"), QStringLiteral("2。按照导出格式文件，使用Excel进行修改操作"), filePage));
    fileLayout->addWidget(label(QStringLiteral("Label6"), QStringLiteral("3。把修改好的文件在这里添加进行导入"), filePage));
    fileLayout->addStretch(1);
    auto *fileButtons = new QHBoxLayout;
    fileButtons->addStretch(1);
    QPushButton *next = button(QStringLiteral("Command4"), QStringLiteral("下一步(&N)"), filePage);
    QPushButton *quitFile = button(QStringLiteral("Command5"), QStringLiteral("退出(&Q)"), filePage);
    fileButtons->addWidget(next);
    fileButtons->addWidget(quitFile);
    fileLayout->addLayout(fileButtons);
    pages_->addWidget(filePage);

    // Page 2: the column mapping.
    auto *mapPage = new QWidget(pages_);
    mapPage->setObjectName(QStringLiteral("Page2"));
    auto *mapLayout = new QVBoxLayout(mapPage);
    mapLayout->addWidget(label(QStringLiteral("Label1"), QStringLiteral("映射输入字段："), mapPage));
    columns_ = new RecordList(mapPage);
    columns_->setObjectName(QStringLiteral("ListView1"));
    columns_->setColumns({{QStringLiteral("选择"), 300}, {QStringLiteral("字段"), 6400}});
    columns_->setCheckable(true);
    columns_->setMinimumSize(480, 220);
    mapLayout->addWidget(columns_, 1);
    mapLayout->addWidget(label(QStringLiteral("Label7"), QStringLiteral("注意：没有自动勾选的字段是不能导入"), mapPage));
    auto *mapButtons = new QHBoxLayout;
    mapButtons->addStretch(1);
    QPushButton *back = button(QStringLiteral("Command6"), QStringLiteral("上一步(&N)"), mapPage);
    QPushButton *run = button(QStringLiteral("Command2"), QStringLiteral("导入(&C)"), mapPage);
    QPushButton *quitMap = button(QStringLiteral("Command3"), QStringLiteral("退出(&Q)"), mapPage);
    mapButtons->addWidget(back);
    mapButtons->addWidget(run);
    mapButtons->addWidget(quitMap);
    mapLayout->addLayout(mapButtons);
    pages_->addWidget(mapPage);

    connect(browse, &QPushButton::clicked, this, &ImportWizard::browse);
    connect(next, &QPushButton::clicked, this, &ImportWizard::next);
    connect(quitFile, &QPushButton::clicked, this, &QDialog::reject);
    connect(back, &QPushButton::clicked, this, &ImportWizard::back);
    connect(run, &QPushButton::clicked, this, &ImportWizard::importContacts);
    connect(quitMap, &QPushButton::clicked, this, &QDialog::reject);
    // Pressing on a row inverts its tick; the box itself ticks as boxes do.
    connect(columns_->detailsView(), &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        if (index.isValid() && index.column() != 0)
            toggleRow(index.row());
    });
    pages_->setCurrentIndex(0);
}

int ImportWizard::page() const { return pages_->currentIndex(); }

void ImportWizard::browse()
{
    const QString purpose = QStringLiteral("通信薄CSV");
    const QString typed = path_->text().trimmed();
    const QString path =
        context_.prompt.openFile(this, QStringLiteral("导入"), QStringLiteral("导入出文件(*.csv)|*.csv"),
                                 typed.isEmpty() ? DialogFolders::start(context_.data, purpose) : typed);
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, purpose, path);
    path_->setText(path);
}

bool ImportWizard::next()
{
    const QString path = path_->text().trimmed();
    if (path.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择导入文件路径！"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        context_.prompt.information(this, QStringLiteral("信息"),
                                    QStringLiteral("无法读取文件“%1”！\r\n%2")
                                        .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    records_ = ContactCsv::records(ContactCsv::decode(file.readAll()));
    file.close();
    LoadData(records_.empty() ? QStringList() : records_.front().values);
    pages_->setCurrentIndex(1);
    return true;
}

void ImportWizard::back() { pages_->setCurrentIndex(0); }

void ImportWizard::LoadData(const QStringList &header)
{
    std::vector<RecordRow> rows;
    rows.reserve(size_t(header.size()));
    for (const QString &name : header) {
        RecordRow row({QStringView(), name});
        row.checked = ContactCsv::columnOf(name) >= 0;
        rows.push_back(std::move(row));
    }
    columns_->setRows(std::move(rows));
}

QList<ContactCsv::MappedColumn> ImportWizard::mapping() const
{
    QList<ContactCsv::MappedColumn> result;
    for (int row = 0; row < columns_->rowCount(); ++row)
        if (columns_->model().record(row).checked)
            result.append({columns_->cell(row, 1), row});
    return result;
}

void ImportWizard::toggleRow(int row)
{
    if (row >= 0 && row < columns_->rowCount())
        columns_->model().setChecked(row, !columns_->model().record(row).checked);
}

bool ImportWizard::importContacts()
{
    const QList<ContactCsv::MappedColumn> columns = mapping();
    bool anyField = false;
    for (const ContactCsv::MappedColumn &column : columns)
        anyField = anyField || ContactCsv::columnOf(column.name) >= 0;
    if (!anyField) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择要导入的字段！"));
        return false;
    }
    const ContactCsv::Reading reading = ContactCsv::read(records_, columns, groupKey_);
    // The import runs in one transaction: nothing of it was stored.
    if (!context_.prompt.attempt(this, [&] { AddressBook(context_.data).addContacts(reading.contacts); }))
        return false;
    // Success is said only when every line was stored whole.
    if (reading.withoutName.isEmpty() && reading.badBirthdays.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("导入成功！"));
    } else {
        QString report = QStringLiteral("已导入 %1 条记录。").arg(reading.contacts.size());
        if (!reading.withoutName.isEmpty())
            report += QStringLiteral("\r\n有 %1 行没有姓名，没有导入：%2")
                          .arg(reading.withoutName.size())
                          .arg(lineList(reading.withoutName));
        if (!reading.badBirthdays.isEmpty())
            report += QStringLiteral("\r\n有 %1 行的生日不是日期，这些记录的生日没有导入：%2")
                          .arg(reading.badBirthdays.size())
                          .arg(lineList(reading.badBirthdays));
        context_.prompt.message(this, Prompt::Icon::Warning, QStringLiteral("提示"), report);
    }
    // With nothing stored the wizard stays open, so that the columns can be ticked again.
    if (reading.contacts.empty() && !reading.withoutName.isEmpty())
        return false;
    emit imported();
    accept();
    return true;
}
