// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/ledger_pane.h"

#include "ledger/delete_all_dialog.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger_list_model.h"
#include "ledger/search_panel.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/commands.h"
#include "ui/icons.h"
#include "ui/key_tree.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

using Icons::Glyph;

LedgerPane::LedgerPane(const AppContext &context, QWidget *parent)
    : QWidget(parent), context_(context), ledger_(context.data)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto *treeFrame = new QGroupBox(QStringLiteral("日期"), this);
    treeFrame->setObjectName(QStringLiteral("Frame1"));
    treeFrame->setMinimumWidth(120);
    auto *treeLayout = new QVBoxLayout(treeFrame);
    tree_ = new QTreeWidget(treeFrame);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setAccessibleName(QStringLiteral("日期"));
    treeLayout->addWidget(tree_);
    // The date tree and the lists share the width; the user moves the line between them.
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(treeFrame);
    layout->addWidget(splitter_, 1);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    tabs_ = new QTabBar(right);
    tabs_->setObjectName(QStringLiteral("TabStrip1"));
    tabs_->setAccessibleName(QStringLiteral("列表"));
    tabs_->addTab(QStringLiteral("收支明细"));
    tabs_->addTab(QStringLiteral("统计查询"));
    tabs_->setExpanding(false);
    // The two tabs keep their whole captions in a narrow window; the filter gives way.
    tabs_->setUsesScrollButtons(false);
    // The quick filter sits at the tab strip's right end, above the lists.
    auto *tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(0, 0, 0, 2);
    tabRow->addWidget(tabs_);
    tabRow->addStretch(1);
    auto *filterLabel = new QLabel(QStringLiteral("筛选："), right);
    filter_ = new QLineEdit(right);
    filter_->setObjectName(QStringLiteral("FilterText"));
    filter_->setAccessibleName(QStringLiteral("筛选："));
    filter_->setClearButtonEnabled(true);
    filter_->setPlaceholderText(QStringLiteral("项目、摘要、方式、经手人"));
    filter_->setMinimumWidth(120);
    filter_->installEventFilter(this);
    filterLabel->setBuddy(filter_);
    tabRow->addWidget(filterLabel);
    tabRow->addWidget(filter_);
    rightLayout->addLayout(tabRow);
    filterPause_ = new QTimer(this);
    filterPause_->setSingleShot(true);
    filterPause_->setInterval(300);

    auto *page = new QFrame(right);
    page->setFrameShape(QFrame::StyledPanel);
    auto *pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(6, 6, 6, 6);
    searchPanel_ = new SearchPanel(page);
    pageLayout->addWidget(searchPanel_);
    entryList_ = new RecordList(page);
    entryList_->setObjectName(QStringLiteral("ListView1"));
    entryList_->setAccessibleName(QStringLiteral("收支明细"));
    searchList_ = new RecordList(page);
    searchList_->setObjectName(QStringLiteral("ListView2"));
    searchList_->setAccessibleName(QStringLiteral("统计查询"));
    entries_ = new LedgerListModel(context_.data, this);
    results_ = new LedgerListModel(context_.data, this);
    for (auto [list, model] : {std::pair{entryList_, entries_}, std::pair{searchList_, results_}}) {
        model->setImageList(Icons::ledgerImages());
        list->setImageList(Icons::ledgerImages());
        list->setColumns(Ledger::columns());
        list->setModel(model);
        pageLayout->addWidget(list, 1);
    }
    rightLayout->addWidget(page, 1);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({190, 790});

    for (int i = 0; i < 5; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 2));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
    }
    showTab(0);

    // A node loads when it becomes the current one, by mouse or keyboard, and again when
    // the node that already was current is clicked.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) { nodeClicked(item); });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (item == currentBeforePress_)
            nodeClicked(item);
    });
    tree_->viewport()->installEventFilter(this);
    connect(tabs_, &QTabBar::currentChanged, this, &LedgerPane::showTab);
    connect(entryList_, &RecordList::doubleClicked, this, [this] { modifyEntry(entryList_); });
    connect(searchList_, &RecordList::doubleClicked, this, [this] { modifyEntry(searchList_); });
    connect(searchPanel_, &SearchPanel::searchClicked, this, &LedgerPane::searchClicked);
    connect(filter_, &QLineEdit::textChanged, filterPause_, qOverload<>(&QTimer::start));
    connect(filterPause_, &QTimer::timeout, this, &LedgerPane::applyFilter);
    connect(entries_, &LedgerListModel::totalsChanged, this, [this] { showPanels(0, panelsOf(0)); });
    connect(results_, &LedgerListModel::totalsChanged, this, [this] { showPanels(1, panelsOf(1)); });
    auto *findFilter = new QAction(this);
    findFilter->setShortcut(QKeySequence::Find);
    connect(findFilter, &QAction::triggered, this, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    addAction(findFilter);
}

