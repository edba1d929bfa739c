// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "diary/diary.h"
#include "ui/app_context.h"

#include <QDialog>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class RecordList;

// "记事本": the diary's year and month tree, the list of entries of the node clicked,
// and the editor panel that lies over the list while an entry is written or changed.
class DiaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit DiaryWindow(const AppContext &context, QWidget *parent = nullptr);

    // The list's columns.
    void LoadDate();
    // Lists the entries of a tree key and counts them in panel 2.
    void LoadData(const QString &key);
    // Rebuilds the date tree: "全部记录" and the years, collapsed, nothing selected.
    void LoadTreeView();
    // Puts an entry of the account set into the editor; false when it cannot be read.
    bool Load(qint64 id);
    void textclear();

    // The commands.
    void addEntry();     // 添加日记
    void modifyEntry();  // 修改, or a double click on the list
    void deleteEntry();  // 删除
    void save();         // 保  存
    void cancel();       // 取  消
    void nodeClicked(QTreeWidgetItem *item);

    RecordList *list() const { return list_; }
    QTreeWidget *tree() const { return tree_; }
    QTreeWidgetItem *treeNode(const QString &key) const;
    bool editorShown() const;
    QString panelText(int panel) const;
    QAction *command(const QString &caption) const;

private:
    QString selectedKey() const;
    void buildEditor(QWidget *parent);

    AppContext context_;
    Diary diary_;
    QToolBar *toolbar_;
    QTreeWidget *tree_;
    RecordList *list_;
    QFrame *editor_;              // Picture1
    QLineEdit *title_;            // Text1_0
    QLineEdit *time_;             // Text1_1
    QPlainTextEdit *body_;        // Text1_2
    QLabel *editId_;              // Label4
    QLabel *panels_[3] = {};
};
