#include "ledger/main_window.h"

#include "catalogue/catalogue_manager.h"
#include "contacts/address_book_window.h"
#include "diary/diary_window.h"
#include "export/export_commands.h"
#include "info/help_commands.h"
#include "fileimport/batch_import.h"
#include "ledger/delete_all_dialog.h"
#include "ledger/entry_editor.h"
#include "reports/finance_summary.h"
#include "ledger/ledger_list_model.h"
#include "ledger/recycle_bin_commands.h"
#include "maintenance/maintenance_commands.h"
#include "maintenance/view_settings.h"
#include "reports/report_window.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/formats.h"
#include "ui/icons.h"
#include "ui/launcher.h"
#include "ui/prompt.h"
#include "ui/record_list.h"
#include "ui/skin.h"
#include "users/user_account_window.h"
#include "vault/password_box_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QSignalBlocker>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

using Icons::Glyph;

namespace {

constexpr int KeyRole = Qt::UserRole;

// Text stands out from its background when their contrast (as WCAG measures it) is
// at least 1.6 to 1; black on the darkest desktop backgrounds is below that.
bool readable(const QColor &text, const QColor &background)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double a = luminance(text), b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 1.6;
}

} // namespace

MainWindow::MainWindow(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), context_(context), ledger_(context.data)
{
    Skin::attach();
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("个人Tallyra Beat 2.64"));
    setWindowIcon(Icons::icon(Glyph::App));
    resize(980, 640);

    buildMenus();
    buildToolbar();
    buildCentre();
    buildStatusBar();
    showTab(0);
    connectCommands();
    loadEverything();
}

void MainWindow::buildMenus()
{
    auto add = [this](QMenu *menu, const QString &caption) {
        QAction *action = menu->addAction(caption);
        menuActions_ << action;
        return action;
    };

    QMenu *system = menuBar()->addMenu(QStringLiteral("系统设置(&S)"));
    add(system, QStringLiteral("注销/切换用户"))->setIcon(Icons::icon(Glyph::Logout));
    add(system, QStringLiteral("帐号管理"))->setIcon(Icons::icon(Glyph::User));
    system->addSeparator();
    add(system, QStringLiteral("系统设置"))->setIcon(Icons::icon(Glyph::Settings));
    add(system, QStringLiteral("财务统计"));
    system->addSeparator();
    QAction *backup = add(system, QStringLiteral("备份数据"));
    backup->setIcon(Icons::icon(Glyph::Backup));
    backup->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    add(system, QStringLiteral("还原数据"));
    add(system, QStringLiteral("数据压缩"));
    add(system, QStringLiteral("数据文件密码"));
    system->addSeparator();
    QAction *exit = add(system, QStringLiteral("退    出"));
    exit->setIcon(Icons::icon(Glyph::Exit));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *view = menuBar()->addMenu(QStringLiteral("查看(&C)"));
    viewModes_ = new QActionGroup(this);
    viewModes_->setExclusive(true);
    for (const QString &caption : {QStringLiteral("大图标"), QStringLiteral("小图标"), QStringLiteral("列表"),
                                   QStringLiteral("详细信息")}) {
        QAction *mode = add(view, caption);
        mode->setCheckable(true);
        viewModes_->addAction(mode);
    }
    view->addSeparator();
    add(view, QStringLiteral("刷新"))->setIcon(Icons::icon(Glyph::Refresh));
    gridAction_ = add(view, QStringLiteral("显示网格"));
    gridAction_->setCheckable(true);
    view->addSeparator();
    add(view, QStringLiteral("字体"));
    add(view, QStringLiteral("背景颜色"));
    add(view, QStringLiteral("背景图像"));
    add(view, QStringLiteral("还原为默认"));

    financeMenu_ = menuBar()->addMenu(QStringLiteral("财务管理(&B)"));
    // Shortcuts show in the menu. Enter on a list row opens it (the list itself handles the
    // key, so that Enter still works in the fields); Delete in a field deletes text.
    auto shortcut = [](QAction *action, const QKeySequence &keys, Qt::ShortcutContext where = Qt::WindowShortcut) {
        action->setShortcut(keys);
        action->setShortcutContext(where);
        return action;
    };
    shortcut(add(financeMenu_, QStringLiteral("添  加")), QKeySequence(Qt::CTRL | Qt::Key_N))
        ->setIcon(Icons::icon(Glyph::Add));
    financeMenu_->addSeparator();
    shortcut(add(financeMenu_, QStringLiteral("修  改")), QKeySequence(Qt::Key_Return), Qt::WidgetShortcut)
        ->setIcon(Icons::icon(Glyph::Edit));
    shortcut(add(financeMenu_, QStringLiteral("删  除")), QKeySequence(Qt::Key_Delete))->setIcon(Icons::icon(Glyph::Delete));
    add(financeMenu_, QStringLiteral("删除全部"));
    add(financeMenu_, QStringLiteral("回收站"));
    shortcut(add(financeMenu_, QStringLiteral("导入...")), QKeySequence(Qt::CTRL | Qt::Key_I))
        ->setIcon(Icons::icon(Glyph::Import));
    shortcut(add(financeMenu_, QStringLiteral("导出...")), QKeySequence(Qt::CTRL | Qt::Key_E))
        ->setIcon(Icons::icon(Glyph::Export));
    shortcut(add(financeMenu_, QStringLiteral("打印...")), QKeySequence(Qt::CTRL | Qt::Key_P))
        ->setIcon(Icons::icon(Glyph::Print));
    financeMenu_->addSeparator();
    shortcut(add(financeMenu_, QStringLiteral("刷 新")), QKeySequence(Qt::Key_F5))->setIcon(Icons::icon(Glyph::Refresh));
    add(financeMenu_, QStringLiteral("收支报表"));

    QMenu *tools = menuBar()->addMenu(QStringLiteral("管理工具(&A)"));
    add(tools, QStringLiteral("密码箱管理"))->setIcon(Icons::icon(Glyph::Key));
    add(tools, QStringLiteral("日记管理"))->setIcon(Icons::icon(Glyph::Book));
    add(tools, QStringLiteral("通信薄"))->setIcon(Icons::icon(Glyph::Contact));

    QMenu *help = menuBar()->addMenu(QStringLiteral("帮助(&P)"));
    add(help, QStringLiteral("帮助文件..."))->setObjectName(QStringLiteral("help_1"));
    add(help, QStringLiteral("关于......."))->setObjectName(QStringLiteral("help2"));
    add(help, QStringLiteral("官方网站..."))->setObjectName(QStringLiteral("help5"));
    add(help, QStringLiteral("通信中心..."))->setObjectName(QStringLiteral("help6"));
}

