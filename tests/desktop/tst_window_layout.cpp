// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "catalogue/add_node_dialog.h"
#include "contacts/contact_editor.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger_pane.h"
#include "maintenance/settings_window.h"
#include "store/ui_state.h"
#include "support/test_folder.h"
#include "users/login_window.h"
#include "users/user_account_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QDateEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QDockWidget>
#include <QSplitter>
#include <QTabBar>
#include <QTextEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include "support/test_main.h"

#include <functional>
#include <set>

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowComesBackWholeWhereItWas();
    void narrowMainWindowKeepsItsTabs();
    void windowsFitALargerFont_data();
    void windowsFitALargerFont();
    void everyCommandsWindowNamesItsControls();
};

// The size, place and splitter of the main window come back at the next start; a window
// saved on a larger screen (or at a smaller scale) comes back whole on the screen it has now.
void WindowLayoutTest::mainWindowComesBackWholeWhereItWas()
{
    TestFolder t;
    t.loginAsAdmin();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QList<int> split;
    {
        MainWindow w(t.context);
        w.show();
        w.setGeometry(screen.left() + 40, screen.top() + 40, 700, 520);
        // Without the 账户 pane the ledger has the width to split; the pane stays hidden.
        w.findChild<QDockWidget *>(QStringLiteral("AccountsDock"))->hide();
        w.ledgerPane()->splitter()->setSizes({260, 340});
        QApplication::processEvents();
        split = w.ledgerPane()->splitter()->sizes();
        QVERIFY(split.first() > 200);
        w.close();  // the window goes: it remembers
    }
    {
        MainWindow w(t.context);
        QCOMPARE(w.size(), QSize(700, 520));
        QCOMPARE(w.geometry().topLeft(), QPoint(screen.left() + 40, screen.top() + 40));
        w.show();
        QApplication::processEvents();
        QCOMPARE(w.ledgerPane()->splitter()->sizes(), split);
        QVERIFY(!w.findChild<QDockWidget *>(QStringLiteral("AccountsDock"))->isVisible());
    }

    // Saved far off and larger than the screen now is.
    QWidget huge;
    huge.setGeometry(screen.right() + 900, screen.bottom() + 700, screen.width() * 2, screen.height() * 2);
    UiState(t.data).setBytes(QStringLiteral("主窗口/位置"), huge.saveGeometry());
    MainWindow w(t.context);
    QVERIFY2(screen.contains(w.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height())));
}

namespace {

// The controls of `window` that the keyboard or the accessibility tree cannot reach: those
// that keep Tab, and those with no name of their own, no caption (a label whose buddy
// they are) and no text.
QStringList controlFaults(QWidget *window)
{
    QStringList faults;
    const QList<QLabel *> captions = window->findChildren<QLabel *>();
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(window) || !(child->focusPolicy() & Qt::TabFocus) ||
            child->objectName().startsWith(QStringLiteral("qt_")) || child->parentWidget()->inherits("QComboBox") ||
            child->parentWidget()->inherits("QAbstractSpinBox"))
            continue;
        // A view's viewport is named by its view.
        if (auto *view = qobject_cast<QAbstractScrollArea *>(child->parentWidget()); view && view->viewport() == child)
            continue;
        // Tab leaves every control: a view that walks its cells with it, or a text box that
        // takes it as a character, would keep the keyboard from the controls after it.
        auto *view = qobject_cast<QAbstractItemView *>(child);
        auto *text = qobject_cast<QTextEdit *>(child);
        auto *plain = qobject_cast<QPlainTextEdit *>(child);
        if ((view && view->tabKeyNavigation()) || (text && !text->tabChangesFocus() && !text->isReadOnly()) ||
            (plain && !plain->tabChangesFocus() && !plain->isReadOnly()))
            faults << child->objectName() + u' ' + QString::fromLatin1(child->metaObject()->className()) +
                           QStringLiteral(" keeps Tab");
        auto *button = qobject_cast<QAbstractButton *>(child);
        bool named = !child->accessibleName().isEmpty() || (button && !button->text().isEmpty());
        for (const QLabel *caption : captions)
            named = named || caption->buddy() == child;
        if (!named)
            faults << child->objectName() + u' ' + QString::fromLatin1(child->metaObject()->className()) +
                          QStringLiteral(" has no name");
    }
    return faults;
}

// The window of the given name, made for the books in `t`.
std::unique_ptr<QWidget> makeWindow(const QString &name, TestFolder &t)
{
    if (name == QStringLiteral("EntryEditor"))
        return std::make_unique<EntryEditor>(t.context);
    if (name == QStringLiteral("LoginWindow"))
        return std::make_unique<LoginWindow>(t.context);
    if (name == QStringLiteral("ContactEditor"))
        return std::make_unique<ContactEditor>(t.context);
    if (name == QStringLiteral("SettingsWindow"))
        return std::make_unique<SettingsWindow>(t.context);
    if (name == QStringLiteral("AddNodeDialog"))
        return std::make_unique<AddNodeDialog>(t.context);
    return std::make_unique<UserAccountWindow>(t.context);
}

} // namespace

