// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/entry_editor.h"
#include "core/dates.h"
#include "core/money.h"

#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/formats.h"
#include "ui/icons.h"
#include "ui/prompt.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

namespace {

constexpr int FieldWidth = 2415 / 15;
constexpr int LabelWidth = 1440 / 15;

// Shows a value in a choose-only list, adding it when the catalogue no longer has it,
// so that saving an entry never drops what it held.
void showChoice(QComboBox *box, const QString &value)
{
    if (value.isEmpty()) {
        box->setCurrentIndex(-1);
        return;
    }
    int index = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        box->addItem(value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

} // namespace

EntryEditor::EntryEditor(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), ledger_(context.data)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("添加记帐数据"));
    setWindowIcon(Icons::icon(Icons::Glyph::Add));
    setModal(true);

    date_ = new QDateEdit(this);
    date_->setObjectName(QStringLiteral("DTPicker1"));
    date_->setDisplayFormat(QStringLiteral("yyyy 年 MM月 dd日"));
    date_->setCalendarPopup(true);
    date_->setDateRange(Dates::firstEntryDay(), Dates::lastEntryDay());

    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("Combo1"));
    item_ = new QComboBox(this);
    item_->setObjectName(QStringLiteral("Combo2"));
    item_->setEditable(true);
    item_->setInsertPolicy(QComboBox::NoInsert);
    // Wide enough for its hint in whatever font the desktop uses.
    {
        QStyleOptionComboBox option;
        option.initFrom(item_);
        option.editable = true;
        const QFontMetrics metrics = item_->fontMetrics();
        item_->setMinimumWidth(
            item_->style()
                ->sizeFromContents(QStyle::CT_ComboBox, &option,
                                   QSize(metrics.horizontalAdvance(itemHint() + u' '), metrics.height()), item_)
                .width());
    }
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("Combo3"));
    handler_ = new QComboBox(this);
    handler_->setObjectName(QStringLiteral("Combo4"));

    amount_ = new QLineEdit(this);
    amount_->setObjectName(QStringLiteral("Text1"));
    amount_->installEventFilter(this);

    summary_ = new QPlainTextEdit(this);
    summary_->setObjectName(QStringLiteral("Text2"));
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    summary_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    summary_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    summary_->setTabChangesFocus(true);
    summary_->setMinimumHeight(1335 / 15);

    entryItem_ = new QLabel(this);
    entryItem_->setObjectName(QStringLiteral("Label2"));
    entryItem_->setVisible(false);

    // A transfer's own fields, shown instead of item, method and handler.
    from_ = new QComboBox(this);
    from_->setObjectName(QStringLiteral("Combo5"));
    to_ = new QComboBox(this);
    to_->setObjectName(QStringLiteral("Combo6"));
    fee_ = new QLineEdit(this);
    fee_->setObjectName(QStringLiteral("Text3"));
    fee_->setPlaceholderText(QStringLiteral("没有可不填"));
    fee_->installEventFilter(this);

    added_ = new QLabel(this);
    added_->setObjectName(QStringLiteral("Label3"));
    added_->setAccessibleName(QStringLiteral("添加结果"));
    added_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    added_->setMinimumHeight(added_->fontMetrics().height());  // the window keeps its size

    saveButton_ = new QPushButton(QStringLiteral("添  加"), this);
    saveButton_->setObjectName(QStringLiteral("Command1"));
    closeButton_ = new QPushButton(QStringLiteral("关  闭"), this);
    closeButton_->setObjectName(QStringLiteral("Command2"));
    // Enter never saves by accident: the amount field discards it, the buttons are not default.
    saveButton_->setAutoDefault(false);
    closeButton_->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, LabelWidth - 12);
    int row = 0;
    auto addRow = [&](const QString &caption, QWidget *field, QList<QWidget *> *rows = nullptr) {
        QLabel *label = fieldLabel(caption, field, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, row, 0, field == summary_ ? Qt::AlignTop : Qt::Alignment());
        // Named by its label, without the blanks that space it out and the mark of a
        // field that must be filled.
        label->setBuddy(field);
        field->setAccessibleName(QString(caption).remove(u' ').remove(u'*'));
        // At least the designed width, wider when a larger font needs it.
        field->setMinimumWidth(std::max(FieldWidth, field->minimumWidth()));
        grid->addWidget(field, row++, 1);
        if (rows)
            *rows << label << field;
    };
    addRow(QStringLiteral("日  期"), date_);
    addRow(QStringLiteral("类  别 *"), kind_);
    addRow(QStringLiteral("项  目"), item_, &entryRows_);
    addRow(QStringLiteral("方  式"), method_, &entryRows_);
    addRow(QStringLiteral("经手人"), handler_, &entryRows_);
    addRow(QStringLiteral("转出账户 *"), from_, &transferRows_);
    addRow(QStringLiteral("转入账户 *"), to_, &transferRows_);
    addRow(QStringLiteral("金  额 *"), amount_);
    addRow(QStringLiteral("手续费"), fee_, &transferRows_);
    addRow(QStringLiteral("摘  要"), summary_);
    showTransferFields(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton_);
    buttons->addWidget(closeButton_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(entryItem_);
    layout->addWidget(added_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            kindChosen();
    });
    connect(date_, &QDateEdit::dateChanged, this, [this] { strayDate_.clear(); });
    connect(saveButton_, &QPushButton::clicked, this, &EntryEditor::save);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    clock_ = [] {
        static QElapsedTimer since = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return since.elapsed();
    };
    LoadData();
}

