// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/maintenance_commands.h"
#include "app/sums_builder.h"
#include "accounts/accounts_pane.h"
#include "catalogue/catalogue_manager.h"
#include "contacts/address_book_window.h"
#include "diary/diary_window.h"
#include "export/export_commands.h"
#include "fileimport/batch_import.h"
#include "info/help_commands.h"
#include "ledger/ledger_pane.h"
#include "ledger/recycle_bin_commands.h"
#include "recurring/recurring_commands.h"
#include "reports/budget_watch.h"
#include "reports/report_commands.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "store/ui_state.h"
#include "ui/icons.h"
#include "ui/launcher.h"
#include "ui/prompt.h"
#include "ui/record_list.h"
#include "ui/skin.h"
#include "users/user_account_window.h"
#include "vault/password_box_window.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <utility>

MainWindow::MainWindow(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), context_(context), commands_(new Commands(this))
{
    Skin::attach();
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("个人Tallyra Beat 2.64"));
    setWindowIcon(Icons::icon(Icons::Glyph::App));
    buildMenus();
    buildToolbar();
    ledger_ = new LedgerPane(context_, this);
    setCentralWidget(ledger_);
    buildStatusBar();
    connectSubsystems();
    loadEverything();
    restoreLayout();
}

MainWindow::~MainWindow() { stopBuild(); }

void MainWindow::prepareBuild()
{
    DataFile &data = context_.data;
    // Not on a file that cannot be written, nor on one whose key is still to be made
    // stronger (the file is replaced then).
    try {
        if (builder_ || unloaded_ || !data.isOpen() || data.isReadOnly() ||
            data.kdf() < DataFile::kdfIterations(data.passphrase()) || !SumsBuilder::needed(data))
            return;
    } catch (const StoreError &) {
        return;  // an unreadable file has nothing to build
    }
    builder_ = new SumsBuilder(data.path(), data.passphrase(), this);
    data.setSumsBuiltElsewhere(true);
    data.setBeforeExclusive([this] { stopBuild(); });
    // A write of the window waits at most for the piece under way.
    data.setWhenWaiting([builder = builder_] { builder->giveWay(); });
    connect(builder_, &SumsBuilder::progress, this, [this](int done, int total) {
        buildPanel_->setText(QStringLiteral("正在后台建立合计与索引（%1/%2）...").arg(done).arg(total));
        buildPanel_->setAccessibleName(buildPanel_->text());
        buildPanel_->show();
    });
    connect(builder_, &SumsBuilder::finished, this, [this] {
        // Not inside the builder's own signal.
        QTimer::singleShot(0, this, [this] {
            stopBuild();
            // The balances waited for the build.
            accounts_->reload();
        });
    }, Qt::QueuedConnection);
}

void MainWindow::startBuild()
{
    if (builder_ && !builder_->isRunning())
        builder_->start();
}

void MainWindow::stopBuild()
{
    if (!builder_)
        return;
    delete std::exchange(builder_, nullptr);
    context_.data.setSumsBuiltElsewhere(false);
    context_.data.setBeforeExclusive({});
    context_.data.setWhenWaiting({});
    if (buildPanel_)
        buildPanel_->hide();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    QTimer::singleShot(0, this, &MainWindow::startBuild);
}

namespace {

const QString GeometryState = QStringLiteral("主窗口/位置");
const QString SplitterState = QStringLiteral("主窗口/分隔");
const QString DockState = QStringLiteral("主窗口/停靠");

} // namespace

void MainWindow::restoreLayout()
{
    UiState state(context_.data);
    const QByteArray geometry = state.bytes(GeometryState);
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(980, 640);
    const QByteArray splitter = state.bytes(SplitterState);
    if (!splitter.isEmpty())
        ledger_->splitter()->restoreState(splitter);
    // Which panes beside the ledger are shown, and where.
    const QByteArray docks = state.bytes(DockState);
    if (!docks.isEmpty())
        restoreState(docks);
    keepOnScreen();
}