void LedgerPane::serve(Commands &commands)
{
    commands.on(Command::AddEntry, this, &LedgerPane::addEntry);
    commands.on(Command::AddTransfer, this, &LedgerPane::addTransfer);
    commands.on(Command::ModifyEntry, this, [this] { modifyEntry(listOnShowWidget()); });
    commands.on(Command::DeleteEntry, this, &LedgerPane::del);
    commands.on(Command::DeleteAll, this, &LedgerPane::deleteAll);
    commands.on(Command::Refresh, this, &LedgerPane::refresh);
    commands.on(Command::RefreshView, this, &LedgerPane::refresh);
}

void LedgerPane::addPanelsTo(QStatusBar *bar)
{
    const int stretch[5] = {3, 2, 3, 3, 3};
    for (int i = 0; i < 5; ++i)
        bar->addWidget(panels_[i], stretch[i]);
}

void LedgerPane::loadEverything()
{
    context_.session.CurrentNodeKey = QStringLiteral("0_");
    // Results of an earlier search (of the file before a restore) would name entries by
    // ids that now stand for others: the search list starts empty.
    results_->clear();
    lastSearch_ = SearchRequest();
    showPanels(1, Ledger::searchPanels({}));
    LoadView();
    LoadData(QStringLiteral("100"));
    LoadTreeView();
    setPanelText(2, QStringLiteral("当前：全部记录"));
    Ledger::Choices choices;
    try {
        choices = ledger_.searchChoices();
    } catch (const StoreError &) {
        choices = {};
    }
    searchPanel_->setChoices(choices);
    searchPanel_->resetDates();
}

void LedgerPane::LoadView()
{
    entryList_->setColumns(Ledger::columns());
    searchList_->setColumns(Ledger::columns());
}

void LedgerPane::read(LedgerListModel *model, RecordList *list, const EntryQuery &query)
{
    try {
        model->setQuery(query);
    } catch (const StoreError &) {
        // An unreadable data file shows as an empty list.
        model->clear();
    }
    if (query.sortColumn < 0)
        list->clearSort();
}

LedgerPanels LedgerPane::panelsOf(int tab) const
{
    const LedgerListModel *model = tab == 1 ? results_ : entries_;
    const LedgerTotals totals = model->totals();
    if (!model->isComplete()) {
        // Still reading: the count so far, the sums when they are whole.
        return {Ledger::countPanel(totals.count) + QStringLiteral("…"), QStringLiteral("收入：… 元"),
                QStringLiteral("支出：… 元"), QStringLiteral("收支结余：… 元")};
    }
    return tab == 1 ? Ledger::searchPanels(totals) : Ledger::listPanels(totals);
}

void LedgerPane::LoadData(const QString &key)
{
    EntryQuery query;
    query.accountSet = context_.session.CurrentAccountSetId;
    query.nodeKey = key;
    query.filter = filter_->text();
    // Every load lists in the list's own order again.
    read(entries_, entryList_, query);
    showPanels(0, panelsOf(0));
}

void LedgerPane::LoadTreeView()
{
    // Rebuilding selects nothing and loads nothing.
    const QSignalBlocker quiet(tree_);
    tree_->clear();
    const QIcon yearIcon = Icons::nodeIcon(Glyph::Folder, Glyph::FolderOpen);
    const QIcon monthIcon = Icons::nodeIcon(Glyph::Calendar, Glyph::FolderOpen);
    KeyTree::add(tree_, QStringLiteral("全部记录"), QStringLiteral("0_"), yearIcon);

    std::vector<LedgerMonth> months;
    try {
        months = ledger_.months(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        months.clear();
    }
    QTreeWidgetItem *year = nullptr;
    for (const LedgerMonth &m : months) {
        const QString yearKey = Ledger::yearKey(m.year);
        if (!year || KeyTree::key(year) != yearKey)
            year = KeyTree::add(tree_, Ledger::yearCaption(m.year), yearKey, yearIcon);
        KeyTree::add(year, Ledger::monthCaption(m.month), Ledger::monthKey(m.year, m.month), monthIcon);
    }
    tree_->setCurrentItem(nullptr);
    tree_->clearSelection();
}

QTreeWidgetItem *LedgerPane::treeNode(const QString &key) const { return KeyTree::find(tree_, key); }

void LedgerPane::nodeClicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    setPanelText(2, QStringLiteral("当前：") + item->text(0));
    context_.session.CurrentNodeKey = KeyTree::key(item);
    LoadData(context_.session.CurrentNodeKey);
}