void EntryEditor::LoadData()
{
    item_->setEditText(itemHint());
    Ledger::EditorChoices choices;
    try {
        choices = ledger_.editorChoices();
    } catch (const StoreError &) {
        choices = {};  // unreadable: the lists stay empty
    }
    QStringList closed;
    try {
        closed = Transfers(context_.data).closedAccounts(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        closed.clear();
    }
    for (const QString &name : closed)
        choices.methods.removeAll(name);
    const QSignalBlocker blockKinds(kind_);
    kind_->clear();
    kind_->addItems(choices.kinds);
    // A new entry may be a transfer between two accounts.
    if (mode_ == Mode::Add)
        kind_->addItem(Transfers::kind());
    kind_->setCurrentIndex(-1);
    method_->clear();
    method_->addItems(choices.methods);
    method_->setCurrentIndex(-1);
    for (QComboBox *account : {from_, to_}) {
        account->clear();
        account->addItems(choices.methods);
        account->setCurrentIndex(-1);
    }
    handler_->clear();
    handler_->addItems(choices.handlers);
    handler_->setCurrentIndex(-1);
    date_->setDate(QDate::currentDate());
}

void EntryEditor::kindChosen()
{
    showTransferFields(isTransfer());
    if (isTransfer())
        return;
    QStringList items;
    try {
        items = ledger_.items(kind_->currentText());
    } catch (const StoreError &) {
        items.clear();
    }
    item_->clear();
    item_->addItems(items);
    // The item of the entry being modified survives the refill.
    item_->setCurrentIndex(-1);
    item_->setEditText(entryItem_->text());
}

bool EntryEditor::openForModifying(qint64 id)
{
    mode_ = Mode::Modify;
    // An entry stays an entry: the kinds are the catalogue's two.
    if (const int transfer = kind_->findText(Transfers::kind()); transfer >= 0) {
        const QSignalBlocker block(kind_);
        kind_->removeItem(transfer);
    }
    setWindowTitle(QStringLiteral("修改记帐数据"));
    setWindowIcon(Icons::icon(Icons::Glyph::Edit));
    saveButton_->setText(QStringLiteral("修改"));
    context_.session.EditEntryId = id;
    return LoadDate(id);
}

bool EntryEditor::LoadDate(qint64 id)
{
    // Gone, for example, when a search result's entry was deleted since.
    const std::optional<LedgerEntry> entry = context_.prompt.onRecord(
        this, QStringLiteral("提示"), QStringLiteral("这条记录已经不存在！"), [&] { return ledger_.entry(id); });
    if (!entry)
        return false;
    const std::optional<QDate> date = Dates::readDate(entry->date);
    if (date && Dates::isEntryDay(*date))
        date_->setDate(*date);
    strayDate_ = date && Dates::isEntryDay(*date) ? QString()
                 : entry->date.isEmpty()              ? QStringLiteral("（空）")
                                                      : entry->date;
    showChoice(method_, entry->method);
    showChoice(handler_, entry->handler);
    amount_->setText(entry->amount);
    summary_->setPlainText(Formats::fromStoredText(entry->summary));
    entryItem_->setText(entry->item);
    context_.session.EditEntryId = entry->id;
    // Last the kind, which refills the items and puts the entry's item back.
    const QSignalBlocker block(kind_);
    showChoice(kind_, entry->kind);
    if (kind_->currentIndex() >= 0)
        kindChosen();
    else
        item_->setEditText(entry->item);
    return true;
}

LedgerEntry EntryEditor::entryFromControls() const
{
    LedgerEntry entry;
    entry.id = mode_ == Mode::Modify ? context_.session.EditEntryId : 0;
    entry.date = Dates::storedDate(date_->date());
    entry.kind = kind_->currentText();
    entry.item = item_->currentText();
    entry.method = method_->currentText();
    entry.handler = handler_->currentText();
    // "12." is stored as "12"; save() has refused anything that is not a plain decimal.
    entry.amount = Money::storedText(amount_->text()).value_or(amount_->text());
    entry.summary = Formats::toStoredText(summary_->toPlainText());
    return entry;
}

QString EntryEditor::addedText(const LedgerEntry &entry)
{
    return QStringLiteral("已添加：%1 %2 %3")
        .arg(entry.date, entry.item.trimmed().isEmpty() ? entry.kind : entry.item, entry.amount);
}

void EntryEditor::save()
{
    // Another press while one is handled, or just after an add, adds nothing: a double-click
    // stores one entry. Pressing again later adds another, identical one.
    if (saving_ || (mode_ == Mode::Add && lastAdd_ && clock_() - *lastAdd_ < RepeatMs))
        return;
    saving_ = true;
    const auto handled = qScopeGuard([this] { saving_ = false; });
    if (isTransfer()) {
        saveTransfer();
        return;
    }
    if (kind_->currentText().isEmpty() || amount_->text().isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择类别以及金额，带*号是必填项！"));
        return;
    }
    // Pasted text passes the key filter; only a plain decimal is stored, so every entry
    // counts in the totals exactly as the list shows it.
    if (!Money::storedText(amount_->text())) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("金额必须是一个数字（例如 12.5 或 -3），请重新输入！"));
        amount_->setFocus();
        amount_->selectAll();
        return;
    }
    if (mode_ == Mode::Modify && !strayDate_.isEmpty() &&
        context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                QStringLiteral("这条记录的日期“%1”不是%2之间的日期，保存时将改为%3。要保存吗？")
                                    .arg(strayDate_, Dates::entryDaysText(), Dates::storedDate(date_->date())),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    if (mode_ == Mode::Modify) {
        std::optional<QString> checked =
            context_.prompt.attempt(this, [&] { return Transfers(context_.data).entryChecked(context_.session.EditEntryId); });
        if (!checked || !changeReconciled(*checked))
            return;
    }
    if (mode_ == Mode::Add) {
        if (red())
            lastAdd_ = clock_();
    } else
        EditData(context_.session.EditEntryId);
}