void MainWindow::keepOnScreen()
{
    // The screen it was on when it was saved may be smaller now, or shown at a larger scale:
    // the whole window, frame and status bar included, comes back onto the screen.
    QScreen *screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // Before the window is shown its frame is not known: room is kept for a usual one.
    const QMargins frame = isVisible() ? QMargins(geometry().left() - frameGeometry().left(),
                                                  geometry().top() - frameGeometry().top(),
                                                  frameGeometry().right() - geometry().right(),
                                                  frameGeometry().bottom() - geometry().bottom())
                                       : QMargins(8, 32, 8, 8);
    const QRect inside = available.marginsRemoved(frame);
    if (isMaximized() || isFullScreen())
        return;
    QRect wanted = geometry();
    wanted.setSize(wanted.size().boundedTo(inside.size()).expandedTo(minimumSize()));
    wanted.moveLeft(std::clamp(wanted.left(), inside.left(), std::max(inside.left(), inside.right() - wanted.width() + 1)));
    wanted.moveTop(std::clamp(wanted.top(), inside.top(), std::max(inside.top(), inside.bottom() - wanted.height() + 1)));
    setGeometry(wanted);
}

void MainWindow::saveLayout()
{
    UiState state(context_.data);
    state.setBytes(GeometryState, saveGeometry());
    state.setBytes(SplitterState, ledger_->splitter()->saveState());
    state.setBytes(DockState, saveState());
}

void MainWindow::buildMenus()
{
    for (Menu m : {Menu::System, Menu::View, Menu::Finance, Menu::Tools, Menu::Help})
        menus_ << menuBar()->addMenu(Commands::menuTitle(m));
    for (const CommandRow &row : Commands::table()) {
        QMenu *into = menu(row.menu);
        if (!into)
            continue;
        if (row.lineBefore)
            into->addSeparator();
        into->addAction(commands_->action(row.command));
    }
}

QMenu *MainWindow::menu(Menu menu) const
{
    const int index = int(menu) - int(Menu::System);
    return index >= 0 && index < menus_.size() ? menus_[index] : nullptr;
}