void LedgerPane::refresh()
{
    const QString key = KeyTree::selectedKey(tree_);
    LoadData(key);
    LoadTreeView();
    if (key.isEmpty())
        return;
    // The node stays selected, so that the next refresh lists what "当前：" names. A month
    // whose last entry went away is gone from the tree: then all entries are listed.
    QTreeWidgetItem *node = treeNode(key);
    if (!node) {
        node = treeNode(QStringLiteral("0_"));
        setPanelText(2, QStringLiteral("当前：") + node->text(0));
        context_.session.CurrentNodeKey = QStringLiteral("0_");
        LoadData(context_.session.CurrentNodeKey);
    }
    const QSignalBlocker quiet(tree_);
    if (node->parent())
        node->parent()->setExpanded(true);
    tree_->setCurrentItem(node);
}

void LedgerPane::showTab(int index)
{
    const bool search = index == 1;
    entryList_->setVisible(!search);
    searchList_->setVisible(search);
    searchPanel_->setVisible(search);
    if (tabs_->currentIndex() != index)
        tabs_->setCurrentIndex(index);
    // A list filtered by another text than the field's now is filtered again.
    LedgerListModel *model = search ? results_ : entries_;
    if (filter_ && model->query().filter != filter_->text().trimmed() && (!search || lastSearch_.anyTicked()))
        applyFilter();
    showPanels(index, tabPanels_[search ? 1 : 0]);
}

RecordList *LedgerPane::listOnShowWidget() const { return tabs_->currentIndex() == 1 ? searchList_ : entryList_; }

QString LedgerPane::panelText(int panel) const
{
    return panel >= 2 && panel <= 6 ? panels_[panel - 2]->text() : QString();
}

void LedgerPane::setPanelText(int panel, const QString &text)
{
    if (panel >= 2 && panel <= 6)
        panels_[panel - 2]->setText(text);
}

void LedgerPane::showPanels(int tab, const LedgerPanels &panels)
{
    tabPanels_[tab] = panels;
    if (tabs_->currentIndex() != tab)
        return;
    setPanelText(3, panels.count);
    setPanelText(4, panels.income);
    setPanelText(5, panels.expense);
    setPanelText(6, panels.balance);
}

