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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString AddCaption = QStringLiteral("添加记录");
const QString ModifyCaption = QStringLiteral("修改记录");

// Places are given in twips (15 to a pixel), relative to the frame.
constexpr int Row = 22;

QRect twips(int left, int top, int width, int height = Row * 15)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace

ContactEditor::ContactEditor(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), book_(context.data)
{
    setObjectName(QStringLiteral("Form22"));
    setWindowIcon(Icons::icon(Icons::Glyph::Contact));

    auto *frame = new QGroupBox(QStringLiteral("通信录"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(8, 4, (960 + 6855) / 15 + 14, (4200 + 900) / 15 + 14);

    auto label = [&](const QString &text, int fieldLeft, int top, int width = 58) {
        auto *l = new QLabel(text, frame);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setGeometry(fieldLeft / 15 - width - 4, top / 15, width, Row);
        return l;
    };
    // A field is named by its label, without the blanks that space the label out; else a
    // screen reader would name every field after the frame.
    auto name = [](QWidget *field, QLabel *caption, const QString &text = QString()) {
        caption->setBuddy(field);
        field->setAccessibleName(text.isEmpty() ? QString(caption->text()).remove(u' ') : text);
    };
    auto line = [&](int i, const QString &caption, int left, int top, int width) {
        auto *edit = new QLineEdit(frame);
        name(edit, label(caption, left, top));
        edit->setObjectName(QStringLiteral("Text1_%1").arg(i));
        edit->setGeometry(twips(left, top, width));
        text_[i] = edit;
    };
    auto combo = [&](int i, const QStringList &items, int left, int top, int width) {
        auto *box = new QComboBox(frame);
        box->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        box->setEditable(false);
        box->addItems(items);
        box->setCurrentIndex(-1);
        box->setGeometry(twips(left, top, width));
        return box;
    };

    line(0, QStringLiteral("姓   名"), 960, 240, 1575);
    QLabel *sexLabel = label(QStringLiteral("性别"), 3120, 240, 36);
    sex_ = combo(0, {QStringLiteral("男"), QStringLiteral("女")}, 3120, 240, 735);
    name(sex_, sexLabel);
    QLabel *birthdayLabel = label(QStringLiteral("生日"), 4920, 240, 36);
    calendar_ = combo(1, {QStringLiteral("公历"), QStringLiteral("农历")}, 4920, 240, 855);
    name(calendar_, birthdayLabel, QStringLiteral("生日历法"));
    birthday_ = new BirthdayPicker(frame);
    birthday_->setObjectName(QStringLiteral("DTPicker1"));
    birthday_->setGeometry(twips(5880, 240, 1935));
    birthday_->checkBox()->setAccessibleName(QStringLiteral("有生日"));
    birthday_->dateEdit()->setAccessibleName(QStringLiteral("生日"));
    line(1, QStringLiteral("手    机"), 960, 600, 2895);
    line(2, QStringLiteral("传    真"), 4920, 600, 2895);
    line(3, QStringLiteral("家庭住址"), 960, 960, 6855);
    line(4, QStringLiteral("家庭电话"), 960, 1320, 2895);
    line(5, QStringLiteral("住址邮编"), 4920, 1320, 2895);
    line(6, QStringLiteral("单位名称"), 960, 1680, 6855);
    line(7, QStringLiteral("单位地址"), 960, 2040, 6855);
    line(8, QStringLiteral("单位电话"), 960, 2400, 2895);
    line(9, QStringLiteral("单位邮编"), 4920, 2400, 2895);
    line(10, QStringLiteral("邮   箱"), 960, 2760, 2895);
    line(11, QStringLiteral("MSN帐号"), 4920, 2760, 2895);
    line(12, QStringLiteral("QQ   号"), 960, 3120, 2895);
    line(13, QStringLiteral("备用QQ号"), 4920, 3120, 2895);
    line(14, QStringLiteral("主页 1"), 960, 3480, 6855);
    line(15, QStringLiteral("主页 2"), 960, 3840, 6855);
    QLabel *remarkLabel = label(QStringLiteral("备   注"), 960, 4200);
    remark_ = new QPlainTextEdit(frame);
    name(remark_, remarkLabel);
    remark_->setObjectName(QStringLiteral("Text1_16"));
    remark_->setGeometry(twips(960, 4200, 6855, 900));
    remark_->setTabChangesFocus(true);

    const int buttonsTop = frame->geometry().bottom() + 8;
    save_ = new QPushButton(QStringLiteral("添加"), this);
    save_->setObjectName(QStringLiteral("Command1"));
    save_->setGeometry(frame->geometry().right() - 2 * 84, buttonsTop, 76, 26);
    save_->setDefault(true);
    quit_ = new QPushButton(QStringLiteral("退出"), this);
    quit_->setObjectName(QStringLiteral("Command2"));
    quit_->setGeometry(frame->geometry().right() - 80, buttonsTop, 76, 26);
    setFixedSize(frame->geometry().right() + 10, buttonsTop + 26 + 10);

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
