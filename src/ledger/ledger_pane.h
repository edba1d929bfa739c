// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"
#include "ledger/ledger_view.h"
#include "ui/app_context.h"

#include <QWidget>

class Commands;
class LedgerListModel;
class QLabel;
class QLineEdit;
class QStatusBar;
class QSplitter;
class QTabBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class RecordList;
class SearchPanel;

// The ledger as the main window shows it: the date tree, the entry list "收支明细" and
// the search results "统计查询" with the search panel, the quick filter, and status-bar
// panels 2 to 6 with the list's count and totals. It serves the ledger's commands
// (adding, modifying, deleting, refreshing) and is the LedgerView of the commands that
// work on what it lists.
class LedgerPane : public QWidget, public LedgerView {
    Q_OBJECT
public:
    explicit LedgerPane(const AppContext &context, QWidget *parent = nullptr);

    // Connects the ledger's commands to the pane.
    void serve(Commands &commands);
    // Puts panels 2 to 6 into the window's status bar, after what it holds.
    void addPanelsTo(QStatusBar *bar);

    // The pane's part of loading the window (and of a restore): the columns, the newest
    // hundred entries, the tree, panel 2, the search panel's choices and dates.
    void loadEverything();
    // Column headers of both entry lists.
    void LoadView();
    // Lists the entries of a tree node key in the entry list and writes panels 3 to 6.
    void LoadData(const QString &key);
    // Rebuilds the date tree; no node is selected afterwards.
    void LoadTreeView();
    // Refresh: the entries of the selected node, then the tree, which keeps that node
    // selected.
    void refresh() override;

    // What the pane shows, for the commands beside it.
    EntryQuery listOnShow() const override;
    QString listCaption() const override;
    QString accountSetName() const override;
    void showSearch(const SearchRequest &request) override;
    QWidget *viewWindow() override { return window(); }

    // Opens the selected entry of a list for modifying; "请选择记录！" when none is selected.
    // Saving updates that list's row in place.
    void modifyEntry(RecordList *list);
    // The list of the tab on show: the entry list or the search results.
    RecordList *listOnShowWidget() const;
    // The entry editor for a new entry; each entry added lists again and rebuilds the tree.
    void addEntry();
    // The same, with the kind "转账" chosen.
    void addTransfer();
    // Deletes the entry selected in the list on show after asking; a search result goes
    // from both lists.
    void del();
    // The password window that deletes every entry of the account set.
    void deleteAll();
    // "统 计": at least one condition must be ticked, then Search().
    void searchClicked();
    // Lists the entries that the search panel's conditions select, with their totals.
    void Search();
    // What the search panel asks for.
    SearchRequest searchRequest() const;
    void showTab(int index);

    RecordList *entryList() const { return entryList_; }
    RecordList *searchList() const { return searchList_; }
    LedgerListModel *entries() const { return entries_; }
    LedgerListModel *results() const { return results_; }
    // The quick filter "筛选：": what the list on show is narrowed to.
    QLineEdit *filterField() const { return filter_; }
    // Filters the list on show by the field's text now (typing waits for a pause).
    void applyFilter();
    QTreeWidget *tree() const { return tree_; }
    // The line between the date tree and the lists; the shell keeps where it stands.
    QSplitter *splitter() const { return splitter_; }
    QTreeWidgetItem *treeNode(const QString &key) const;
    // Panels 2 to 6; empty for any other number.
    QString panelText(int panel) const;
    // Panels 3 to 6 of a tab's list (0 the entry list, 1 the search results); each list
    // keeps its own, shown while its tab is.
    void showPanels(int tab, const LedgerPanels &panels);

signals:
    // An entry was added or changed in the entry editor (still open over the window).
    void entrySaved(QWidget *editor, const LedgerEntry &entry);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openEditor(bool transfer);
    void setPanelText(int panel, const QString &text);
    // The id of the entry selected in a list; "请选择记录！" and nothing when none is.
    std::optional<qint64> selectedEntry(RecordList *list);
    void nodeClicked(QTreeWidgetItem *item);
    // Reads a list for its query; a list that cannot be read lists nothing.
    void read(LedgerListModel *model, RecordList *list, const EntryQuery &query);
    LedgerPanels panelsOf(int tab) const;
    // The search panel's lists take up the items the editor added to the catalogue.
    void offerNewItems();

    AppContext context_;
    Ledger ledger_;

    QTreeWidget *tree_ = nullptr;
    QSplitter *splitter_ = nullptr;  // between the date tree and the lists
    QTabBar *tabs_ = nullptr;
    RecordList *entryList_ = nullptr;
    RecordList *searchList_ = nullptr;
    LedgerListModel *entries_ = nullptr;  // what ListView1 shows
    LedgerListModel *results_ = nullptr;  // what ListView2 shows
    QLineEdit *filter_ = nullptr;
    QTimer *filterPause_ = nullptr;
    SearchPanel *searchPanel_ = nullptr;
    QLabel *panels_[5] = {};  // panels 2 to 6
    LedgerPanels tabPanels_[2];
    QTreeWidgetItem *currentBeforePress_ = nullptr;
    SearchRequest lastSearch_;
};