bool EntryEditor::red()
{
    LedgerEntry entry = entryFromControls();
    const int accountSet = context_.session.CurrentAccountSetId;
    if (!context_.prompt.attempt(this, [&] {
            DataFile::Transaction transaction(context_.data);
            entry.id = ledger_.addEntry(entry, accountSet);
            ledger_.keepItem(entry.kind, entry.item);
            transaction.commit();
        }))
        return false;
    added_->setText(addedText(entry));
    emit added(entry);
    return true;
}

bool EntryEditor::EditData(qint64 id)
{
    LedgerEntry entry = entryFromControls();
    entry.id = id;
    if (!context_.prompt.onRecord(this, QStringLiteral("提示"), QStringLiteral("这条记录已经不存在！"), [&] {
            DataFile::Transaction transaction(context_.data);
            if (!ledger_.updateEntry(entry))
                return false;
            ledger_.keepItem(entry.kind, entry.item);
            transaction.commit();
            return true;
        }))
        return false;
    emit modified(entry);
    return true;
}

bool EntryEditor::isTransfer() const
{
    // An entry whose kind reads "转账" (written by another program) stays an entry.
    return mode_ == Mode::Add ? kind_->currentText() == Transfers::kind() : transferId_ != 0;
}

void EntryEditor::showTransferFields(bool transfer)
{
    for (QWidget *w : std::as_const(entryRows_))
        w->setVisible(!transfer);
    for (QWidget *w : std::as_const(transferRows_))
        w->setVisible(transfer);
}

