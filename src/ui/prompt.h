// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/sqlite_db.h"

#include <QColor>
#include <QString>

#include <optional>
#include <type_traits>

class QPrinter;
class QWidget;

// Every message box and every file, font and colour dialog of the program goes through
// a Prompt. The program uses QtPrompt; tests install a scripted prompt that records what
// was shown and answers from a queue.
class Prompt {
public:
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    // What the font dialog offers and returns: the font of a list and its text colour.
    struct ListFont {
        QString family;
        double pointSize = 9;
        bool bold = false;
        bool italic = false;
        QColor colour = Qt::black;
    };

    virtual ~Prompt() = default;

    // A message box. An empty title shows "Tallyra". Line breaks may be "\r\n".
    virtual Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                           Buttons buttons = Buttons::Ok, Answer defaultAnswer = Answer::Ok) = 0;
    // File dialogs; the filter is written "description|patterns|description|patterns",
    // patterns separated by ";". An empty result means the dialog was cancelled.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &startPath = QString()) = 0;
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &suggestedPath = QString()) = 0;
    virtual std::optional<ListFont> chooseFont(QWidget *parent, const ListFont &initial) = 0;
    virtual std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) = 0;
    // A line of text the user types (shown as dots when secret, as a password is); nothing
    // when the dialog was cancelled. A prompt that cannot ask answers nothing.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                           bool secret = false);

    // A save dialog offering several file types. `type` gets the chosen type's number in the
    // filter (from 0): the type the name ends in, else the one chosen in the dialog, whose
    // ending is then added to the name. The default asks saveFile().
    virtual QString saveFileOfType(QWidget *parent, const QString &title, const QString &filter,
                                   const QString &suggestedPath, int *type);
    // The print dialog: the printer, its paper and the pages to print. False when cancelled;
    // the default has no printers to offer.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer);
    // The name with a type's ending, and that type's number, as saveFileOfType() describes.
    static QString withFileType(const QString &path, const QString &filter, int chosen, int *type);

    // The common cases.
    void information(QWidget *parent, const QString &title, const QString &text);
    bool confirm(QWidget *parent, const QString &title, const QString &text);  // question, OK/Cancel
    // A failure of the data store: "发现错误：", the description, "错误代码：" and the number.
    void reportError(QWidget *parent, const StoreError &error);
    static QString errorText(const QString &description, int code);

    // Runs work on the data file. When it fails, the failure is reported as reportError()
    // does and the result is false (for work that gives nothing) or an empty optional;
    // else true, or the work's result.
    template <typename Work> auto attempt(QWidget *parent, Work &&work)
    {
        using Result = std::invoke_result_t<Work>;
        if constexpr (std::is_void_v<Result>) {
            try {
                work();
                return true;
            } catch (const StoreError &error) {
                reportError(parent, error);
                return false;
            }
        } else {
            try {
                return std::optional<Result>(work());
            } catch (const StoreError &error) {
                reportError(parent, error);
                return std::optional<Result>();
            }
        }
    }
    // Work on one record by its id: reading it (work gives an empty optional when there
    // is no such record) or saving into it (work gives false then). A failure is
    // reported; a record that is no longer there is told as `gone` under `title`, with
    // the information icon. Either way the result is empty, or false.
    template <typename Work> auto onRecord(QWidget *parent, const QString &title, const QString &gone, Work &&work)
    {
        auto found = attempt(parent, std::forward<Work>(work));
        if (found && !*found)
            information(parent, title, gone);
        return found ? std::move(*found) : std::invoke_result_t<Work>();
    }
};

// The prompt of the running program: Qt's own dialogs.
class QtPrompt : public Prompt {
public:
    Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                   Buttons buttons, Answer defaultAnswer) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &startPath) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &suggestedPath) override;
    std::optional<ListFont> chooseFont(QWidget *parent, const ListFont &initial) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial) override;
    QString saveFileOfType(QWidget *parent, const QString &title, const QString &filter,
                           const QString &suggestedPath, int *type) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label, bool secret) override;

    // "备份文件|*.mdb" becomes "备份文件 (*.mdb)"; a description that ends in its own
    // patterns shows them once: "导出文件(*.csv)|*.csv" stays "导出文件(*.csv)", and
    // "位图文件(*.bmp,*.dib)|*.bmp;*.dib" becomes "位图文件(*.bmp *.dib)".
    static QString qtFilter(const QString &filter);
};
