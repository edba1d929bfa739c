#pragma once

#include "ledger/ledger.h"
#include "ledger/ledger_view.h"
#include "ui/app_context.h"

#include <QMainWindow>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTextBrowser;
class QTreeWidget;
class QTimer;
class QTreeWidgetItem;
class LedgerListModel;
class RecordList;

// The hub of the program: the ledger's date tree, the entry list and the search results,
// the status bar with count and totals, and the menus and toolbar that open everything else.
class MainWindow : public QMainWindow, public LedgerView {
    Q_OBJECT
public:
    explicit MainWindow(const AppContext &context, QWidget *parent = nullptr);

    // The whole load sequence; run when the window opens and again after a restore.
    void loadEverything();
    // Column headers of both entry lists.
    void LoadView();
    // Lists the entries of a tree node key in the entry list and writes panels 3 to 6.
    void LoadData(const QString &key);
    // Rebuilds the date tree; no node is selected afterwards.
    void LoadTreeView();
    // Applies the stored appearance to both entry lists.
    void LoadShow();
    // Refresh: the entries of the selected node, then the tree, which keeps that node
    // selected.
    void refresh() override;

    // What the window shows, for the commands beside it.
    EntryQuery listOnShow() const override;
    QString listCaption() const override;
    QString accountSetName() const override;
    void showSearch(const SearchRequest &request) override;
    QWidget *viewWindow() override { return this; }

    void logout();
    void exitProgram();
    void startCalculator();
    // Opens the selected entry of a list for modifying; "请选择记录！" when none is selected.
    // Saving updates that list's row in place.
    void modifyEntry(RecordList *list);
    // The list of the tab on show: the entry list or the search results.
    RecordList *listOnShowWidget() const;
    // The entry editor for a new entry; each entry added lists again and rebuilds the tree.
    void addEntry();
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
    void financeSummary();
    void batchImport();
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
    QTreeWidgetItem *treeNode(const QString &key) const;
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // Panels 3 to 6 of a tab's list (0 the entry list, 1 the search results); each list
    // keeps its own, shown while its tab is.
    void showPanels(int tab, const LedgerPanels &panels);
    // The menu item (or, with toolbar, the toolbar button) with this caption.
    QAction *command(const QString &caption, bool toolbar = false) const;
    QMenu *financeMenu() const { return financeMenu_; }

signals:
    // The window goes away: exit, close or logout. The automatic backup runs here.
    void unloading();
    void loggedOut();
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildCentre();
    QGroupBox *buildSearchPanel();
    void buildStatusBar();
    void connectCommands();
    void fillSearchChoices();
    void resetSearchDates();
    void nodeClicked(QTreeWidgetItem *item);
    // Reads a list for its query; a list that cannot be read lists nothing.
    void load(LedgerListModel *model, RecordList *list, const EntryQuery &query);
    LedgerPanels panelsOf(int tab) const;
    void unload();

    AppContext context_;
    Ledger ledger_;

    QMenu *financeMenu_ = nullptr;
    QList<QAction *> menuActions_;
    QList<QAction *> toolbarActions_;
    QActionGroup *viewModes_ = nullptr;
    QAction *gridAction_ = nullptr;

    QTreeWidget *tree_ = nullptr;
    QTabBar *tabs_ = nullptr;
    RecordList *entryList_ = nullptr;
    RecordList *searchList_ = nullptr;
    LedgerListModel *entries_ = nullptr;  // what ListView1 shows
    LedgerListModel *results_ = nullptr;  // what ListView2 shows
    QLineEdit *filter_ = nullptr;
    QTimer *filterPause_ = nullptr;
    QGroupBox *searchPanel_ = nullptr;
    QTextBrowser *browser_ = nullptr;
    QLabel *panels_[6] = {};
    LedgerPanels tabPanels_[2];
    QTreeWidgetItem *currentBeforePress_ = nullptr;
    SearchRequest lastSearch_;

    QCheckBox *check_[7] = {};  // Check1 .. Check6 at their own numbers
    QDateEdit *fromDate_ = nullptr;
    QDateEdit *toDate_ = nullptr;
    QComboBox *handlers_ = nullptr;      // Combo1
    QComboBox *incomeItems_ = nullptr;   // Combo2
    QComboBox *expenseItems_ = nullptr;  // Combo3
    QComboBox *methods_ = nullptr;       // Combo4
    QLineEdit *summaryText_ = nullptr;   // Text1
    QPushButton *searchButton_ = nullptr;

    bool unloaded_ = false;
};
