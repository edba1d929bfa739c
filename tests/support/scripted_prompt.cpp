// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_prompt.h"

#include <QPrinter>

Prompt::Answer ScriptedPrompt::message(QWidget *, Icon icon, const QString &title, const QString &text,
                                       Buttons buttons, Answer defaultAnswer)
{
    shown.append({QStringLiteral("message"), icon, title, text, buttons, defaultAnswer, {}});
    return answers.isEmpty() ? defaultAnswer : answers.dequeue();
}

QString ScriptedPrompt::openFile(QWidget *, const QString &title, const QString &filter, const QString &startPath)
{
    shown.append({QStringLiteral("open"), Icon::None, title, filter, Buttons::Ok, Answer::Ok, startPath});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedPrompt::saveFile(QWidget *, const QString &title, const QString &filter,
                                 const QString &suggestedPath)
{
    shown.append({QStringLiteral("save"), Icon::None, title, filter, Buttons::Ok, Answer::Ok, suggestedPath});
    return files.isEmpty() ? QString() : files.dequeue();
}

std::optional<Prompt::ListFont> ScriptedPrompt::chooseFont(QWidget *, const ListFont &initial)
{
    shown.append({QStringLiteral("font"), Icon::None, {}, initial.family, Buttons::Ok, Answer::Ok, {}});
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

std::optional<QColor> ScriptedPrompt::chooseColour(QWidget *, const QColor &initial)
{
    shown.append({QStringLiteral("colour"), Icon::None, {}, initial.name(), Buttons::Ok, Answer::Ok, {}});
    return colours.isEmpty() ? std::nullopt : colours.dequeue();
}

bool ScriptedPrompt::choosePrinter(QWidget *, QPrinter &printer)
{
    shown.append({QStringLiteral("print"), Icon::None, {}, {}, Buttons::Ok, Answer::Ok, {}});
    if (printFiles.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFiles.dequeue());
    return true;
}

std::optional<QString> ScriptedPrompt::askText(QWidget *, const QString &title, const QString &label, bool secret)
{
    shown.append({QStringLiteral("text"), secret ? Icon::Warning : Icon::None, title, label, Buttons::OkCancel,
                  Answer::Ok, {}});
    return typed.isEmpty() ? std::nullopt : typed.dequeue();
}

QString ScriptedPrompt::lastText() const
{
    for (auto it = shown.crbegin(); it != shown.crend(); ++it)
        if (it->kind == QLatin1String("message"))
            return it->text;
    return {};
}

QStringList ScriptedPrompt::texts() const
{
    QStringList result;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("message"))
            result << s.text;
    return result;
}

void ScriptedPrompt::reset()
{
    shown.clear();
    answers.clear();
    files.clear();
    fonts.clear();
    colours.clear();
    printFiles.clear();
    typed.clear();
}