void MainWindow::buildToolbar()
{
    QToolBar *toolbar = addToolBar(QStringLiteral("Toolbar1"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    const std::pair<const char *, Glyph> buttons[] = {
        {"注销", Glyph::Logout},   {"软件设置", Glyph::Settings}, {"添加", Glyph::Add},
        {"修改", Glyph::Edit},     {"删除", Glyph::Delete},       {"刷新", Glyph::Refresh},
        {"导入", Glyph::Import},   {"导出", Glyph::Export},       {"打印", Glyph::Print},
        {"计算器", Glyph::Calculator}, {"备份", Glyph::Backup},   {"主页", Glyph::Home},
        {"使用帮助", Glyph::Help}, {"退出", Glyph::Exit}};
    for (const auto &[caption, glyph] : buttons)
        toolbarActions_ << toolbar->addAction(Icons::icon(glyph), QString::fromUtf8(caption));

    // The small browser pane with the local start page sits at the toolbar's right end.
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    browser_ = new QTextBrowser(toolbar);
    browser_->setObjectName(QStringLiteral("WebBrowser1"));
    browser_->setFixedSize(1215 / 15, 855 / 15);
    browser_->setOpenLinks(false);
    browser_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    toolbar->addWidget(browser_);
}

void MainWindow::buildCentre()
{
    auto *centre = new QWidget(this);
    auto *layout = new QHBoxLayout(centre);
    layout->setContentsMargins(4, 4, 4, 4);

    auto *treeFrame = new QGroupBox(QStringLiteral("日期"), centre);
    treeFrame->setObjectName(QStringLiteral("Frame1"));
    treeFrame->setFixedWidth(190);
    auto *treeLayout = new QVBoxLayout(treeFrame);
    tree_ = new QTreeWidget(treeFrame);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setAccessibleName(QStringLiteral("日期"));
    treeLayout->addWidget(tree_);
    layout->addWidget(treeFrame);

    auto *right = new QWidget(centre);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    tabs_ = new QTabBar(right);
    tabs_->setObjectName(QStringLiteral("TabStrip1"));
    tabs_->addTab(QStringLiteral("收支明细"));
    tabs_->addTab(QStringLiteral("统计查询"));
    tabs_->setExpanding(false);
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
    filter_->setMinimumWidth(200);
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
    searchPanel_ = buildSearchPanel();
    searchPanel_->setParent(page);
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
    layout->addWidget(right, 1);
    setCentralWidget(centre);
}

QGroupBox *MainWindow::buildSearchPanel()
{
    auto *panel = new QGroupBox(QStringLiteral("统计范围"));
    panel->setObjectName(QStringLiteral("Frame2"));
    panel->setFixedWidth(240);
    auto *grid = new QGridLayout(panel);

    auto check = [&](int number, const QString &caption) {
        auto *box = new QCheckBox(caption, panel);
        box->setObjectName(QStringLiteral("Check%1").arg(number));
        check_[number] = box;
        return box;
    };
    auto combo = [&](const QString &name) {
        auto *box = new QComboBox(panel);
        box->setObjectName(name);
        box->setEditable(false);
        return box;
    };
    auto date = [&](const QString &name) {
        auto *edit = new QDateEdit(panel);
        edit->setObjectName(name);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        return edit;
    };

    int row = 0;
    grid->addWidget(check(1, QStringLiteral("指定时间")), row++, 0, 1, 2);
    fromDate_ = date(QStringLiteral("DTPicker1"));
    grid->addWidget(new QLabel(QStringLiteral("从"), panel), row, 0);
    grid->addWidget(fromDate_, row++, 1);
    toDate_ = date(QStringLiteral("DTPicker2"));
    grid->addWidget(new QLabel(QStringLiteral("到"), panel), row, 0);
    grid->addWidget(toDate_, row++, 1);
    incomeItems_ = combo(QStringLiteral("Combo2"));
    grid->addWidget(check(4, QStringLiteral("收入")), row, 0);
    grid->addWidget(incomeItems_, row++, 1);
    expenseItems_ = combo(QStringLiteral("Combo3"));
    grid->addWidget(check(5, QStringLiteral("支出")), row, 0);
    grid->addWidget(expenseItems_, row++, 1);
    handlers_ = combo(QStringLiteral("Combo1"));
    grid->addWidget(check(2, QStringLiteral("指定经手人")), row++, 0, 1, 2);
    grid->addWidget(handlers_, row++, 1);
    methods_ = combo(QStringLiteral("Combo4"));
    grid->addWidget(check(6, QStringLiteral("收支方式")), row++, 0, 1, 2);
    grid->addWidget(methods_, row++, 1);
    summaryText_ = new QLineEdit(panel);
    summaryText_->setObjectName(QStringLiteral("Text1"));
    grid->addWidget(check(3, QStringLiteral("指定摘要")), row++, 0, 1, 2);
    grid->addWidget(summaryText_, row++, 1);
    searchButton_ = new QPushButton(QStringLiteral("统 计"), panel);
    searchButton_->setObjectName(QStringLiteral("Command1"));
    grid->addWidget(searchButton_, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    // What a screen reader says for each field.
    fromDate_->setAccessibleName(QStringLiteral("从"));
    toDate_->setAccessibleName(QStringLiteral("到"));
    incomeItems_->setAccessibleName(QStringLiteral("收入项目"));
    expenseItems_->setAccessibleName(QStringLiteral("支出项目"));
    handlers_->setAccessibleName(QStringLiteral("经手人"));
    methods_->setAccessibleName(QStringLiteral("收支方式"));
    summaryText_->setAccessibleName(QStringLiteral("摘要"));
    return panel;
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int stretch[6] = {2, 3, 2, 3, 3, 3};
    for (int i = 0; i < 6; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(panels_[i], stretch[i]);
    }
}

void MainWindow::connectCommands()
{
    auto on = [this](const QString &caption, auto slot) {
        connect(command(caption), &QAction::triggered, this, slot);
    };
    auto onButton = [this](const QString &caption, auto slot) {
        connect(command(caption, true), &QAction::triggered, this, slot);
    };

    // The frame: logout, exit, refresh and calculator.
    on(QStringLiteral("注销/切换用户"), &MainWindow::logout);
    onButton(QStringLiteral("注销"), &MainWindow::logout);
    on(QStringLiteral("退    出"), &MainWindow::exitProgram);
    onButton(QStringLiteral("退出"), &MainWindow::exitProgram);
    on(QStringLiteral("刷新"), &MainWindow::refresh);
    on(QStringLiteral("刷 新"), &MainWindow::refresh);
    onButton(QStringLiteral("刷新"), &MainWindow::refresh);
    onButton(QStringLiteral("计算器"), &MainWindow::startCalculator);

    // Export and print of the list on show.
    auto *exporter = new ExportCommands(*this, context_);
    on(QStringLiteral("导出..."), [exporter] { exporter->exportList(); });
    onButton(QStringLiteral("导出"), [exporter] { exporter->exportList(); });
    on(QStringLiteral("打印..."), [exporter] { exporter->printList(); });
    onButton(QStringLiteral("打印"), [exporter] { exporter->printList(); });

    // The ledger view.
    on(QStringLiteral("修  改"), [this] { modifyEntry(listOnShowWidget()); });
    onButton(QStringLiteral("修改"), [this] { modifyEntry(listOnShowWidget()); });
    // A node loads when it becomes the current one, by mouse or keyboard, and again when
    // the node that already was current is clicked.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) { nodeClicked(item); });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (item == currentBeforePress_)
            nodeClicked(item);
    });
    tree_->viewport()->installEventFilter(this);
    connect(tabs_, &QTabBar::currentChanged, this, &MainWindow::showTab);
    connect(entryList_, &RecordList::doubleClicked, this, [this] { modifyEntry(entryList_); });
    connect(searchList_, &RecordList::doubleClicked, this, [this] { modifyEntry(searchList_); });
    connect(entryList_, &RecordList::rightButtonReleased, this,
            [this](const QPoint &pos) { financeMenu_->popup(pos); });

    // Entries: adding, deleting, the search panel, the finance summary and the batch import.
    on(QStringLiteral("添  加"), &MainWindow::addEntry);
    onButton(QStringLiteral("添加"), &MainWindow::addEntry);
    on(QStringLiteral("删  除"), &MainWindow::del);
    onButton(QStringLiteral("删除"), &MainWindow::del);
    on(QStringLiteral("删除全部"), &MainWindow::deleteAll);
    auto *bin = new RecycleBinCommands(*this, context_, [this] { refresh(); });
    on(QStringLiteral("回收站"), [bin] { bin->openBin(); });
    on(QStringLiteral("财务统计"), &MainWindow::financeSummary);
    on(QStringLiteral("收支报表"), [this] { ReportWindow::open(context_, *this); });
    onButton(QStringLiteral("导入"), &MainWindow::batchImport);
    on(QStringLiteral("导入..."), &MainWindow::batchImport);
    connect(searchButton_, &QPushButton::clicked, this, &MainWindow::searchClicked);
    connect(filter_, &QLineEdit::textChanged, filterPause_, qOverload<>(&QTimer::start));
    connect(filterPause_, &QTimer::timeout, this, &MainWindow::applyFilter);
    connect(entries_, &LedgerListModel::totalsChanged, this, [this] { showPanels(0, panelsOf(0)); });
    connect(results_, &LedgerListModel::totalsChanged, this, [this] { showPanels(1, panelsOf(1)); });
    auto *findFilter = new QAction(this);
    findFilter->setShortcut(QKeySequence::Find);
    connect(findFilter, &QAction::triggered, this, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    addAction(findFilter);

    // The catalogue manager and the user accounts. The search panel's choices keep what
    // they were given at start-up; the entry editor reads the catalogue when it opens.
    onButton(QStringLiteral("软件设置"), [this] {
        CatalogueManager manager(context_, this);
        manager.exec();
    });
    on(QStringLiteral("帐号管理"), [this] {
        UserAccountWindow accounts(context_, this);
        accounts.exec();
    });

    // The address book.
    on(QStringLiteral("通信薄"), [this] {
        AddressBookWindow book(context_, this);
        book.exec();
    });

    // Backup, restore, compaction, automatic backup and the appearance of the lists.
    auto *upkeep = new MaintenanceCommands(*this, context_);
    on(QStringLiteral("系统设置"), [upkeep] { upkeep->openSettings(); });
    on(QStringLiteral("备份数据"), [upkeep] { upkeep->backup(); });
    onButton(QStringLiteral("备份"), [upkeep] { upkeep->backup(); });
    on(QStringLiteral("还原数据"), [upkeep] { upkeep->restore(); });
    on(QStringLiteral("数据压缩"), [upkeep] { upkeep->compact(); });
    on(QStringLiteral("数据文件密码"), [upkeep] { upkeep->changePassphrase(); });
    connect(this, &MainWindow::unloading, upkeep, &MaintenanceCommands::automaticBackup);
    const QString modeCaptions[] = {QStringLiteral("大图标"), QStringLiteral("小图标"), QStringLiteral("列表"),
                                    QStringLiteral("详细信息")};
    for (int mode = 0; mode < 4; ++mode)
        on(modeCaptions[mode], [upkeep, mode] { upkeep->setViewMode(mode); });
    on(QStringLiteral("显示网格"), [upkeep] { upkeep->toggleGridLines(); });
    on(QStringLiteral("字体"), [upkeep] { upkeep->chooseFont(); });
    on(QStringLiteral("背景颜色"), [upkeep] { upkeep->chooseBackgroundColour(); });
    on(QStringLiteral("背景图像"), [upkeep] { upkeep->chooseBackgroundPicture(); });
    on(QStringLiteral("还原为默认"), [upkeep] { upkeep->resetAppearance(); });

    // Help: the web site, the About box and the communication centre.
    auto *help = new HelpCommands(*this, context_);
    on(QStringLiteral("帮助文件..."), [help] { help->openHelp(); });
    on(QStringLiteral("关于......."), [help] { help->openAbout(); });
    on(QStringLiteral("官方网站..."), [help] { help->openWebSite(); });
    on(QStringLiteral("通信中心..."), [help] { help->openCommunicationCentre(); });
    onButton(QStringLiteral("主页"), [help] { help->openWebSite(); });
    onButton(QStringLiteral("使用帮助"), [help] { help->openHelp(); });

    // The password box and the diary, each a modal window of its own.
    on(QStringLiteral("密码箱管理"), [this] {
        PasswordBoxWindow box(context_, this);
        box.exec();
    });
    on(QStringLiteral("日记管理"), [this] {
        DiaryWindow diary(context_, this);
        diary.exec();
    });
}

QAction *MainWindow::command(const QString &caption, bool toolbar) const
{
    for (QAction *action : toolbar ? toolbarActions_ : menuActions_)
        if (action->text() == caption)
            return action;
    return nullptr;
}

void MainWindow::loadEverything()
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
    setPanelText(1, QStringLiteral("用户：") + context_.session.CurrentUserName);
    setPanelText(2, QStringLiteral("当前：全部记录"));
    fillSearchChoices();
    browser_->setSource(QUrl::fromLocalFile(context_.folder.installed(QStringLiteral("Plug-Ins/update.html"))));
    LoadShow();
    resetSearchDates();
}

void MainWindow::LoadView()
{
    entryList_->setColumns(Ledger::columns());
    searchList_->setColumns(Ledger::columns());
}

void MainWindow::load(LedgerListModel *model, RecordList *list, const EntryQuery &query)
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

LedgerPanels MainWindow::panelsOf(int tab) const
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

void MainWindow::LoadData(const QString &key)
{
    EntryQuery query;
    query.accountSet = context_.session.CurrentAccountSetId;
    query.nodeKey = key;
    query.filter = filter_->text();
    // Every load lists in the list's own order again.
    load(entries_, entryList_, query);
    showPanels(0, panelsOf(0));
}

void MainWindow::LoadTreeView()
{
    // Rebuilding selects nothing and loads nothing.
    const QSignalBlocker quiet(tree_);
    tree_->clear();
    const QIcon yearIcon = Icons::nodeIcon(Glyph::Folder, Glyph::FolderOpen);
    const QIcon monthIcon = Icons::nodeIcon(Glyph::Calendar, Glyph::FolderOpen);

    auto *all = new QTreeWidgetItem(tree_, {QStringLiteral("全部记录")});
    all->setData(0, KeyRole, QStringLiteral("0_"));
    all->setIcon(0, yearIcon);

    std::vector<LedgerMonth> months;
    try {
        months = ledger_.months(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        months.clear();
    }
    QTreeWidgetItem *year = nullptr;
    for (const LedgerMonth &m : months) {
        const QString yearKey = Ledger::yearKey(m.year);
        if (!year || year->data(0, KeyRole).toString() != yearKey) {
            year = new QTreeWidgetItem(tree_, {Ledger::yearCaption(m.year)});
            year->setData(0, KeyRole, yearKey);
            year->setIcon(0, yearIcon);
        }
        auto *month = new QTreeWidgetItem(year, {Ledger::monthCaption(m.month)});
        month->setData(0, KeyRole, Ledger::monthKey(m.year, m.month));
        month->setIcon(0, monthIcon);
    }
    tree_->setCurrentItem(nullptr);
    tree_->clearSelection();
}

QTreeWidgetItem *MainWindow::treeNode(const QString &key) const
{
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, KeyRole).toString() == key)
            return *it;
    return nullptr;
}

