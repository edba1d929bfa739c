#include "ui/prompt.h"

#include "store/sqlite_db.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

void Prompt::information(QWidget *parent, const QString &title, const QString &text)
{
    message(parent, Icon::Information, title, text, Buttons::Ok, Answer::Ok);
}

bool Prompt::confirm(QWidget *parent, const QString &title, const QString &text)
{
    return message(parent, Icon::Question, title, text, Buttons::OkCancel, Answer::Ok) == Answer::Ok;
}

QString Prompt::errorText(const QString &description, int code)
{
    return QStringLiteral("发现错误：\r\n%1\r\n错误代码：%2").arg(description).arg(code);
}

void Prompt::reportError(QWidget *parent, const StoreError &error)
{
    message(parent, Icon::Critical, QStringLiteral("错误"), errorText(error.description(), error.code()),
            Buttons::Ok, Answer::Ok);
}

std::optional<QString> Prompt::askText(QWidget *, const QString &, const QString &, bool) { return std::nullopt; }

Prompt::Answer QtPrompt::message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                                 Buttons buttons, Answer defaultAnswer)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Tallyra") : title);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(shown);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        defaultButton = defaultAnswer == Answer::Cancel ? QMessageBox::Cancel : QMessageBox::Ok;
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        defaultButton = defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes;
        break;
    }
    box.setDefaultButton(defaultButton);
    switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default:
        // Closed by the frame or Escape: the safe answer.
        return buttons == Buttons::YesNo ? Answer::No : buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
    }
}

QString QtPrompt::qtFilter(const QString &filter)
{
    QStringList parts = filter.split(u'|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtPrompt::openFile(QWidget *parent, const QString &title, const QString &filter, const QString &startPath)
{
    return QFileDialog::getOpenFileName(parent, title, startPath, qtFilter(filter));
}

QString QtPrompt::saveFile(QWidget *parent, const QString &title, const QString &filter,
                           const QString &suggestedPath)
{
    // The program asks its own question before it overwrites a file.
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, qtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

namespace {

// The font dialog with a text colour choice beside the font, as a list's font is chosen.
class FontAndColourDialog : public QDialog {
public:
    FontAndColourDialog(QWidget *parent, const Prompt::ListFont &initial) : QDialog(parent), colour_(initial.colour)
    {
        setWindowTitle(QStringLiteral("字体"));
        fonts_ = new QFontDialog(this);
        fonts_->setOptions(QFontDialog::NoButtons);
        QFont font(initial.family);
        font.setPointSizeF(initial.pointSize > 0 ? initial.pointSize : 9);
        font.setBold(initial.bold);
        font.setItalic(initial.italic);
        fonts_->setCurrentFont(font);

        auto *colourRow = new QHBoxLayout;
        colourRow->addWidget(new QLabel(QStringLiteral("颜色："), this));
        colourButton_ = new QPushButton(this);
        colourButton_->setFixedWidth(80);
        connect(colourButton_, &QPushButton::clicked, this, [this] {
            QColor chosen = QColorDialog::getColor(colour_, this, QStringLiteral("颜色"));
            if (chosen.isValid()) {
                colour_ = chosen;
                showColour();
            }
        });
        colourRow->addWidget(colourButton_);
        colourRow->addStretch();
        showColour();

        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(fonts_);
        layout->addLayout(colourRow);
        layout->addWidget(buttons);
    }

    Prompt::ListFont chosen() const
    {
        QFont font = fonts_->currentFont();
        return {font.family(), font.pointSizeF(), font.bold(), font.italic(), colour_};
    }

private:
    void showColour()
    {
        colourButton_->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour_.name()));
    }

    QFontDialog *fonts_;
    QPushButton *colourButton_;
    QColor colour_;
};

} // namespace

std::optional<Prompt::ListFont> QtPrompt::chooseFont(QWidget *parent, const ListFont &initial)
{
    FontAndColourDialog dialog(parent, initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

std::optional<QColor> QtPrompt::chooseColour(QWidget *parent, const QColor &initial)
{
    QColorDialog dialog(initial, parent);
    dialog.setWindowTitle(QStringLiteral("颜色"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QString> QtPrompt::askText(QWidget *parent, const QString &title, const QString &label, bool secret)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title.isEmpty() ? QStringLiteral("Tallyra") : title);
    QString shown = label;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    dialog.setLabelText(shown);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
