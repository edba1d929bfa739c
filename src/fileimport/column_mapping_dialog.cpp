// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/column_mapping_dialog.h"

#include "fileimport/file_lines_model.h"
#include "store/data_file.h"
#include "ui/app_context.h"
#include "ui/field_label.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString fieldCaption(ImportField field)
{
    switch (field) {
    case ImportField::Signed:
        return QStringLiteral("金额（正数为收入，负数为支出）");
    case ImportField::Direction:
        return QStringLiteral("收/支（借/贷）");
    default:
        return ColumnMapping::fieldTitle(field);
    }
}

} // namespace

ColumnMappingDialog::ColumnMappingDialog(const QString &fileName, CsvTable &table, const ColumnMapping &initial,
                                         QWidget *parent, const QString &profile, const QStringList &accounts,
                                         const QString &account)
    : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("ColumnMapping"));
    setWindowTitle(QStringLiteral("列对应"));
    setModal(true);

    const QString introText =
        profile.isEmpty()
            ? QStringLiteral("文件“%1”的列不能按标题与导入的各项对应。请为每一项选择文件中的列：").arg(fileName)
            : QStringLiteral("文件“%1”是%2，各列已对应好；请核对导入到的账户后按“确定”。").arg(fileName, profile);
    auto *intro = new QLabel(introText, this);
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);

    lines_ = new FileLinesModel(table_, this);
    sample_ = new QTableView(this);
    sample_->setObjectName(QStringLiteral("Sample"));
    sample_->setAccessibleName(QStringLiteral("文件的内容"));
    sample_->setModel(lines_);
    sample_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sample_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sample_->setSelectionMode(QAbstractItemView::SingleSelection);
    sample_->setTabKeyNavigation(false);  // Tab goes on to the choices below
    sample_->setMinimumHeight(160);
    sample_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sample_->verticalHeader()->setDefaultSectionSize(sample_->fontMetrics().height() + 6);
    // A double-click (or Enter) on a line makes it the header's line.
    auto pickLine = [this](const QModelIndex &index) {
        if (index.isValid())
            headerLine_->setValue(index.row() + 1);
    };
    connect(sample_, &QAbstractItemView::doubleClicked, this, pickLine);
    sample_->installEventFilter(this);

    separator_ = new QComboBox(this);
    separator_->setObjectName(QStringLiteral("Separator"));
    separator_->setAccessibleName(QStringLiteral("分隔符"));
    separator_->addItem(QStringLiteral("逗号"), QChar(u','));
    separator_->addItem(QStringLiteral("制表符"), QChar(u'\t'));
    separator_->addItem(QStringLiteral("分号"), QChar(u';'));
    separator_->addItem(QStringLiteral("竖线"), QChar(u'|'));
    separator_->setCurrentIndex(std::max(0, separator_->findData(table.separator)));
    separator_->setEnabled(!table.text.isEmpty());

    headerLine_ = new QSpinBox(this);
    headerLine_->setObjectName(QStringLiteral("HeaderLine"));
    headerLine_->setAccessibleName(QStringLiteral("从第几行开始"));
    header_ = new QCheckBox(QStringLiteral("这一行是标题"), this);
    header_->setObjectName(QStringLiteral("Check1"));
    header_->setAccessibleName(header_->text());

    dateOrder_ = new QComboBox(this);
    dateOrder_->setObjectName(QStringLiteral("DateOrder"));
    dateOrder_->setAccessibleName(QStringLiteral("日期格式"));
    dateOrder_->addItem(QStringLiteral("自动识别"), int(DateOrder::Auto));
    dateOrder_->addItem(QStringLiteral("月/日/年"), int(DateOrder::MonthFirst));
    dateOrder_->addItem(QStringLiteral("日/月/年"), int(DateOrder::DayFirst));

    positiveIsExpense_ = new QCheckBox(QStringLiteral("金额为正数的是支出（信用卡账单）"), this);
    positiveIsExpense_->setObjectName(QStringLiteral("PositiveIsExpense"));
    positiveIsExpense_->setAccessibleName(positiveIsExpense_->text());

    account_ = new QComboBox(this);
    account_->setObjectName(QStringLiteral("Account"));
    account_->setAccessibleName(QStringLiteral("导入到账户"));
    account_->addItem(QStringLiteral("（按文件中的收支方式）"), QString());
    for (const QString &a : accounts)
        account_->addItem(a, a);
    account_->setCurrentIndex(std::max(0, account_->findData(account)));

    auto *fileForm = new QFormLayout;
    auto *lineRow = new QHBoxLayout;
    lineRow->addWidget(headerLine_);
    lineRow->addWidget(header_);
    lineRow->addStretch();
    fileForm->addRow(QStringLiteral("分隔符："), separator_);
    fileForm->addRow(QStringLiteral("从第几行开始："), lineRow);
    fileForm->addRow(QStringLiteral("日期格式："), dateOrder_);
    fileForm->addRow(QString(), positiveIsExpense_);
    fileForm->addRow(QStringLiteral("导入到账户："), account_);

    auto *form = new QFormLayout;
    for (int f = 0; f < ImportFieldCount; ++f) {
        const QString title = fieldCaption(ImportField(f));
        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo%1").arg(f + 1));
        combo->setAccessibleName(title);
        form->addRow(title + QStringLiteral("："), combo);
        combos_ << combo;
    }
    auto *forms = new QHBoxLayout;
    forms->addLayout(form);
    forms->addLayout(fileForm);

    profileRow_ = new QWidget(this);
    profiles_ = new QComboBox(profileRow_);
    profiles_->setObjectName(QStringLiteral("Profile"));
    profiles_->setAccessibleName(QStringLiteral("我的方案"));
    auto *profileLabel = new QLabel(QStringLiteral("我的方案(&F)："), profileRow_);
    profileLabel->setBuddy(profiles_);
    auto *saveButton = namedButton(QStringLiteral("另存为方案..."), QStringLiteral("SaveProfile"), profileRow_);
    deleteProfile_ = namedButton(QStringLiteral("删除方案"), QStringLiteral("DeleteProfile"), profileRow_);
    auto *profileLayout = new QHBoxLayout(profileRow_);
    profileLayout->setContentsMargins(0, 0, 0, 0);
    profileLayout->addWidget(profileLabel);
    profileLayout->addWidget(profiles_, 1);
    profileLayout->addWidget(saveButton);
    profileLayout->addWidget(deleteProfile_);
    profileRow_->hide();
    connect(saveButton, &QPushButton::clicked, this, [this] { saveProfile(); });
    connect(deleteProfile_, &QPushButton::clicked, this, [this] { deleteProfile(); });
    connect(profiles_, &QComboBox::activated, this, [this] { chooseProfile(); });

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
    layout->addWidget(sample_, 1);
    layout->addLayout(forms);
    layout->addWidget(profileRow_);
    layout->addWidget(hint_);
    layout->addLayout(buttons);

    fillSample();
    setMapping(initial);

    auto keepChoices = [this] {
        const ColumnMapping kept = mapping();
        fillSample();
        setMapping(kept);
    };
    connect(header_, &QCheckBox::toggled, this, keepChoices);
    connect(headerLine_, &QSpinBox::valueChanged, this, keepChoices);
    connect(separator_, &QComboBox::currentIndexChanged, this, [this] { resplit(); });
    for (QComboBox *combo : combos_)
        connect(combo, &QComboBox::currentIndexChanged, this, &ColumnMappingDialog::update);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    update();
    resize(std::max(sizeHint().width(), 760), std::max(sizeHint().height(), 620));
}

