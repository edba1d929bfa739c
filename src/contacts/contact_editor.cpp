// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contact_editor.h"
#include "core/dates.h"

#include "contacts/birthday_picker.h"
#include "store/sqlite_db.h"
#include "ui/formats.h"
#include "ui/icons.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString AddCaption = QStringLiteral("添加记录");
const QString ModifyCaption = QStringLiteral("修改记录");

// The designed widths, in twips (15 to a pixel): fields grow from them when their font needs
// more room, and so does the window.
constexpr int px(int twips) { return twips / 15; }

} // namespace

ContactEditor::ContactEditor(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), book_(context.data)
{
    setObjectName(QStringLiteral("Form22"));
    setWindowIcon(Icons::icon(Icons::Glyph::Contact));

    auto *frame = new QGroupBox(QStringLiteral("通信录"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    // Two columns of labelled fields; a field of the whole width spans both.
    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto label = [&](const QString &text) {
        auto *l = new QLabel(text, frame);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    // A field is named by its label, without the blanks that space the label out; else a
    // screen reader would name every field after the frame.
    auto name = [](QWidget *field, QLabel *caption, const QString &text = QString()) {
        caption->setBuddy(field);
        field->setAccessibleName(text.isEmpty() ? QString(caption->text()).remove(u' ') : text);
    };
    int row = 0;
    // A line edit at the left (column 0), the right (column 1) or over the whole width.
    enum Place { Left, Right, Whole };
    auto line = [&](int i, const QString &caption, Place place) {
        auto *edit = new QLineEdit(frame);
        edit->setObjectName(QStringLiteral("Text1_%1").arg(i));
        edit->setMinimumWidth(px(place == Whole ? 6855 : 2895));
        QLabel *l = label(caption);
        name(edit, l);
        const int column = place == Right ? 2 : 0;
        grid->addWidget(l, row, column);
        grid->addWidget(edit, row, column + 1, 1, place == Whole ? 3 : 1);
        if (place != Left)
            ++row;
        text_[i] = edit;
    };
    auto combo = [&](int i, const QStringList &items, int width) {
        auto *box = new QComboBox(frame);
        box->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        box->setEditable(false);
        box->addItems(items);
        box->setCurrentIndex(-1);
        box->setMinimumWidth(px(width));
        return box;
    };

    // 姓名 and 性别 at the left, 生日 (calendar and date) at the right.
    auto *nameEdit = new QLineEdit(frame);
    nameEdit->setObjectName(QStringLiteral("Text1_0"));
    nameEdit->setMinimumWidth(px(1575));
    text_[0] = nameEdit;
    QLabel *nameLabel = label(QStringLiteral("姓   名"));
    name(nameEdit, nameLabel);
    QLabel *sexLabel = label(QStringLiteral("性别"));
    sex_ = combo(0, {QStringLiteral("男"), QStringLiteral("女")}, 735);
    name(sex_, sexLabel);
    auto *left = new QHBoxLayout;
    left->addWidget(nameEdit, 1);
    left->addWidget(sexLabel);
    left->addWidget(sex_);
    QLabel *birthdayLabel = label(QStringLiteral("生日"));
    calendar_ = combo(1, {QStringLiteral("公历"), QStringLiteral("农历")}, 855);
    name(calendar_, birthdayLabel, QStringLiteral("生日历法"));
    birthday_ = new BirthdayPicker(frame);
    birthday_->setObjectName(QStringLiteral("DTPicker1"));
    birthday_->setMinimumWidth(px(1935));
    birthday_->checkBox()->setAccessibleName(QStringLiteral("有生日"));
    birthday_->dateEdit()->setAccessibleName(QStringLiteral("生日"));
    auto *right = new QHBoxLayout;
    right->addWidget(calendar_);
    right->addWidget(birthday_, 1);
    grid->addWidget(nameLabel, row, 0);
    grid->addLayout(left, row, 1);
    grid->addWidget(birthdayLabel, row, 2);
    grid->addLayout(right, row++, 3);

    line(1, QStringLiteral("手    机"), Left);
    line(2, QStringLiteral("传    真"), Right);
    line(3, QStringLiteral("家庭住址"), Whole);
    line(4, QStringLiteral("家庭电话"), Left);
    line(5, QStringLiteral("住址邮编"), Right);
    line(6, QStringLiteral("单位名称"), Whole);
    line(7, QStringLiteral("单位地址"), Whole);
    line(8, QStringLiteral("单位电话"), Left);
    line(9, QStringLiteral("单位邮编"), Right);
    line(10, QStringLiteral("邮   箱"), Left);
    line(11, QStringLiteral("MSN帐号"), Right);
    line(12, QStringLiteral("QQ   号"), Left);
    line(13, QStringLiteral("备用QQ号"), Right);
    line(14, QStringLiteral("主页 1"), Whole);
    line(15, QStringLiteral("主页 2"), Whole);
    QLabel *remarkLabel = label(QStringLiteral("备   注"));
    remarkLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    remark_ = new QPlainTextEdit(frame);
    name(remark_, remarkLabel);
    remark_->setObjectName(QStringLiteral("Text1_16"));
    remark_->setMinimumHeight(px(900));
    remark_->setTabChangesFocus(true);
    grid->addWidget(remarkLabel, row, 0);
    grid->addWidget(remark_, row++, 1, 1, 3);

    save_ = new QPushButton(QStringLiteral("添加"), this);
    save_->setObjectName(QStringLiteral("Command1"));
    save_->setDefault(true);
    quit_ = new QPushButton(QStringLiteral("退出"), this);
    quit_->setObjectName(QStringLiteral("Command2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(quit_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    // As large as its contents need: a larger font makes a larger window, never a cut one.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(save_, &QPushButton::clicked, this, &ContactEditor::save);
    connect(quit_, &QPushButton::clicked, this, &QDialog::reject);
    textclear();
}

void ContactEditor::textclear()
{
    for (QLineEdit *edit : text_)
        edit->clear();
    remark_->clear();
    sex_->setCurrentIndex(-1);
    calendar_->setCurrentIndex(-1);
    // No birthday until one is chosen; ticking the box offers today's date.
    birthday_->setDate(QDate::currentDate());
    birthday_->setDate(std::nullopt);
    loaded_ = Contact();
}

void ContactEditor::setAddMode(const QString &groupKey)
{
    setWindowTitle(AddCaption);
    save_->setText(QStringLiteral("添加"));
    groupKey_ = groupKey;
    id_ = 0;
    textclear();
}

bool ContactEditor::setModifyMode(qint64 id)
{
    setWindowTitle(ModifyCaption);
    save_->setText(QStringLiteral("修改"));
    id_ = id;
    textclear();
    return LoadDate(id);
}

bool ContactEditor::LoadDate(qint64 id)
{
    const std::optional<Contact> contact = context_.prompt.onRecord(
        this, QStringLiteral("提示"), QStringLiteral("该记录已不存在！"), [&] { return book_.contact(id); });
    if (!contact)
        return false;
    for (int i = 0; i < 16; ++i)
        text_[i]->setText(contact->t[size_t(i)]);
    remark_->setPlainText(Formats::fromStoredText(contact->t[Contact::Remark]));
    sex_->setCurrentIndex(sex_->findText(contact->t[Contact::Sex]));
    calendar_->setCurrentIndex(calendar_->findText(contact->t[Contact::Calendar]));
    const QString &birthday = contact->t[Contact::Birthday];
    std::optional<QDate> date;
    if (!birthday.trimmed().isEmpty())
        date = Dates::readDate(birthday);
    birthday_->setDate(date);
    loaded_ = *contact;
    return true;
}

Contact ContactEditor::fields() const
{
    Contact c;
    c.id = id_;
    for (int i = 0; i < 16; ++i)
        c.t[size_t(i)] = text_[i]->text();
    c.t[Contact::Remark] = Formats::toStoredText(remark_->toPlainText());
    auto choice = [&](const QComboBox *box, int column) {
        if (box->currentIndex() >= 0)
            return box->currentText();
        const QString &kept = loaded_.t[size_t(column)];
        return kept.isNull() ? QStringLiteral("") : kept;
    };
    c.t[Contact::Sex] = choice(sex_, Contact::Sex);
    c.t[Contact::Calendar] = choice(calendar_, Contact::Calendar);
    if (auto date = birthday_->date()) {
        c.t[Contact::Birthday] = Dates::storedDate(*date);
    } else {
        const QString &kept = loaded_.t[Contact::Birthday];
        // A stored text that is not a date cannot be shown; it stays unless a date is chosen.
        c.t[Contact::Birthday] = AddressBook::storedBirthday(kept) ? QStringLiteral("") : kept;
    }
    c.t[Contact::Group] = loaded_.t[Contact::Group];
    return c;
}

bool ContactEditor::red()
{
    if (!context_.prompt.attempt(this, [&] { id_ = book_.addContact(fields(), groupKey_); }))
        return false;
    return true;
}

bool ContactEditor::EditData(qint64 id)
{
    return context_.prompt.onRecord(this, QStringLiteral("提示"), QStringLiteral("该记录已不存在，无法保存修改！"),
                                    [&] { return book_.modifyContact(id, fields()); });
}

void ContactEditor::save()
{
    if (text_[0]->text().trimmed().isEmpty()) {
        context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("提示"), QStringLiteral("请输入姓名！"));
        return;
    }
    const bool stored = windowTitle() == AddCaption ? red() : EditData(id_);
    if (!stored)
        return;
    emit saved();
    accept();
}
