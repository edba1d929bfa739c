#pragma once

#include "ledger/ledger.h"
#include "ui/app_context.h"

#include <QDialog>

class QPushButton;
class RecordList;

// "批量导入财务数据": rows copied from a spreadsheet are pasted into a preview list,
// unwanted rows removed, and the rest stored as entries of the user's account set.
class BatchImport : public QDialog {
    Q_OBJECT
public:
    explicit BatchImport(const AppContext &context, QWidget *parent = nullptr);

    // "导入": replaces the preview with the rows of the clipboard's text.
    void pasteClipboard();
    // The same for a given text (what the clipboard holds).
    void paste(const QString &text);
    // "删除": removes the selected row; the other rows keep their numbers.
    void removeSelected();
    // "删除全部".
    void removeAll();
    // "保存": stores the rows in one transaction and says what was stored.
    void save();

    RecordList *list() const { return list_; }
    // The rows of the preview as they stand.
    std::vector<ImportRow> rows() const;
    // The message after storing, and whether it is one of success.
    static QString reportText(const ImportReport &report);

    static QList<RecordColumn> columns();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppContext context_;
    RecordList *list_;            // ListView1
    QList<QPushButton *> buttons_;  // Command1..Command4
    bool saving_ = false;
};
