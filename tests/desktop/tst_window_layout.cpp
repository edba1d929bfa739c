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
#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QDateEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QDockWidget>
#include <QSplitter>
#include <QtTest>

#include "support/test_main.h"

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowComesBackWholeWhereItWas();
    void windowsFitALargerFont_data();
    void windowsFitALargerFont();
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
    QStringList unnamed;
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
        // Every field and button can be found by its name: its own, its caption's or its text.
        if (child->focusPolicy() & Qt::TabFocus) {
            auto *button = qobject_cast<QAbstractButton *>(child);
            bool named = !child->accessibleName().isEmpty() || (button && !button->text().isEmpty());
            for (QLabel *caption : w->findChildren<QLabel *>())
                named = named || caption->buddy() == child;
            if (!named)
                unnamed << what;
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u',') + QStringLiteral(" without a name")));
    if (window == QStringLiteral("EntryEditor")) {
        auto *date = w->findChild<QDateEdit *>(QStringLiteral("DTPicker1"));
        auto *item = w->findChild<QComboBox *>(QStringLiteral("Combo2"));
        QVERIFY(date->width() >= date->sizeHint().width());
        QVERIFY(item->width() > item->fontMetrics().horizontalAdvance(EntryEditor::itemHint()));
    }
}

TALLYRA_TEST(WindowLayoutTest)
#include "tst_window_layout.moc"
