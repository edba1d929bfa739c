// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger_pane.h"
#include "store/ui_state.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QScreen>
#include <QSplitter>
#include <QtTest>

#include "support/test_main.h"

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowComesBackWholeWhereItWas();
    void editorFitsALargerFont();
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
    }

    // Saved far off and larger than the screen now is.
    QWidget huge;
    huge.setGeometry(screen.right() + 900, screen.bottom() + 700, screen.width() * 2, screen.height() * 2);
    UiState(t.data).setBytes(QStringLiteral("主窗口/位置"), huge.saveGeometry());
    MainWindow w(t.context);
    QVERIFY2(screen.contains(w.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height())));
}

// At a larger font the entry editor grows: its date and its item hint are shown whole.
void WindowLayoutTest::editorFitsALargerFont()
{
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(22);
    QApplication::setFont(large);
    TestFolder t;
    t.loginAsAdmin();
    {
        EntryEditor editor(t.context);
        editor.show();
        QApplication::processEvents();
        auto *date = editor.findChild<QDateEdit *>(QStringLiteral("DTPicker1"));
        auto *item = editor.findChild<QComboBox *>(QStringLiteral("Combo2"));
        QVERIFY(date->width() >= date->sizeHint().width());
        QVERIFY(item->width() > item->fontMetrics().horizontalAdvance(EntryEditor::itemHint()));
    }
    QApplication::setFont(before);
}

TALLYRA_TEST(WindowLayoutTest)
#include "tst_window_layout.moc"