void MainWindow::nodeClicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    setPanelText(2, QStringLiteral("当前：") + item->text(0));
    context_.session.CurrentNodeKey = item->data(0, KeyRole).toString();
    LoadData(context_.session.CurrentNodeKey);
}

void MainWindow::refresh()
{
    const QList<QTreeWidgetItem *> selected = tree_->selectedItems();
    const QString key = selected.isEmpty() ? QString() : selected.first()->data(0, KeyRole).toString();
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

void MainWindow::showTab(int index)
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

RecordList *MainWindow::listOnShowWidget() const { return tabs_->currentIndex() == 1 ? searchList_ : entryList_; }

QString MainWindow::panelText(int panel) const
{
    return panel >= 1 && panel <= 6 ? panels_[panel - 1]->text() : QString();
}

void MainWindow::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 6)
        panels_[panel - 1]->setText(text);
}

void MainWindow::showPanels(int tab, const LedgerPanels &panels)
{
    tabPanels_[tab] = panels;
    if (tabs_->currentIndex() != tab)
        return;
    setPanelText(3, panels.count);
    setPanelText(4, panels.income);
    setPanelText(5, panels.expense);
    setPanelText(6, panels.balance);
}

void MainWindow::fillSearchChoices()
{
    Ledger::Choices choices;
    try {
        choices = ledger_.searchChoices();
    } catch (const StoreError &) {
        choices = {};
    }
    handlers_->clear();
    handlers_->addItems(choices.handlers);
    methods_->clear();
    methods_->addItems(choices.methods);
    incomeItems_->clear();
    incomeItems_->addItems(choices.incomeItems);
    expenseItems_->clear();
    expenseItems_->addItems(choices.expenseItems);
}