void ColumnMappingDialog::resplit()
{
    const QChar separator = separator_->currentData().toChar();
    if (table_.text.isEmpty() || separator == table_.separator)
        return;
    ColumnMapping kept = mapping();
    table_ = CsvTable::fromText(table_.text, separator);
    lines_->reload();
    kept.columns.fill(-1);  // the columns are others now
    fillSample();
    setMapping(kept);
}

void ColumnMappingDialog::fillSample()
{
    {
        const QSignalBlocker quiet(headerLine_);
        headerLine_->setRange(1, std::max(1, int(table_.records.size())));
    }
    fillChoices();
}

void ColumnMappingDialog::fillChoices()
{
    // Each file column is named by its header cell, or by its first value when there is
    // no header.
    const QStringList first = table_.rowAt(headerLine_->value() - 1);
    QStringList titles;
    for (int c = 0; c < table_.columnCount(); ++c) {
        const QString cell = c < first.size() ? FileLinesModel::shortened(first[c]) : QString();
        QString caption = QStringLiteral("第%1列").arg(c + 1);
        if (!cell.isEmpty())
            caption += header_->isChecked() ? QStringLiteral("：") + cell : QStringLiteral("（%1）").arg(cell);
        titles << caption;
    }
    lines_->setTitles(titles);
    for (QComboBox *combo : combos_) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItem(QStringLiteral("（不导入）"), -1);
        for (int c = 0; c < titles.size(); ++c)
            combo->addItem(titles[c], c);
    }
}

ColumnMapping ColumnMappingDialog::mapping() const
{
    ColumnMapping mapping;
    mapping.header = header_->isChecked();
    mapping.headerLine = headerLine_->value() - 1;
    mapping.dateOrder = DateOrder(dateOrder_->currentData().toInt());
    mapping.positiveIsExpense = positiveIsExpense_->isChecked();
    for (int f = 0; f < ImportFieldCount; ++f)
        mapping.columns[size_t(f)] = combos_[f]->currentData().toInt();
    if (mapping[ImportField::Signed] >= 0)
        mapping[ImportField::Income] = mapping[ImportField::Expense] = -1;
    return mapping;
}

