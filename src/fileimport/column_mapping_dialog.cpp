// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/column_mapping_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int SampleRows = 5;

QString shortened(const QString &text)
{
    const QString simple = text.simplified();
    return simple.size() > 16 ? simple.left(15) + QChar(0x2026) : simple;
}

} // namespace

ColumnMappingDialog::ColumnMappingDialog(const QString &fileName, const CsvTable &table,
                                         const ColumnMapping &initial, QWidget *parent)
    : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("ColumnMapping"));
    setWindowTitle(QStringLiteral("列对应"));
    setModal(true);

    auto *intro = new QLabel(QStringLiteral("文件“%1”的列不能按标题与导入的各项对应。请为每一项选择文件中的列：")
                                 .arg(fileName),
                             this);
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);

    sample_ = new QTableWidget(this);
    sample_->setObjectName(QStringLiteral("Sample"));
    sample_->setAccessibleName(QStringLiteral("文件的前几行"));
    sample_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sample_->verticalHeader()->hide();
    const int columns = table.columnCount();
    const int rows = int(std::min<size_t>(table.records.size(), SampleRows));
    sample_->setColumnCount(columns);
    sample_->setRowCount(rows);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << QStringLiteral("第%1列").arg(c + 1);
    sample_->setHorizontalHeaderLabels(titles);
    for (int r = 0; r < rows; ++r) {
        const QStringList &values = table.records[size_t(r)].values;
        for (int c = 0; c < values.size() && c < columns; ++c)
            sample_->setItem(r, c, new QTableWidgetItem(shortened(values[c])));
    }
    sample_->setMaximumHeight(sample_->horizontalHeader()->sizeHint().height() +
                              (rows + 1) * sample_->verticalHeader()->defaultSectionSize());

    header_ = new QCheckBox(QStringLiteral("第一行是标题"), this);
    header_->setObjectName(QStringLiteral("Check1"));
    header_->setAccessibleName(header_->text());

    auto *form = new QFormLayout;
    for (int f = 0; f < ImportFieldCount; ++f) {
        const auto field = ImportField(f);
        const QString title = field == ImportField::Signed ? QStringLiteral("金额（正数为收入，负数为支出）")
                                                           : ColumnMapping::fieldTitle(field);
        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo%1").arg(f + 1));
        combo->setAccessibleName(title);
        form->addRow(title + QStringLiteral("："), combo);
        combos_ << combo;
    }

    hint_ = new QLabel(QStringLiteral("请至少为“日期”和一个金额（收入、支出或金额）选择文件中的列。"), this);
    hint_->setObjectName(QStringLiteral("Label2"));
    hint_->setWordWrap(true);

    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName(QStringLiteral("Command1"));
    ok_->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(sample_);
    layout->addWidget(header_);
    layout->addLayout(form);
    layout->addWidget(hint_);
    layout->addLayout(buttons);

    header_->setChecked(initial.header);
    fillChoices();
    setMapping(initial);

    connect(header_, &QCheckBox::toggled, this, [this] {
        const ColumnMapping kept = mapping();
        fillChoices();
        setMapping(kept);
    });
    for (QComboBox *combo : combos_)
        connect(combo, &QComboBox::currentIndexChanged, this, &ColumnMappingDialog::update);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    update();
    resize(std::max(sizeHint().width(), 600), sizeHint().height());
}

void ColumnMappingDialog::fillChoices()
{
    // Each file column is named by its header cell, or by its first value when the
    // first row is a row.
    const QStringList first = table_.firstRow();
    for (QComboBox *combo : combos_) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItem(QStringLiteral("（不导入）"), -1);
        for (int c = 0; c < table_.columnCount(); ++c) {
            const QString cell = c < first.size() ? shortened(first[c]) : QString();
            QString caption = QStringLiteral("第%1列").arg(c + 1);
            if (!cell.isEmpty())
                caption += header_->isChecked() ? QStringLiteral("：") + cell : QStringLiteral("（%1）").arg(cell);
            combo->addItem(caption, c);
        }
    }
}

ColumnMapping ColumnMappingDialog::mapping() const
{
    ColumnMapping mapping;
    mapping.header = header_->isChecked();
    for (int f = 0; f < ImportFieldCount; ++f)
        mapping.columns[size_t(f)] = combos_[f]->currentData().toInt();
    if (mapping[ImportField::Signed] >= 0)
        mapping[ImportField::Income] = mapping[ImportField::Expense] = -1;
    return mapping;
}

void ColumnMappingDialog::setMapping(const ColumnMapping &mapping)
{
    {
        const QSignalBlocker quiet(header_);
        header_->setChecked(mapping.header);
    }
    for (int f = 0; f < ImportFieldCount; ++f) {
        QComboBox *combo = combos_[f];
        const QSignalBlocker quiet(combo);
        const int at = combo->findData(mapping.columns[size_t(f)]);
        combo->setCurrentIndex(at < 0 ? 0 : at);
    }
    update();
}

void ColumnMappingDialog::update()
{
    // One signed amount stands for both "收入" and "支出".
    const bool signedAmount = combos_[int(ImportField::Signed)]->currentData().toInt() >= 0;
    for (ImportField f : {ImportField::Income, ImportField::Expense}) {
        QComboBox *combo = combos_[int(f)];
        if (signedAmount) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(0);
        }
        combo->setEnabled(!signedAmount);
    }
    const ColumnMapping m = mapping();
    const bool complete = m[ImportField::Date] >= 0 &&
                          (m[ImportField::Income] >= 0 || m[ImportField::Expense] >= 0 || m[ImportField::Signed] >= 0);
    ok_->setEnabled(complete);
    hint_->setVisible(!complete);
}