void MainWindow::resetSearchDates()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    fromDate_->setDate(first);
    toDate_->setDate(first.addMonths(1).addDays(-1));
}

void MainWindow::LoadShow()
{
    ViewSettingsRow row;
    try {
        row = ViewSettings(context_.data).read();
    } catch (const StoreError &) {
        return;
    }
    // A value that cannot be applied (a font that is not installed, a colour that is not
    // a decimal number such as "#000000", a picture that is no file such as "0") leaves
    // that attribute as it was; the others are still applied.
    for (RecordList *list : {entryList_, searchList_}) {
        if (auto grid = Formats::readFlag(row.grid))
            list->setGridLines(*grid);
        bool ok = false;
        const int mode = row.viewMode.trimmed().toInt(&ok);
        if (ok && mode >= RecordList::LargeIcons && mode <= RecordList::Details)
            list->setViewMode(mode);
        QFont font = list->listFont();
        if (!row.font.trimmed().isEmpty() && QFontDatabase::hasFamily(row.font.trimmed()))
            font.setFamily(row.font.trimmed());
        const double size = row.fontSize.trimmed().toDouble(&ok);
        if (ok && size > 0 && size <= 200)
            font.setPointSizeF(size);
        if (auto colour = Formats::colourFromNumber(row.textColour))
            list->setTextColour(*colour);
        if (auto bold = Formats::readFlag(row.bold))
            font.setBold(*bold);
        if (auto italic = Formats::readFlag(row.italic))
            font.setItalic(*italic);
        list->setListFont(font);
        // Only the entry list shows the picture.
        if (list == entryList_ && !row.picture.trimmed().isEmpty()) {
            const QString picture = context_.folder.file(row.picture.trimmed());
            if (QFileInfo(picture).isFile())
                list->setBackgroundPicture(picture);
        }
        if (auto colour = Formats::colourFromNumber(row.backColour))
            list->setBackgroundColour(*colour);
    }
    if (row.image2 == ViewSettings::image2Click()) {
        if (centralWidget() && centralWidget()->layout())
            centralWidget()->layout()->activate();
        try {
            ViewSettings(context_.data).keepImage2();
        } catch (const StoreError &) {
            // Loading goes on without it.
        }
    }
    // Text that would vanish into its background (the same colour, or the stored black
    // text on a dark desktop's background): both go back to the desktop's own colours.
    for (RecordList *list : {entryList_, searchList_}) {
        if (!readable(list->textColour(), list->backgroundColour())) {
            list->setBackgroundColour(QColor());
            list->setTextColour(QColor());
        }
    }
    const QList<QAction *> modes = viewModes_->actions();
    const int mode = entryList_->viewMode();
    if (mode >= 0 && mode < modes.size())
        modes[mode]->setChecked(true);
    gridAction_->setChecked(entryList_->gridLines());
}

