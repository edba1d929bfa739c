// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/import_rules_dialog.h"

#include "fileimport/import_rules.h"
#include "ui/prompt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

ImportRulesDialog::ImportRulesDialog(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("ImportRules"));
    setWindowTitle(QStringLiteral("导入规则"));
    setModal(true);

    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("Rules"));
    table_->setAccessibleName(QStringLiteral("导入规则"));
    table_->setHorizontalHeaderLabels({QStringLiteral("交易对方或摘要包含"), QStringLiteral("项目"),
                                       QStringLiteral("收支方式")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setTabKeyNavigation(false);  // Tab goes on to the fields below
    // The first two columns as wide as their titles at least.
    for (int c = 0; c < 2; ++c)
        table_->setColumnWidth(c, std::max(table_->columnWidth(c), table_->horizontalHeader()->sectionSizeHint(c)));
    table_->verticalHeader()->hide();

    auto field = [this](const char *name, const QString &label) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(label);
        return edit;
    };
    words_ = field("Words", QStringLiteral("包含"));
    item_ = field("Item", QStringLiteral("项目"));
    method_ = field("Method", QStringLiteral("收支方式（可不填）"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("包含："), words_);
    form->addRow(QStringLiteral("项目："), item_);
    form->addRow(QStringLiteral("收支方式（可不填）："), method_);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const struct {
        const char *caption;
        void (ImportRulesDialog::*slot)();
    } commands[] = {{"添加", &ImportRulesDialog::addRule}, {"删除", &ImportRulesDialog::removeSelected}};
    int number = 1;
    for (const auto &c : commands) {
        auto *button = new QPushButton(QString::fromUtf8(c.caption), this);
        button->setObjectName(QStringLiteral("Command%1").arg(number++));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, c.slot);
        buttons->addWidget(button);
    }
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Command3"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    reload();
    resize(560, 420);
}

void ImportRulesDialog::reload()
{
    std::vector<ImportRule> rules;
    context_.prompt.attempt(this, [&] { rules = ImportRules(context_.data).all(); });
    table_->setRowCount(int(rules.size()));
    for (int r = 0; r < int(rules.size()); ++r) {
        const ImportRule &rule = rules[size_t(r)];
        auto *words = new QTableWidgetItem(rule.words);
        words->setData(Qt::UserRole, rule.id);
        table_->setItem(r, 0, words);
        table_->setItem(r, 1, new QTableWidgetItem(rule.item));
        table_->setItem(r, 2, new QTableWidgetItem(rule.method));
    }
}

void ImportRulesDialog::addRule()
{
    const ImportRule rule{0, words_->text().trimmed(), item_->text().trimmed(), method_->text().trimmed()};
    if (rule.words.isEmpty() || rule.item.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请填写“包含”的文字和“项目”！"));
        return;
    }
    // What could not be stored stays typed, to try again.
    if (!context_.prompt.attempt(this, [&] { ImportRules(context_.data).save(rule); }))
        return;
    words_->clear();
    item_->clear();
    method_->clear();
    reload();
}

void ImportRulesDialog::removeSelected()
{
    const int row = table_->currentRow();
    if (row < 0 || !table_->item(row, 0))
        return;
    const qint64 id = table_->item(row, 0)->data(Qt::UserRole).toLongLong();
    context_.prompt.attempt(this, [&] { ImportRules(context_.data).remove(id); });
    reload();
}
