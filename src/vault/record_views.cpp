// SPDX-License-Identifier: GPL-3.0-or-later
#include "vault/record_views.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// The caption column is 1400 twips wide, as in the designed windows.
constexpr int CaptionWidth = 1400 / 15;

// A field's caption, which names the field too (for the accessibility tree).
QLabel *caption(QWidget *parent, const QString &name, const QString &text, QWidget *field)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(field);
    label->setMinimumWidth(CaptionWidth);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit *line(QWidget *parent, const QString &name, bool readOnly)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(readOnly);
    return edit;
}

QPlainTextEdit *block(QWidget *parent, const QString &name, bool readOnly)
{
    auto *edit = new QPlainTextEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(readOnly);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    return edit;
}

// A panel laid over the six fields: opaque, so it covers what lies below.
QWidget *panel(QWidget *parent, const QString &name)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    widget->setAutoFillBackground(true);
    return widget;
}

} // namespace

RecordViews::RecordViews(bool readOnly, QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Shape1"));
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    auto *stack = new QGridLayout(this);
    stack->setContentsMargins(10, 10, 10, 10);

    // The six-field view.
    auto *six = new QWidget(this);
    six->setObjectName(QStringLiteral("SixFields"));
    auto *sixGrid = new QGridLayout(six);
    sixGrid->setContentsMargins(0, 0, 0, 0);
    const QStringList network = Vault::captions(Vault::networkCaptions());
    remark1_ = block(six, QStringLiteral("Text1_5"), readOnly);
    for (int i = 0; i < 6; ++i) {
        if (i < 5)
            text1_[i] = line(six, QStringLiteral("Text1_%1").arg(i), readOnly);
        QWidget *field = i < 5 ? static_cast<QWidget *>(text1_[i]) : remark1_;
        label1_[i] = caption(six, QStringLiteral("Label1_%1").arg(i), network.value(i), field);
        sixGrid->addWidget(label1_[i], i, 0, i == 5 ? Qt::AlignTop : Qt::Alignment());
        sixGrid->addWidget(field, i, 1);
    }
    sixGrid->setRowStretch(5, 1);

    // The other panel.
    otherPanel_ = panel(this, QStringLiteral("Picture1_0"));
    auto *otherGrid = new QGridLayout(otherPanel_);
    otherGrid->setContentsMargins(0, 0, 0, 0);
    const char *otherCaptions[] = {"标    题：", "用户名称：", "密    码："};
    const char *otherNames[] = {"Label2_0", "Label3_0", "Label4_0"};
    for (int i = 0; i < 3; ++i) {
        text2_[i] = line(otherPanel_, QStringLiteral("Text2_%1").arg(i), readOnly);
        otherGrid->addWidget(caption(otherPanel_, QString::fromLatin1(otherNames[i]), QString::fromUtf8(otherCaptions[i]), text2_[i]), i, 0);
        otherGrid->addWidget(text2_[i], i, 1);
    }
    remark2_ = block(otherPanel_, QStringLiteral("Text2_3"), readOnly);
    otherGrid->addWidget(caption(otherPanel_, QStringLiteral("Label5_0"), QStringLiteral("备注信息："), remark2_), 3, 0, Qt::AlignTop);
    otherGrid->addWidget(remark2_, 3, 1);
    otherGrid->setRowStretch(3, 1);

    // The memo panel, on top of both.
    memoPanel_ = panel(this, QStringLiteral("Picture1_1"));
    auto *memoGrid = new QGridLayout(memoPanel_);
    memoGrid->setContentsMargins(0, 0, 0, 0);
    memoTitle_ = line(memoPanel_, QStringLiteral("Text2_4"), readOnly);
    memoGrid->addWidget(caption(memoPanel_, QStringLiteral("Label2_1"), QStringLiteral("标    题："), memoTitle_), 0, 0);
    memoGrid->addWidget(memoTitle_, 0, 1);
    memoText_ = block(memoPanel_, QStringLiteral("Text2_5"), readOnly);
    memoGrid->addWidget(caption(memoPanel_, QStringLiteral("Label5_1"), QStringLiteral("备注信息："), memoText_), 1, 0, Qt::AlignTop);
    memoGrid->addWidget(memoText_, 1, 1);
    memoGrid->setRowStretch(1, 1);

    // One cell for all three: the later widget lies above the earlier.
    stack->addWidget(six, 0, 0);
    stack->addWidget(otherPanel_, 0, 0);
    stack->addWidget(memoPanel_, 0, 0);
    otherPanel_->hide();
    memoPanel_->hide();
}

void RecordViews::setCaptions(const QString &joined)
{
    const QStringList texts = Vault::captions(joined);
    for (int i = 0; i < 6; ++i)
        label1_[i]->setText(texts.value(i));
}

QStringList RecordViews::captions() const
{
    QStringList texts;
    for (QLabel *label : label1_)
        texts << label->text();
    return texts;
}

void RecordViews::showView(VaultView view)
{
    setOtherPanelVisible(view == VaultView::Other);
    setMemoPanelVisible(view == VaultView::Memo);
}

void RecordViews::setOtherPanelVisible(bool visible) { otherPanel_->setVisible(visible); }

void RecordViews::setMemoPanelVisible(bool visible) { memoPanel_->setVisible(visible); }

VaultView RecordViews::view() const
{
    if (!memoPanel_->isHidden())
        return VaultView::Memo;
    if (!otherPanel_->isHidden())
        return VaultView::Other;
    return VaultView::SixFields;
}

void RecordViews::fill(const VaultFields &f)
{
    const QString six[5] = {f.t0, f.t1, f.t2, f.t3, f.t4};
    for (int i = 0; i < 5; ++i)
        text1_[i]->setText(six[i]);
    remark1_->setPlainText(f.content);
    text2_[0]->setText(f.t0);
    text2_[1]->setText(f.t1);
    text2_[2]->setText(f.t4);
    remark2_->setPlainText(f.content);
    memoTitle_->setText(f.t0);
    memoText_->setPlainText(f.content);
}

void RecordViews::clear() { fill({}); }

VaultFields RecordViews::fields(VaultView view) const
{
    switch (view) {
    case VaultView::SixFields:
        return {text1_[0]->text(), text1_[1]->text(), text1_[2]->text(), text1_[3]->text(), text1_[4]->text(),
                remark1_->toPlainText()};
    case VaultView::Other:
        return {text2_[0]->text(), text2_[1]->text(), QString(), QString(), text2_[2]->text(), remark2_->toPlainText()};
    case VaultView::Memo:
        return {memoTitle_->text(), QString(), QString(), QString(), QString(), memoText_->toPlainText()};
    }
    return {};
}

QString RecordViews::firstField(VaultView view) const { return fields(view).t0; }