void MainWindow::modifyEntry(RecordList *list)
{
    bool isNumber = false;
    const qint64 id = list->selectedId().toLongLong(&isNumber);
    if (!isNumber) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return;
    }
    const int row = list->selectedRow();
    LedgerListModel *model = list == searchList_ ? results_ : entries_;
    EntryEditor editor(context_, this);
    connect(&editor, &EntryEditor::modified, this, [model, row](const LedgerEntry &entry) {
        // The row shows the saved fields; totals and tree follow at the next refresh.
        if (model->idAt(row) == entry.id)
            model->updateEntry(row, entry);
    });
    if (editor.openForModifying(id))
        editor.exec();
}

void MainWindow::addEntry()
{
    EntryEditor editor(context_, this);
    connect(&editor, &EntryEditor::added, this, [this] {
        LoadData(context_.session.CurrentNodeKey);
        LoadTreeView();
    });
    editor.exec();
}

void MainWindow::del()
{
    RecordList *list = listOnShowWidget();
    bool isNumber = false;
    const qint64 id = list->selectedId().toLongLong(&isNumber);
    if (!isNumber) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return;
    }
    const int row = list->selectedRow();
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("确定删除选定的信息吗?")))
        return;
    std::optional<LedgerEntry> entry;
    try {
        entry = ledger_.entry(id);
        if (entry)
            ledger_.deleteEntry(id);
    } catch (const StoreError &error) {
        // The entry is still there, and so is its row.
        context_.prompt.reportError(this, error);
        return;
    }
    // The entry leaves the list it was chosen in; the other list, which may show it
    // anywhere, is read again. Each list's panels count what it has left.
    LedgerListModel *shown = list == searchList_ ? results_ : entries_;
    LedgerListModel *other = shown == entries_ ? results_ : entries_;
    if (entry)
        shown->removeEntry(row, *entry);
    else
        load(shown, list, shown->query());  // another program deleted it already
    if (other->rowCount() > 0)
        load(other, other == entries_ ? entryList_ : searchList_, other->query());
    const bool search = shown == results_;
    showPanels(1, search ? Ledger::searchPanels(results_->totals()) : panelsOf(1));
    showPanels(0, search ? panelsOf(0) : Ledger::deletePanels(entries_->totals()));
}