std::optional<qint64> LedgerPane::selectedEntry(RecordList *list)
{
    bool isNumber = false;
    const qint64 id = list->selectedId().toLongLong(&isNumber);
    if (!isNumber) {
        context_.prompt.information(window(), QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return std::nullopt;
    }
    return id;
}

void LedgerPane::modifyEntry(RecordList *list)
{
    const std::optional<qint64> id = selectedEntry(list);
    if (!id)
        return;
    const int row = list->selectedRow();
    LedgerListModel *model = list == searchList_ ? results_ : entries_;
    EntryEditor editor(context_, window());
    connect(&editor, &EntryEditor::modified, this, [this, &editor, model, row](const LedgerEntry &entry) {
        // The row shows the saved fields; totals and tree follow at the next refresh.
        if (model->idAt(row) == entry.id)
            model->updateEntry(row, entry);
        emit entrySaved(&editor, entry);
    });
    if (editor.openForModifying(*id))
        editor.exec();
    offerNewItems();
}

void LedgerPane::offerNewItems()
{
    // Items typed in the editor joined the catalogue: the search panel offers them too.
    try {
        searchPanel_->offer(ledger_.searchChoices());
    } catch (const StoreError &) {
        // The lists keep what they offer.
    }
}

void LedgerPane::addEntry() { openEditor(false); }

void LedgerPane::addTransfer() { openEditor(true); }

void LedgerPane::openEditor(bool transfer)
{
    EntryEditor editor(context_, window());
    auto listAgain = [this] {
        LoadData(context_.session.CurrentNodeKey);
        LoadTreeView();
    };
    connect(&editor, &EntryEditor::added, this, [this, &editor, listAgain](const LedgerEntry &entry) {
        listAgain();
        emit entrySaved(&editor, entry);
    });
    // A transfer's fee is an entry of the list.
    connect(&editor, &EntryEditor::transferSaved, this, listAgain);
    if (transfer)
        editor.startTransfer();
    editor.exec();
    offerNewItems();
}

void LedgerPane::del()
{
    RecordList *list = listOnShowWidget();
    const std::optional<qint64> selected = selectedEntry(list);
    if (!selected)
        return;
    const qint64 id = *selected;
    const int row = list->selectedRow();
    // A reconciled entry is asked about in its own words.
    const std::optional<QString> checked =
        context_.prompt.attempt(window(), [&] { return Transfers(context_.data).entryChecked(id); });
    if (!checked)
        return;
    if (!checked->isEmpty()
            ? context_.prompt.message(window(), Prompt::Icon::Question, QStringLiteral("问题"),
                                      QStringLiteral("这条记录已经与%1的对账单核对过（已核对），删除后对账将不再相符。"
                                                     "确实要删除吗？")
                                          .arg(*checked),
                                      Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes
            : !context_.prompt.confirm(window(), QStringLiteral("提示"), QStringLiteral("确定删除选定的信息吗?")))
        return;
    // When it fails, the entry is still there, and so is its row.
    std::optional<LedgerEntry> entry;
    if (!context_.prompt.attempt(window(), [&] {
            entry = ledger_.entry(id);
            if (entry)
                ledger_.deleteEntry(id);
        }))
        return;
    // The entry leaves the list it was chosen in; the other list, which may show it
    // anywhere, is read again. Each list's panels count what it has left.
    LedgerListModel *shown = list == searchList_ ? results_ : entries_;
    LedgerListModel *other = shown == entries_ ? results_ : entries_;
    if (entry)
        shown->removeEntry(row, *entry);
    else
        read(shown, list, shown->query());  // another program deleted it already
    if (other->rowCount() > 0)
        read(other, other == entries_ ? entryList_ : searchList_, other->query());
    const bool search = shown == results_;
    showPanels(1, search ? Ledger::searchPanels(results_->totals()) : panelsOf(1));
    showPanels(0, search ? panelsOf(0) : Ledger::deletePanels(entries_->totals()));
}

void LedgerPane::deleteAll()
{
    DeleteAllDialog dialog(context_, window());
    connect(&dialog, &DeleteAllDialog::deletedAll, this, [this] {
        LoadData(QStringLiteral("0_"));
        LoadTreeView();
    });
    dialog.exec();
}

SearchRequest LedgerPane::searchRequest() const { return searchPanel_->request(); }

void LedgerPane::searchClicked()
{
    if (!searchRequest().anyTicked()) {
        context_.prompt.information(window(), QStringLiteral("提示"), QStringLiteral("你总得选择一个统计项目吧！"));
        return;
    }
    Search();
}

void LedgerPane::Search()
{
    lastSearch_ = searchRequest();
    EntryQuery query;
    query.accountSet = context_.session.CurrentAccountSetId;
    query.search = lastSearch_;
    query.filter = filter_->text();
    if (!lastSearch_.anyTicked()) {
        results_->clear();
        searchList_->clearSort();
    } else {
        read(results_, searchList_, query);
    }
    showPanels(1, panelsOf(1));
}

void LedgerPane::applyFilter()
{
    filterPause_->stop();
    // The list on show follows the text now, in the order it is sorted by; the other list
    // when its tab is shown.
    const int tab = tabs_->currentIndex();
    LedgerListModel *model = tab == 1 ? results_ : entries_;
    if (tab == 1 && !lastSearch_.anyTicked())
        return;
    EntryQuery query = model->query();
    query.filter = filter_->text();
    read(model, tab == 1 ? searchList_ : entryList_, query);
    showPanels(tab, panelsOf(tab));
}

bool LedgerPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress)
        currentBeforePress_ = tree_->currentItem();
    if (watched == filter_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !filter_->text().isEmpty()) {
        filter_->clear();
        applyFilter();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

EntryQuery LedgerPane::listOnShow() const
{
    if (tabs_->currentIndex() == 1 && !lastSearch_.anyTicked()) {
        EntryQuery nothing;  // no search yet: nothing listed
        nothing.accountSet = context_.session.CurrentAccountSetId;
        nothing.search = SearchRequest();
        return nothing;
    }
    return (tabs_->currentIndex() == 1 ? results_ : entries_)->query();
}

QString LedgerPane::listCaption() const
{
    if (tabs_->currentIndex() == 1)
        return Ledger::searchCaption(lastSearch_);
    return panelText(2);
}

QString LedgerPane::accountSetName() const
{
    try {
        return Ledger(context_.data).accountSetName(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        return QString();
    }
}

void LedgerPane::showSearch(const SearchRequest &request)
{
    searchPanel_->setRequest(request);
    showTab(1);
    if (request.anyTicked())
        Search();
}