void ColumnMappingDialog::setMapping(const ColumnMapping &mapping)
{
    {
        const QSignalBlocker quietHeader(header_);
        const QSignalBlocker quietLine(headerLine_);
        header_->setChecked(mapping.header);
        headerLine_->setValue(mapping.headerLine + 1);
    }
    fillChoices();
    dateOrder_->setCurrentIndex(std::max(0, dateOrder_->findData(int(mapping.dateOrder))));
    positiveIsExpense_->setChecked(mapping.positiveIsExpense);
    for (int f = 0; f < ImportFieldCount; ++f) {
        QComboBox *combo = combos_[f];
        const QSignalBlocker quiet(combo);
        const int at = combo->findData(mapping.columns[size_t(f)]);
        combo->setCurrentIndex(at < 0 ? 0 : at);
    }
    if (mapping.headerLine < lines_->rowCount()) {
        const QModelIndex line = lines_->index(mapping.headerLine, 0);
        sample_->scrollTo(line, QAbstractItemView::PositionAtTop);
        sample_->selectionModel()->setCurrentIndex(line, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    update();
}

bool ColumnMappingDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a line of the file makes it the header's line (and does not close the dialog).
    if (watched == sample_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && sample_->currentIndex().isValid()) {
            headerLine_->setValue(sample_->currentIndex().row() + 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString ColumnMappingDialog::account() const { return account_->currentData().toString(); }

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
    positiveIsExpense_->setEnabled(signedAmount);
    const ColumnMapping m = mapping();
    const bool complete = m[ImportField::Date] >= 0 &&
                          (m[ImportField::Income] >= 0 || m[ImportField::Expense] >= 0 || m[ImportField::Signed] >= 0);
    ok_->setEnabled(complete);
    hint_->setVisible(!complete);
}

void ColumnMappingDialog::offerProfiles(const AppContext &context, const QString &current)
{
    context_ = &context;
    profileRow_->show();
    fillProfiles(current);
}

void ColumnMappingDialog::fillProfiles(const QString &current)
{
    own_.clear();
    context_->prompt.attempt(this, [&] { own_ = OwnProfiles(context_->data).all(); });
    const QSignalBlocker quiet(profiles_);
    profiles_->clear();
    profiles_->addItem(QStringLiteral("（无）"), QString());
    for (const OwnProfile &p : own_)
        profiles_->addItem(p.name, p.name);
    profiles_->setCurrentIndex(std::max(0, profiles_->findData(current)));
    deleteProfile_->setEnabled(profiles_->currentIndex() > 0);
}

void ColumnMappingDialog::chooseProfile()
{
    const QString name = profiles_->currentData().toString();
    deleteProfile_->setEnabled(!name.isEmpty());
    for (const OwnProfile &p : own_) {
        if (p.name != name)
            continue;
        const std::optional<OwnProfile> found = OwnProfiles::match({p}, table_);
        if (!found) {
            context_->prompt.information(this, QStringLiteral("提示"),
                                         QStringLiteral("文件中找不到方案“%1”的标题行，各列的对应没有改动。").arg(name));
            return;
        }
        setMapping(found->mapping);
        if (const int at = account_->findData(found->account); at >= 0 && !found->account.isEmpty())
            account_->setCurrentIndex(at);
    }
}

bool ColumnMappingDialog::saveProfile()
{
    if (!context_)
        return false;
    const std::optional<QString> typed =
        context_->prompt.askText(this, QStringLiteral("另存为方案"), QStringLiteral("方案名称："));
    if (!typed)
        return false;
    const QString name = typed->trimmed();
    const ColumnMapping chosen = mapping();
    if (const std::optional<QString> problem = OwnProfiles::problem(name, chosen)) {
        context_->prompt.information(this, QStringLiteral("提示"), *problem);
        return false;
    }
    const bool exists = std::any_of(own_.begin(), own_.end(), [&](const OwnProfile &p) { return p.name == name; });
    if (exists && context_->prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                           QStringLiteral("已有名为“%1”的方案，是否替换？").arg(name),
                                           Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return false;
    const OwnProfile profile{name, table_.rowAt(chosen.headerLine), chosen, account()};
    if (!context_->prompt.attempt(this, [&] { OwnProfiles(context_->data).save(profile); }))
        return false;
    fillProfiles(name);
    return true;
}

bool ColumnMappingDialog::deleteProfile()
{
    const QString name = profiles_->currentData().toString();
    if (!context_ || name.isEmpty())
        return false;
    if (context_->prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                 QStringLiteral("是否删除方案“%1”？").arg(name), Prompt::Buttons::YesNo,
                                 Prompt::Answer::No) != Prompt::Answer::Yes)
        return false;
    if (!context_->prompt.attempt(this, [&] { OwnProfiles(context_->data).remove(name); }))
        return false;
    fillProfiles(QString());
    return true;
}
