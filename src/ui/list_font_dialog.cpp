// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/list_font_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double SmallestSize = 1;
constexpr double LargestSize = 400;

// A label whose text names the control it stands before, for the eye and the screen reader.
QLabel *captionFor(QWidget *control, const QString &caption, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(name);
    return label;
}

} // namespace

ListFontDialog::ListFontDialog(QWidget *parent, const Prompt::ListFont &initial)
    : QDialog(parent), colour_(initial.colour.isValid() ? initial.colour : QColor(Qt::black))
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("字体"));

    family_ = new QFontComboBox(this);
    family_->setObjectName(QStringLiteral("family"));
    family_->setEditable(false);
    QFont font(initial.family);
    family_->setCurrentFont(font);

    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("size"));
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    for (const char *points : {"8", "9", "10", "10.5", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36",
                               "48", "72"})
        size_->addItem(QString::fromLatin1(points));
    auto *validator = new QDoubleValidator(SmallestSize, LargestSize, 2, size_);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    size_->setValidator(validator);
    size_->setEditText(QString::number(initial.pointSize > 0 ? initial.pointSize : 9, 'g', 6));

    bold_ = new QCheckBox(QStringLiteral("粗体(&B)"), this);
    bold_->setObjectName(QStringLiteral("bold"));
    bold_->setAccessibleName(QStringLiteral("粗体"));
    bold_->setChecked(initial.bold);
    italic_ = new QCheckBox(QStringLiteral("斜体(&I)"), this);
    italic_->setObjectName(QStringLiteral("italic"));
    italic_->setAccessibleName(QStringLiteral("斜体"));
    italic_->setChecked(initial.italic);

    colourButton_ = new QPushButton(this);
    colourButton_->setObjectName(QStringLiteral("colour"));
    colourButton_->setAutoDefault(false);
    colourButton_->setMinimumWidth(100);

    sample_ = new QLabel(QStringLiteral("Tallyra 家庭记账 AaBbYy 123.45"), this);
    sample_->setObjectName(QStringLiteral("sample"));
    sample_->setAccessibleName(QStringLiteral("示例"));
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setFrameShape(QFrame::StyledPanel);
    sample_->setMinimumSize(320, 64);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto *form = new QFormLayout;
    form->addRow(captionFor(family_, QStringLiteral("字体(&F)："), QStringLiteral("字体"), this), family_);
    form->addRow(captionFor(size_, QStringLiteral("字号(&S)："), QStringLiteral("字号"), this), size_);
    auto *styles = new QHBoxLayout;
    styles->addWidget(bold_);
    styles->addWidget(italic_);
    styles->addStretch(1);
    form->addRow(QStringLiteral("字形："), styles);
    auto *colourRow = new QHBoxLayout;
    colourRow->addWidget(colourButton_);
    colourRow->addStretch(1);
    form->addRow(captionFor(colourButton_, QStringLiteral("颜色(&C)："), QStringLiteral("颜色"), this), colourRow);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("示例："), this));
    layout->addWidget(sample_, 1);
    layout->addWidget(buttons_);

    connect(family_, &QFontComboBox::currentFontChanged, this, &ListFontDialog::update);
    connect(size_, &QComboBox::currentTextChanged, this, &ListFontDialog::update);
    connect(bold_, &QCheckBox::toggled, this, &ListFontDialog::update);
    connect(italic_, &QCheckBox::toggled, this, &ListFontDialog::update);
    connect(colourButton_, &QPushButton::clicked, this, &ListFontDialog::chooseColour);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (size())
            accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    update();
}

QPushButton *ListFontDialog::okButton() const { return buttons_->button(QDialogButtonBox::Ok); }

std::optional<double> ListFontDialog::size() const
{
    bool ok = false;
    const double points = QLocale::c().toDouble(size_->currentText().trimmed(), &ok);
    if (!ok || points < SmallestSize || points > LargestSize)
        return std::nullopt;
    return points;
}

Prompt::ListFont ListFontDialog::chosen() const
{
    return {family_->currentFont().family(), size().value_or(0), bold_->isChecked(), italic_->isChecked(), colour_};
}

void ListFontDialog::chooseColour()
{
    const QColor picked = QColorDialog::getColor(colour_, this, QStringLiteral("颜色"));
    if (!picked.isValid())
        return;
    colour_ = picked;
    update();
}

void ListFontDialog::update()
{
    const std::optional<double> points = size();
    okButton()->setEnabled(points.has_value());

    QFont font = family_->currentFont();
    if (points)
        font.setPointSizeF(*points);
    font.setBold(bold_->isChecked());
    font.setItalic(italic_->isChecked());
    sample_->setFont(font);
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, colour_);
    sample_->setPalette(palette);

    colourButton_->setText(colour_.name().toUpper());
    colourButton_->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; }")
                                     .arg(colour_.name(), colour_.lightness() < 128 ? QStringLiteral("white")
                                                                                    : QStringLiteral("black")));
}