// Made narrow, with the accounts pane beside the tree, the main window still shows both
// tabs of its lists whole; the quick filter is what gives way.
void WindowLayoutTest::narrowMainWindowKeepsItsTabs()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    w.resize(800, 560);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *tabs = w.findChild<QTabBar *>(QStringLiteral("TabStrip1"));
    QVERIFY(tabs);
    QVERIFY2(tabs->width() >= tabs->tabRect(0).width() + tabs->tabRect(1).width(),
             qPrintable(QString::number(tabs->width())));
    QVERIFY(w.width() <= 800);
}

void WindowLayoutTest::windowsFitALargerFont_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("points");
    for (const char *name : {"EntryEditor", "LoginWindow", "ContactEditor", "SettingsWindow", "AddNodeDialog", "UserAccountWindow"})
        for (int points : {9, 22})
            QTest::addRow("%s at %d pt", name, points) << QString::fromLatin1(name) << points;
}

// At the desktop's font and at a much larger one every caption and button shows its whole
// text, every field the height of its text, and the entry editor its date and item hint.
void WindowLayoutTest::windowsFitALargerFont()
{
    QFETCH(QString, window);
    QFETCH(int, points);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSize(points);
    QApplication::setFont(font);
    auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    TestFolder t;
    t.loginAsAdmin();
    std::unique_ptr<QWidget> w = makeWindow(window, t);
    w->show();
    QApplication::processEvents();
    for (QWidget *child : w->findChildren<QWidget *>()) {
        // The parts the toolkit makes inside its own controls are theirs to place.
        if (!child->isVisibleTo(w.get()) || child->inherits("QAbstractScrollArea") ||
            child->objectName().startsWith(QStringLiteral("qt_")) || child->parentWidget()->inherits("QComboBox"))
            continue;
        const QString what = child->objectName() + u' ' + QString::fromLatin1(child->metaObject()->className());
        if (child->inherits("QLabel") || child->inherits("QAbstractButton"))
            QVERIFY2(child->width() >= child->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
        if (child->inherits("QLineEdit") || child->inherits("QComboBox") || child->inherits("QAbstractSpinBox"))
            QVERIFY2(child->height() >= child->minimumSizeHint().height(), qPrintable(what + QStringLiteral(" is too low")));
        QVERIFY2(w->rect().contains(child->geometry()) || child->parentWidget() != w.get(),
                 qPrintable(what + QStringLiteral(" lies outside the window")));
    }
    const QStringList faults = controlFaults(w.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u',')));
    if (window == QStringLiteral("EntryEditor")) {
        auto *date = w->findChild<QDateEdit *>(QStringLiteral("DTPicker1"));
        auto *item = w->findChild<QComboBox *>(QStringLiteral("Combo2"));
        QVERIFY(date->width() >= date->sizeHint().width());
        QVERIFY(item->width() > item->fontMetrics().horizontalAdvance(EntryEditor::itemHint()));
    }
}

namespace {

// Runs `open`, then checks every window that it opened (inside a modal window's own event
// loop, or at the next turn of this one) and, `depth` levels down, the windows that their
// "..." buttons open; each is closed again.
void checkOpened(const QString &path, const std::function<void()> &open, QStringList &faults, int depth)
{
    QSet<QWidget *> before;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible())
            before.insert(top);
    QTimer::singleShot(0, qApp, [&] {
        QList<QPointer<QWidget>> opened;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && !before.contains(top))
                opened << top;
        for (const QPointer<QWidget> &top : opened) {
            if (!top)
                continue;
            const QString where = path + u'/' + top->objectName();
            for (const QString &control : controlFaults(top))
                faults << where + u':' + control;
            for (QAbstractButton *button : top->findChildren<QAbstractButton *>())
                if (depth > 0 && button->isVisibleTo(top) && button->isEnabled() &&
                    button->text().endsWith(QStringLiteral("...")))
                    checkOpened(where + u'>' + button->text(), [button] { button->click(); }, faults, depth - 1);
            if (top)
                top->close();
        }
    });
    open();
    QApplication::processEvents();
}

} // namespace

// Every window that a command of the main window opens, and every window that those open
// from their "..." buttons, names each of its fields, buttons, lists and trees, so that a
// screen reader (or anything that walks the accessibility tree) finds them by the captions
// a user sees; and Tab leaves each of them.
void WindowLayoutTest::everyCommandsWindowNamesItsControls()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow main(t.context);
    main.show();
    QApplication::processEvents();
    // The main window and its panes themselves.
    QStringList faults = controlFaults(&main);
    // Commands that end the session or the program, or go to another program.
    const std::set<Command> leaving{Command::Logout, Command::Exit, Command::Help, Command::WebSite,
                                    Command::CommunicationCentre, Command::Calculator};
    for (const CommandRow &row : Commands::table())
        if (!leaving.count(row.command))
            checkOpened(QString::fromUtf8(row.caption ? row.caption : row.button),
                        [&] { main.commands().action(row.command)->trigger(); }, faults, 1);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

TALLYRA_TEST(WindowLayoutTest)
#include "tst_window_layout.moc"