void MainWindow::deleteAll()
{
    DeleteAllDialog dialog(context_, this);
    connect(&dialog, &DeleteAllDialog::deletedAll, this, [this] {
        LoadData(QStringLiteral("0_"));
        LoadTreeView();
    });
    dialog.exec();
}

SearchRequest MainWindow::searchRequest() const
{
    SearchRequest r;
    r.byDate = check_[1]->isChecked();
    r.from = fromDate_->date();
    r.to = toDate_->date();
    r.byIncomeItem = check_[4]->isChecked();
    r.incomeItem = incomeItems_->currentText();
    r.byExpenseItem = check_[5]->isChecked();
    r.expenseItem = expenseItems_->currentText();
    r.byHandler = check_[2]->isChecked();
    r.handler = handlers_->currentText();
    r.byMethod = check_[6]->isChecked();
    r.method = methods_->currentText();
    r.bySummary = check_[3]->isChecked();
    r.summary = summaryText_->text();
    return r;
}

void MainWindow::searchClicked()
{
    if (!searchRequest().anyTicked()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("你总得选择一个统计项目吧！"));
        return;
    }
    Search();
}

void MainWindow::Search()
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
        load(results_, searchList_, query);
    }
    showPanels(1, panelsOf(1));
}

void MainWindow::applyFilter()
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
    load(model, tab == 1 ? searchList_ : entryList_, query);
    showPanels(tab, panelsOf(tab));
}