void EntryEditor::startTransfer()
{
    if (const int index = kind_->findText(Transfers::kind()); index >= 0)
        kind_->setCurrentIndex(index);
}

bool EntryEditor::openForModifyingTransfer(qint64 id)
{
    mode_ = Mode::Modify;
    setWindowTitle(QStringLiteral("修改记帐数据"));
    setWindowIcon(Icons::icon(Icons::Glyph::Edit));
    saveButton_->setText(QStringLiteral("修改"));
    const std::optional<Transfer> transfer = context_.prompt.onRecord(
        this, QStringLiteral("提示"), QStringLiteral("这笔转账已经不存在！"), [&] { return Transfers(context_.data).transfer(id); });
    if (!transfer)
        return false;
    transferId_ = id;
    if (const std::optional<QDate> date = Dates::readDate(transfer->date))
        date_->setDate(*date);
    showChoice(from_, transfer->from);
    showChoice(to_, transfer->to);
    amount_->setText(transfer->amount);
    fee_->setText(transfer->fee);
    summary_->setPlainText(Formats::fromStoredText(transfer->summary));
    // A transfer stays a transfer.
    const QSignalBlocker block(kind_);
    showChoice(kind_, Transfers::kind());
    kind_->setEnabled(false);
    showTransferFields(true);
    return true;
}

Transfer EntryEditor::transferFromControls() const
{
    Transfer t;
    t.id = transferId_;
    t.date = Dates::storedDate(date_->date());
    t.from = from_->currentText();
    t.to = to_->currentText();
    t.amount = amount_->text().trimmed();
    t.fee = fee_->text().trimmed();
    t.summary = Formats::toStoredText(summary_->toPlainText());
    return t;
}

bool EntryEditor::changeReconciled(const QString &statementDay)
{
    return statementDay.isEmpty() ||
           context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                   QStringLiteral("这条记录已经与%1的对账单核对过（已核对）。修改日期、金额或账户后，"
                                                  "它需要重新核对。确实要修改吗？")
                                       .arg(statementDay),
                                   Prompt::Buttons::YesNo, Prompt::Answer::No) == Prompt::Answer::Yes;
}

void EntryEditor::saveTransfer()
{
    const Transfer transfer = transferFromControls();
    Transfers transfers(context_.data);
    if (const std::optional<QString> wrong = Transfers::problem(transfer)) {
        context_.prompt.information(this, QStringLiteral("提示"), *wrong);
        return;
    }
    if (mode_ == Mode::Modify) {
        const std::optional<std::optional<Transfer>> old = context_.prompt.attempt(this, [&] { return transfers.transfer(transferId_); });
        if (!old)
            return;
        if (!*old) {
            context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("这笔转账已经不存在！"));
            return;
        }
        const QString checked = !(*old)->fromChecked.isEmpty() ? (*old)->fromChecked : (*old)->toChecked;
        if (!changeReconciled(checked))
            return;
    }
    std::optional<qint64> saved;
    if (mode_ == Mode::Add) {
        saved = context_.prompt.attempt(this, [&] { return transfers.add(transfer, context_.session.CurrentAccountSetId); });
    } else if (context_.prompt.onRecord(this, QStringLiteral("提示"), QStringLiteral("这笔转账已经不存在！"),
                                        [&] { return transfers.update(transfer); })) {
        saved = transferId_;
    }
    if (!saved)
        return;
    if (mode_ == Mode::Add) {
        lastAdd_ = clock_();
        added_->setText(QStringLiteral("已添加：%1 转账 %2→%3 %4").arg(transfer.date, transfer.from, transfer.to, transfer.amount));
    }
    emit transferSaved(*saved);
}

bool EntryEditor::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == amount_ || watched == fee_) && event->type() == QEvent::KeyPress) {
        auto *field = static_cast<QLineEdit *>(watched);
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return true;
        // Keys that type no character (moving, deleting, shortcuts such as paste) pass.
        const QString text = key->text();
        if (key->key() == Qt::Key_Backspace || text.isEmpty() || !text.at(0).isPrint() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        if (text.size() != 1)
            return true;
        const QChar c = text.at(0);
        if (c == u'.')
            return field->text().contains(u'.');
        return !((c >= u'0' && c <= u'9') || c == u'-');
    }
    return QDialog::eventFilter(watched, event);
}
