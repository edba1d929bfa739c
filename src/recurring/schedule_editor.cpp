// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/schedule_editor.h"

#include "core/money.h"
#include "ledger/ledger.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/formats.h"
#include "ui/prompt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QComboBox *choice(const QString &name, QWidget *parent, bool editable = false)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QSpinBox *number(const QString &name, int low, int high, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    return box;
}

QDateEdit *dateField(const QString &name, QWidget *parent)
{
    auto *edit = new QDateEdit(QDate::currentDate(), parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

void select(QComboBox *box, const QString &text)
{
    int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 && !text.isEmpty()) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
    if (box->isEditable())
        box->setEditText(text);
}

} // namespace

ScheduleEditor::ScheduleEditor(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("ScheduleEditor"));
    setWindowTitle(QStringLiteral("添加周期记账"));
    setModal(true);

    kind_ = choice(QStringLiteral("ScheduleKind"), this);
    kind_->addItems(Schedules::kinds());
    item_ = choice(QStringLiteral("ScheduleItem"), this, true);
    account_ = choice(QStringLiteral("ScheduleAccount"), this);
    toAccount_ = choice(QStringLiteral("ScheduleToAccount"), this);
    handler_ = choice(QStringLiteral("ScheduleHandler"), this);
    amount_ = new QLineEdit(this);
    amount_->setObjectName(QStringLiteral("ScheduleAmount"));
    summary_ = new QLineEdit(this);
    summary_->setObjectName(QStringLiteral("ScheduleSummary"));
    rule_ = choice(QStringLiteral("ScheduleRule"), this);
    rule_->addItems(ScheduleRule::kindNames());
    every_ = number(QStringLiteral("ScheduleEvery"), 0, 1000, this);
    every_->setValue(1);
    weekday_ = choice(QStringLiteral("ScheduleWeekday"), this);
    for (int d = 1; d <= 7; ++d)
        weekday_->addItem(ScheduleRule::weekdayName(d));
    day_ = number(QStringLiteral("ScheduleDay"), 1, 31, this);
    month_ = number(QStringLiteral("ScheduleMonth"), 1, 12, this);
    start_ = dateField(QStringLiteral("ScheduleStart"), this);
    noEnd_ = new QRadioButton(QStringLiteral("不结束"), this);
    endDate_ = new QRadioButton(QStringLiteral("结束日期"), this);
    endTimes_ = new QRadioButton(QStringLiteral("次数"), this);
    for (QRadioButton *b : {noEnd_, endDate_, endTimes_})
        b->setAccessibleName(b->text());
    noEnd_->setObjectName(QStringLiteral("ScheduleNoEnd"));
    endDate_->setObjectName(QStringLiteral("ScheduleEndDate"));
    endTimes_->setObjectName(QStringLiteral("ScheduleEndTimes"));
    noEnd_->setChecked(true);
    until_ = dateField(QStringLiteral("ScheduleUntil"), this);
    until_->setAccessibleName(QStringLiteral("结束日期"));
    times_ = number(QStringLiteral("ScheduleTimes"), 1, 10000, this);
    times_->setAccessibleName(QStringLiteral("次数"));
    times_->setValue(12);
    automatic_ = new QCheckBox(QStringLiteral("到期自动记入，不再询问"), this);
    automatic_->setObjectName(QStringLiteral("ScheduleAutomatic"));
    automatic_->setAccessibleName(automatic_->text());

    auto *grid = new QGridLayout;
    int row = 0;
    auto add = [&](const QString &caption, QWidget *field, QList<QWidget *> *rows = nullptr) {
        QLabel *label = fieldLabel(caption, field, this);
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(field, row++, 1);
        if (rows)
            *rows << label << field;
    };
    add(QStringLiteral("类  别 *"), kind_);
    add(QStringLiteral("项  目"), item_, &itemRow_);
    add(QStringLiteral("账  户 *"), account_);
    add(QStringLiteral("转入账户 *"), toAccount_, &toRow_);
    add(QStringLiteral("经手人"), handler_, &itemRow_);
    add(QStringLiteral("金  额 *"), amount_);
    add(QStringLiteral("摘  要"), summary_);
    add(QStringLiteral("重  复"), rule_);
    add(QStringLiteral("每几期"), every_);
    add(QStringLiteral("星期几"), weekday_, &weekdayRow_);
    add(QStringLiteral("月  份"), month_, &monthRow_);
    add(QStringLiteral("几  号"), day_, &dayRow_);
    add(QStringLiteral("开始日期"), start_);
    auto *end = new QHBoxLayout;
    end->addWidget(noEnd_);
    end->addWidget(endDate_);
    end->addWidget(until_);
    end->addWidget(endTimes_);
    end->addWidget(times_);
    grid->addWidget(new QLabel(QStringLiteral("结  束"), this), row, 0, Qt::AlignRight);
    grid->addLayout(end, row++, 1);
    grid->addWidget(automatic_, row++, 1);

    QPushButton *saveButton = namedButton(QStringLiteral("保存"), QStringLiteral("ScheduleSave"), this);
    QPushButton *closeButton = namedButton(QStringLiteral("取消"), QStringLiteral("ScheduleCancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    Ledger::EditorChoices choices;
    QStringList closed;
    try {
        choices = Ledger(context_.data).editorChoices();
        closed = Transfers(context_.data).closedAccounts(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        choices = {};
    }
    for (const QString &name : closed)
        choices.methods.removeAll(name);
    account_->addItems(choices.methods);
    toAccount_->addItems(choices.methods);
    handler_->addItems(choices.handlers);
    for (QComboBox *box : {account_, toAccount_, handler_})
        box->setCurrentIndex(-1);
    kind_->setCurrentIndex(1);
    kindChosen();
    day_->setValue(QDate::currentDate().day());
    month_->setValue(QDate::currentDate().month());
    weekday_->setCurrentIndex(QDate::currentDate().dayOfWeek() - 1);
    rule_->setCurrentIndex(ScheduleRule::Monthly);
    ruleChosen();

    connect(kind_, &QComboBox::currentIndexChanged, this, &ScheduleEditor::kindChosen);
    connect(rule_, &QComboBox::currentIndexChanged, this, &ScheduleEditor::ruleChosen);
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ScheduleEditor::kindChosen()
{
    const bool transfer = kind_->currentText() == Schedules::transferKind();
    for (QWidget *w : std::as_const(itemRow_))
        w->setVisible(!transfer);
    for (QWidget *w : std::as_const(toRow_))
        w->setVisible(transfer);
    const QString typed = item_->currentText();
    item_->clear();
    if (!transfer) {
        try {
            item_->addItems(Ledger(context_.data).items(kind_->currentText()));
        } catch (const StoreError &) {
            item_->clear();
        }
    }
    item_->setCurrentIndex(-1);
    item_->setEditText(typed);
}

void ScheduleEditor::ruleChosen()
{
    const int kind = rule_->currentIndex();
    for (QWidget *w : std::as_const(weekdayRow_))
        w->setVisible(kind == ScheduleRule::Weekly);
    for (QWidget *w : std::as_const(dayRow_))
        w->setVisible(kind == ScheduleRule::Monthly || kind == ScheduleRule::Yearly);
    for (QWidget *w : std::as_const(monthRow_))
        w->setVisible(kind == ScheduleRule::Yearly);
}

void ScheduleEditor::load(const Schedule &s)
{
    id_ = s.id;
    setWindowTitle(QStringLiteral("修改周期记账"));
    select(kind_, s.kind);
    kindChosen();
    select(item_, s.item);
    select(account_, s.account);
    select(toAccount_, s.toAccount);
    select(handler_, s.handler);
    amount_->setText(s.amount);
    summary_->setText(Formats::fromStoredText(s.summary));
    rule_->setCurrentIndex(s.rule.kind);
    every_->setValue(s.rule.every);
    if (s.rule.kind == ScheduleRule::Weekly)
        weekday_->setCurrentIndex(s.rule.day - 1);
    else
        day_->setValue(s.rule.day);
    month_->setValue(s.rule.month);
    start_->setDate(s.rule.start);
    if (s.rule.times > 0) {
        endTimes_->setChecked(true);
        times_->setValue(s.rule.times);
    } else if (s.rule.until.isValid()) {
        endDate_->setChecked(true);
        until_->setDate(s.rule.until);
    }
    automatic_->setChecked(s.automatic);
}

Schedule ScheduleEditor::fromFields() const
{
    Schedule s;
    s.id = id_;
    s.kind = kind_->currentText();
    const bool transfer = s.kind == Schedules::transferKind();
    s.item = transfer ? QString() : Formats::withoutNul(item_->currentText().trimmed());
    s.account = account_->currentText();
    s.toAccount = transfer ? toAccount_->currentText() : QString();
    s.handler = transfer ? QString() : handler_->currentText();
    s.amount = amount_->text().trimmed();
    s.summary = Formats::toStoredText(summary_->text());
    s.rule.kind = ScheduleRule::Kind(rule_->currentIndex());
    s.rule.every = every_->value();
    s.rule.day = s.rule.kind == ScheduleRule::Weekly ? weekday_->currentIndex() + 1 : day_->value();
    s.rule.month = month_->value();
    s.rule.start = start_->date();
    s.rule.until = endDate_->isChecked() ? until_->date() : QDate();
    s.rule.times = endTimes_->isChecked() ? times_->value() : 0;
    s.automatic = automatic_->isChecked();
    return s;
}

bool ScheduleEditor::save()
{
    Schedule s = fromFields();
    if (const std::optional<QString> wrong = Schedules::problem(s)) {
        context_.prompt.information(this, QStringLiteral("提示"), *wrong);
        return false;
    }
    s.amount = Money::storedText(s.amount).value_or(s.amount);
    Schedules schedules(context_.data);
    if (id_ == 0) {
        const std::optional<qint64> id =
            context_.prompt.attempt(this, [&] { return schedules.add(context_.session.CurrentAccountSetId, s); });
        if (!id)
            return false;
        id_ = *id;
        return true;
    }
    return context_.prompt.onRecord(this, QStringLiteral("提示"), QStringLiteral("这个周期记账已经不存在！"),
                                    [&] { return schedules.update(s); });
}