void MainWindow::financeSummary()
{
    FinanceSummary summary(context_, this, [this] { ReportWindow::open(context_, *this); });
    summary.exec();
}

void MainWindow::batchImport()
{
    BatchImport window(context_, this);
    window.exec();
}

void MainWindow::startCalculator()
{
    if (!context_.launcher.startCalculator())
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("没有找到计算器程序，请先安装一个桌面计算器（例如 galculator）。"));
}

void MainWindow::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    emit unloading();
}

void MainWindow::logout()
{
    if (context_.prompt.message(this, Prompt::Icon::Information, QStringLiteral("信息："),
                                QStringLiteral("是否注销当前用户：") + context_.session.CurrentUserName,
                                Prompt::Buttons::OkCancel, Prompt::Answer::Ok) != Prompt::Answer::Ok)
        return;
    unload();
    emit loggedOut();
}

void MainWindow::exitProgram()
{
    if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("系统提示"),
                                QStringLiteral("您真的要退出Tallyra吗？"), Prompt::Buttons::YesNo,
                                Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    unload();
    emit programEnded();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress)
        currentBeforePress_ = tree_->currentItem();
    if (watched == filter_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !filter_->text().isEmpty()) {
        filter_->clear();
        applyFilter();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

EntryQuery MainWindow::listOnShow() const
{
    if (tabs_->currentIndex() == 1 && !lastSearch_.anyTicked()) {
        EntryQuery nothing;  // no search yet: nothing listed
        nothing.accountSet = context_.session.CurrentAccountSetId;
        nothing.search = SearchRequest();
        return nothing;
    }
    return (tabs_->currentIndex() == 1 ? results_ : entries_)->query();
}

QString MainWindow::listCaption() const
{
    if (tabs_->currentIndex() == 1)
        return Ledger::searchCaption(lastSearch_);
    return panelText(2);
}

QString MainWindow::accountSetName() const
{
    try {
        return Ledger(context_.data).accountSetName(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        return QString();
    }
}

void MainWindow::showSearch(const SearchRequest &request)
{
    for (QCheckBox *box : check_)
        if (box)
            box->setChecked(false);
    check_[1]->setChecked(request.byDate);
    if (request.byDate) {
        fromDate_->setDate(request.from);
        toDate_->setDate(request.to);
    }
    // A choice the catalogue no longer offers (an item since deleted, or none at all) is
    // added to its list, so that the panel shows what is searched for.
    auto choose = [](QComboBox *box, QCheckBox *check, bool ticked, const QString &text) {
        check->setChecked(ticked);
        if (!ticked)
            return;
        if (box->findText(text) < 0)
            box->addItem(text);
        box->setCurrentIndex(box->findText(text));
    };
    choose(incomeItems_, check_[4], request.byIncomeItem, request.incomeItem);
    choose(expenseItems_, check_[5], request.byExpenseItem, request.expenseItem);
    choose(handlers_, check_[2], request.byHandler, request.handler);
    choose(methods_, check_[6], request.byMethod, request.method);
    check_[3]->setChecked(request.bySummary);
    if (request.bySummary)
        summaryText_->setText(request.summary);
    showTab(1);
    if (request.anyTicked())
        Search();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!unloaded_) {
        unload();
        emit programEnded();
    }
    event->accept();
}
