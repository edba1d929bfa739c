// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/file_import.h"
#include "ledger/ledger.h"
#include "ui/app_context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class RecordList;

// "批量导入财务数据": rows copied from a spreadsheet are pasted into a preview list, or
// read from a bank or spreadsheet file (CSV, QIF, OFX); cells corrected, unwanted rows
// removed, and the rest stored as entries of the user's account set. Rows that look
// imported already are marked and asked about before they are stored.
class BatchImport : public QDialog {
    Q_OBJECT
public:
    explicit BatchImport(const AppContext &context, QWidget *parent = nullptr);

    // "导入": replaces the preview with the rows of the clipboard's text.
    void pasteClipboard();
    // The same for a given text (what the clipboard holds).
    void paste(const QString &text);
    // "打开文件...": asks for a file and reads it into the preview.
    void openFile();
    // Replaces the preview's rows with the rows of the file, numbered from 1; a CSV file
    // whose header is not the preview's titles goes through "列对应" first. False, with
    // the preview as it was, when the file cannot be read (the user is told why) or the
    // user cancels.
    bool loadFile(const QString &path);
    // Opens an editor over a cell of the preview (any column but "No."); Enter or leaving
    // it keeps the text, Esc drops it. Double-click and F2 start it.
    void editCell(int row, int column);
    // A cell as corrected: the date is stored "yyyy-mm-dd" when it reads as a date.
    void setCell(int row, int column, const QString &text);
    // "删除": removes the selected row; the other rows keep their numbers.
    void removeSelected();
    // "删除全部".
    void removeAll();
    // "保存": stores the rows in one transaction and says what was stored. With likely
    // duplicates among the rows of a file it first asks whether to store those too; if not, the others
    // are stored and only the duplicates (and the rows that could not be stored) stay.
    void save();

    RecordList *list() const { return list_; }
    // The rows of the preview as they stand.
    std::vector<ImportRow> rows() const;
    // Which rows of a file look imported already, in the preview's order, and a row's
    // tooltip. Pasted rows are not marked.
    const std::vector<DuplicateMark> &marks() const { return marks_; }
    QString markText(int row) const;
    // The message after storing, and whether it is one of success.
    static QString reportText(const ImportReport &report);

    static QList<RecordColumn> columns();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRows(const std::vector<ImportRow> &rows);
    // Marks the rows anew: their pictures and marks_.
    void markDuplicates();
    // Shows marks_ as the rows' pictures.
    void showMarks();
    std::vector<DuplicateMark> duplicatesOf(const std::vector<ImportRow> &rows);
    void closeEditor(bool keep);

    AppContext context_;
    RecordList *list_;              // ListView1
    QList<QPushButton *> buttons_;  // Command1..Command5
    std::vector<DuplicateMark> marks_;
    QLineEdit *editor_ = nullptr;
    int editRow_ = -1, editColumn_ = -1;
    bool fromFile_ = false;  // the rows came from a file: duplicates are marked
    bool saving_ = false;
};
