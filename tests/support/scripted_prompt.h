// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/prompt.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <optional>

// A prompt for tests: records everything the program shows and answers from queues.
// With no answer queued, a message gets its default answer and a dialog is cancelled.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString kind;  // "message", "open", "save", "font", "colour", "print", "text"
        Icon icon = Icon::None;
        QString title;
        QString text;  // message text, or the file filter
        Buttons buttons = Buttons::Ok;
        Answer defaultAnswer = Answer::Ok;
        QString path;  // start or suggested path of a file dialog
    };

    QList<Shown> shown;
    QQueue<Answer> answers;
    QQueue<QString> files;
    QQueue<std::optional<ListFont>> fonts;
    QQueue<std::optional<QColor>> colours;
    // Print dialogs answered by printing into these PDF files; none queued cancels.
    QQueue<QString> printFiles;
    // Answers of askText, in order; with none queued the dialog is cancelled.
    QQueue<std::optional<QString>> typed;

    Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text, Buttons buttons,
                   Answer defaultAnswer) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter, const QString &startPath) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &suggestedPath) override;
    std::optional<ListFont> chooseFont(QWidget *parent, const ListFont &initial) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    // Recorded as kind "text" with the label as its text; `buttons` is OkCancel, and the
    // icon is Warning for a secret text.
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label, bool secret) override;

    // The last message's text, or an empty text when none was shown.
    QString lastText() const;
    const Shown &last() const { return shown.last(); }
    QStringList texts() const;
    void reset();
};