void MainWindow::buildToolbar()
{
    QToolBar *toolbar = addToolBar(QStringLiteral("Toolbar1"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    for (QAction *button : commands_->buttons())
        toolbar->addAction(button);

    // The small browser pane with the local start page sits at the toolbar's right end.
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    browser_ = new QTextBrowser(toolbar);
    browser_->setObjectName(QStringLiteral("WebBrowser1"));
    browser_->setAccessibleName(QStringLiteral("起始页"));
    browser_->setFixedSize(1215 / 15, 855 / 15);
    browser_->setOpenLinks(false);
    browser_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    toolbar->addWidget(browser_);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    userPanel_ = new QLabel(bar);
    userPanel_->setObjectName(QStringLiteral("Panel1"));
    userPanel_->setFrameShape(QFrame::StyledPanel);
    bar->addWidget(userPanel_, 2);
    ledger_->addPanelsTo(bar);
    buildPanel_ = new QLabel(bar);
    buildPanel_->setObjectName(QStringLiteral("BuildProgress"));
    buildPanel_->hide();
    bar->addPermanentWidget(buildPanel_);
}

void MainWindow::connectSubsystems()
{
    // The frame: logout, exit and the calculator.
    commands_->on(Command::Logout, this, &MainWindow::logout);
    commands_->on(Command::Exit, this, &MainWindow::exitProgram);
    commands_->on(Command::Calculator, this, &MainWindow::startCalculator);
    // The right mouse button over the entry list pops up "财务管理(&B)".
    connect(ledger_->entryList(), &RecordList::rightButtonReleased, this,
            [this](const QPoint &pos) { menu(Menu::Finance)->popup(pos); });

    // The ledger pane, and the commands that work on what it lists.
    ledger_->serve(*commands_);
    new RecycleBinCommands(*commands_, *ledger_, context_);
    new ExportCommands(*commands_, *ledger_, context_);
    new ReportCommands(*commands_, *ledger_, context_);
    // The budgets: "预算...", what is left of the month's in the status bar, and the word
    // after an entry that takes its item over budget.
    budgets_ = new BudgetWatch(*commands_, context_, this);
    budgets_->addPanelTo(statusBar());
    connect(ledger_, &LedgerPane::entrySaved, budgets_, &BudgetWatch::entrySaved);
    // Recurring entries: "周期记账..." and, after login, the entries that have fallen due.
    recurring_ = new RecurringCommands(*commands_, context_, this);
    connect(recurring_, &RecurringCommands::posted, ledger_, &LedgerPane::refresh);
    commands_->opens<BatchImport>(Command::Import, this, context_);

    // The accounts: their balances in a dock beside the ledger, the rows of the account
    // clicked there in a dock below it. Changes made there are listed in the ledger too.
    accounts_ = new AccountsPane(context_, this);
    auto dock = [this](const QString &title, const QString &name, QWidget *part, Qt::DockWidgetArea area) {
        auto *d = new QDockWidget(title, this);
        d->setObjectName(name);
        d->setWidget(part);
        d->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                       QDockWidget::DockWidgetFloatable);
        addDockWidget(area, d);
        return d;
    };
    QDockWidget *balances = dock(QStringLiteral("账户"), QStringLiteral("AccountsDock"), accounts_->balancesWidget(),
                                 Qt::LeftDockWidgetArea);
    QDockWidget *rows = dock(QStringLiteral("账户明细"), QStringLiteral("AccountRowsDock"), accounts_->rowsWidget(),
                             Qt::BottomDockWidgetArea);
    rows->hide();
    QAction *shown = commands_->action(Command::AccountsPane);
    shown->setChecked(true);
    connect(shown, &QAction::toggled, balances, [this, balances](bool on) {
        balances->setVisible(on);
        if (on)  // shown by the keyboard, the balances take it
            accounts_->tree()->setFocus();
    });
    connect(balances->toggleViewAction(), &QAction::toggled, shown, &QAction::setChecked);
    connect(accounts_, &AccountsPane::rowsWanted, rows, &QDockWidget::show);
    connect(accounts_, &AccountsPane::changed, ledger_, &LedgerPane::refresh);
    accounts_->serve(*commands_);

    // The catalogue manager and the user accounts. The search panel's choices keep what
    // they were given at start-up; the entry editor reads the catalogue when it opens.
    commands_->opens<CatalogueManager>(Command::Catalogue, this, context_);
    commands_->opens<UserAccountWindow>(Command::UserAccounts, this, context_);

    // Backup, restore, compaction, automatic backup and the appearance of the lists.
    upkeep_ = new MaintenanceCommands(*this, context_);

    // The organisers, each a modal window of its own, and help.
    commands_->opens<PasswordBoxWindow>(Command::PasswordBox, this, context_);
    commands_->opens<DiaryWindow>(Command::Diary, this, context_);
    commands_->opens<AddressBookWindow>(Command::AddressBook, this, context_);
    new HelpCommands(*commands_, *this, context_);
}

void MainWindow::loadEverything()
{
    // Before anything is counted: while a build runs the window keeps no sums of its own.
    prepareBuild();
    if (isVisible())
        startBuild();
    ledger_->loadEverything();
    accounts_->reload();
    budgets_->update();
    userPanel_->setText(QStringLiteral("用户：") + context_.session.CurrentUserName);
    browser_->setSource(QUrl::fromLocalFile(context_.folder.installed(QStringLiteral("Plug-Ins/update.html"))));
    LoadShow();
}

void MainWindow::checkDue() { recurring_->checkDue(); }

QString MainWindow::panelText(int panel) const { return panel == 1 ? userPanel_->text() : ledger_->panelText(panel); }

void MainWindow::LoadShow() { upkeep_->LoadShow(); }

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
    // What the build has not done yet is done at the next start.
    stopBuild();
    saveLayout();
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

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!unloaded_) {
        unload();
        emit programEnded();
    }
    event->accept();
}
