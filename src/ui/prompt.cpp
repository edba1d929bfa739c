// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/prompt.h"

#include "store/sqlite_db.h"
#include "ui/list_font_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

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

QString Prompt::saveFileOfType(QWidget *parent, const QString &title, const QString &filter,
                               const QString &suggestedPath, int *type)
{
    return withFileType(saveFile(parent, title, filter, suggestedPath), filter, 0, type);
}

bool Prompt::choosePrinter(QWidget *, QPrinter &) { return false; }

QString Prompt::withFileType(const QString &path, const QString &filter, int chosen, int *type)
{
    if (path.isEmpty())
        return path;
    // The patterns of each type: "*.xlsx", "*.csv;*.txt".
    const QStringList parts = filter.split(u'|');
    QList<QStringList> endings;
    for (int i = 1; i < parts.size(); i += 2) {
        QStringList types;
        for (const QString &pattern : parts[i].split(u';', Qt::SkipEmptyParts))
            if (pattern.startsWith(QLatin1String("*.")))
                types << pattern.mid(1);
        endings << types;
    }
    for (int i = 0; i < endings.size(); ++i)
        for (const QString &ending : endings[i])
            if (path.endsWith(ending, Qt::CaseInsensitive)) {
                if (type)
                    *type = i;
                return path;
            }
    chosen = endings.isEmpty() ? 0 : std::clamp(chosen, 0, int(endings.size()) - 1);
    if (type)
        *type = chosen;
    return endings.isEmpty() || endings[chosen].isEmpty() ? path : path + endings[chosen].first();
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

namespace {

// The patterns a description already shows at its end, as in "导出文件(*.csv)" or
// "位图文件(*.bmp,*.dib)": the text inside its last parentheses, split at commas,
// semicolons and blanks. Empty when the description does not end that way.
QStringList shownPatterns(const QString &description)
{
    const QString text = description.trimmed();
    if (!text.endsWith(u')'))
        return {};
    const qsizetype open = text.lastIndexOf(u'(');
    if (open < 0)
        return {};
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    return text.mid(open + 1, text.size() - open - 2).split(separators, Qt::SkipEmptyParts);
}

} // namespace

QString QtPrompt::qtFilter(const QString &filter)
{
    QStringList parts = filter.split(u'|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        // Qt reads a filter's patterns from its last parentheses, blank-separated. A
        // description that ends in its own patterns keeps them there, once; any other
        // description is followed by them.
        const QStringList shown = shownPatterns(description);
        if (!shown.isEmpty() && QSet<QString>(shown.begin(), shown.end()) ==
                                    QSet<QString>(patterns.begin(), patterns.end())) {
            const qsizetype open = description.lastIndexOf(u'(');
            entries << description.left(open) + u'(' + shown.join(u' ') + u')';
        } else {
            entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
        }
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

QString QtPrompt::saveFileOfType(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &suggestedPath, int *type)
{
    const QStringList filters = qtFilter(filter).split(QStringLiteral(";;"));
    QString selected = filters.value(0);
    const QString path = QFileDialog::getSaveFileName(parent, title, suggestedPath, filters.join(QStringLiteral(";;")),
                                                      &selected, QFileDialog::DontConfirmOverwrite);
    return withFileType(path, filter, std::max(0, int(filters.indexOf(selected))), type);
}

bool QtPrompt::choosePrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印"));
    return dialog.exec() == QDialog::Accepted;
}

std::optional<Prompt::ListFont> QtPrompt::chooseFont(QWidget *parent, const ListFont &initial)
{
    ListFontDialog dialog(parent, initial);
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
