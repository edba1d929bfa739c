// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "ledger/ledger_pane.h"
#include "maintenance/view_settings.h"
#include "support/test_folder.h"
#include "ui/formats.h"
#include "ui/list_font_dialog.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "support/test_main.h"

namespace {

QString setting(DataFile &data, const QString &column)
{
    Statement st = data.query(QStringLiteral("select %1 from 系统设置 where id=1").arg(column));
    return st.step() ? st.text(0) : QStringLiteral("<no row>");
}

QStringList appearance(DataFile &data)
{
    QStringList values;
    for (const char *column : {"字体", "字号", "字体颜色", "粗体", "斜体", "背景颜色", "背景图像", "显示网格", "图标"})
        values << setting(data, QString::fromUtf8(column));
    return values;
}

void store(TestFolder &t, const QString &assignments)
{
    t.data.exec(QStringLiteral("update 系统设置 set %1 where id=1").arg(assignments));
}

// An installed family other than the one the lists start with.
QString otherFamily(const QString &current)
{
    for (const QString &family : QFontDatabase::families())
        if (family != current && !QFontDatabase::isPrivateFamily(family))
            return family;
    return QString();
}

QString picture(const QString &path, const QColor &colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path);
    return path;
}

QStringList checkedModes(MainWindow &w)
{
    QStringList checked;
    for (Command mode : {Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details})
        if (w.commands().action(mode)->isChecked())
            checked << w.commands().action(mode)->text();
    return checked;
}

int number(int r, int g, int b) { return r + 256 * g + 65536 * b; }

const QStringList Defaults{"字体", "9", "0", "0", "0", "#000000", "0"};

} // namespace

class ViewSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void startUpAppliesEveryStoredValue();
    void valuesThatCannotBeAppliedLeaveTheListAsItWas();
    void textInTheBackgroundColourFallsBack();
    void viewModesAndGridLinesAreStored();
    void fontGoesToTheEntryListAndIsStored();
    void fontDialogOffersAndStoresAllFive();
    void backgroundColourIsStoredEvenWhenCancelled();
    void backgroundPictureIsCopiedIntoPlugIns();
    void resetStoresDefaultsAndShowsThemAtTheNextStart();
    void failedSettingsWritesAreReported();
};

void ViewSettingsTest::startUpAppliesEveryStoredValue()
{
    TestFolder t;
    t.loginAsAdmin();
    RecordList plain;
    const QString family = otherFamily(plain.listFont().family());
    QVERIFY(!family.isEmpty());
    picture(t.folder.plugIns() + QStringLiteral("/back.png"), Qt::darkCyan);
    t.data.exec(QStringLiteral("update 系统设置 set 字体=?, 字号='10.5', 字体颜色=?, 粗体='True', 斜体='1', 背景颜色=?, "
                               "背景图像='\\Plug-Ins\\back.png', 显示网格='False', 图标='1', image2='Image2_Click' where id=1"),
                {family, QString::number(number(10, 20, 30)), QString::number(number(200, 210, 220))});
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    for (RecordList *list : {pane.entryList(), pane.searchList()}) {
        QCOMPARE(list->viewMode(), int(RecordList::SmallIcons));
        QVERIFY(!list->gridLines());
        QCOMPARE(list->listFont().family(), family);
        QCOMPARE(list->listFont().pointSizeF(), 10.5);
        QVERIFY(list->listFont().bold());
        QVERIFY(list->listFont().italic());
        QCOMPARE(list->textColour(), QColor(10, 20, 30));
        QCOMPARE(list->backgroundColour(), QColor(200, 210, 220));
    }
    QVERIFY(pane.entryList()->hasBackgroundPicture());
    QVERIFY(!pane.searchList()->hasBackgroundPicture());
    QCOMPARE(checkedModes(w), QStringList{"小图标"});
    QVERIFY(!w.commands().action(Command::GridLines)->isChecked());
    QCOMPARE(setting(t.data, QStringLiteral("image2")), QStringLiteral("Image2_Click"));
}

void ViewSettingsTest::valuesThatCannotBeAppliedLeaveTheListAsItWas()
{
    TestFolder t;
    t.loginAsAdmin();
    RecordList plain;
    // The reset values: a font named "字体", background "#000000", picture "0".
    store(t, QStringLiteral("字体='字体',字号='9',字体颜色='0',粗体='0',斜体='0',背景颜色='#000000',背景图像='0',"
                            "显示网格='True',图标='2'"));
    {
        MainWindow w(t.context);
        LedgerPane &pane = *w.ledgerPane();
        for (RecordList *list : {pane.entryList(), pane.searchList()}) {
            QCOMPARE(list->listFont().family(), plain.listFont().family());
            QCOMPARE(list->listFont().pointSizeF(), 9.0);
            QVERIFY(!list->listFont().bold());
            QCOMPARE(list->textColour(), QColor(Qt::black));
            QCOMPARE(list->backgroundColour(), plain.backgroundColour());
            QVERIFY(!list->hasBackgroundPicture());
            QCOMPARE(list->viewMode(), int(RecordList::List));
            QVERIFY(list->gridLines());
        }
        QCOMPARE(checkedModes(w), QStringList{"列表"});
        QVERIFY(w.commands().action(Command::GridLines)->isChecked());
    }
    // Nonsense everywhere: the lists keep their own look, nothing fails.
    QFile notAPicture(t.folder.plugIns() + QStringLiteral("/notes.bmp"));
    QVERIFY(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("not a picture");
    notAPicture.close();
    store(t, QStringLiteral("字体='',字号='big',字体颜色='red',粗体='maybe',斜体='',背景颜色='-5',"
                            "背景图像='\\Plug-Ins\\notes.bmp',显示网格='yes',图标='7'"));
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    QCOMPARE(pane.entryList()->viewMode(), int(RecordList::Details));
    QCOMPARE(pane.entryList()->listFont().family(), plain.listFont().family());
    QCOMPARE(pane.entryList()->listFont().pointSizeF(), plain.listFont().pointSizeF());
    QCOMPARE(pane.entryList()->textColour(), plain.textColour());
    QCOMPARE(pane.entryList()->backgroundColour(), plain.backgroundColour());
    QVERIFY(!pane.entryList()->hasBackgroundPicture());
    QCOMPARE(checkedModes(w), QStringList{"详细信息"});
    QVERIFY(t.prompt.shown.isEmpty());
}

void ViewSettingsTest::textInTheBackgroundColourFallsBack()
{
    TestFolder t;
    t.loginAsAdmin();
    const QString white = QString::number(number(255, 255, 255));
    t.data.exec(QStringLiteral("update 系统设置 set 字体颜色=?, 背景颜色=? where id=1"), {white, white});
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    for (RecordList *list : {pane.entryList(), pane.searchList()}) {
        QCOMPARE(list->backgroundColour(), QApplication::palette().color(QPalette::Base));
        QCOMPARE(list->textColour(), QColor(Qt::black));
    }
    // Different colours stay as stored.
    t.data.exec(QStringLiteral("update 系统设置 set 字体颜色=? where id=1"), {QString::number(number(0, 0, 255))});
    w.LoadShow();
    QCOMPARE(pane.entryList()->textColour(), QColor(0, 0, 255));
    QCOMPARE(pane.entryList()->backgroundColour(), QColor(Qt::white));
}

void ViewSettingsTest::viewModesAndGridLinesAreStored()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    pane.showTab(1);
    const QStringList captions{"大图标", "小图标", "列表", "详细信息"};
    const Command modes[] = {Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details};
    for (int mode : {2, 0, 1, 3}) {
        w.commands().action(modes[mode])->trigger();
        QCOMPARE(pane.entryList()->viewMode(), mode);
        QCOMPARE(pane.searchList()->viewMode(), mode);
        QCOMPARE(setting(t.data, QStringLiteral("图标")), QString::number(mode));
        QCOMPARE(checkedModes(w), QStringList{captions[mode]});
    }
    QVERIFY(pane.entryList()->gridLines());
    QAction *grid = w.commands().action(Command::GridLines);
    grid->trigger();
    QVERIFY(!pane.entryList()->gridLines() && !pane.searchList()->gridLines());
    QVERIFY(!grid->isChecked());
    QCOMPARE(setting(t.data, QStringLiteral("显示网格")), QStringLiteral("False"));
    grid->trigger();
    QVERIFY(pane.entryList()->gridLines() && pane.searchList()->gridLines());
    QVERIFY(grid->isChecked());
    QCOMPARE(setting(t.data, QStringLiteral("显示网格")), QStringLiteral("True"));
    QVERIFY(t.prompt.shown.isEmpty());
}

void ViewSettingsTest::fontGoesToTheEntryListAndIsStored()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    const QFont searchFont = pane.searchList()->listFont();
    const QString family = otherFamily(pane.entryList()->listFont().family());

    // Cancelled: nothing changes, nothing is stored.
    const QStringList before = appearance(t.data);
    w.commands().action(Command::ListFont)->trigger();
    QCOMPARE(t.prompt.last().kind, QStringLiteral("font"));
    QCOMPARE(t.prompt.last().text, pane.entryList()->listFont().family());
    QCOMPARE(appearance(t.data), before);

    t.prompt.fonts << Prompt::ListFont{family, 12.5, true, false, QColor(1, 2, 3)};
    w.commands().action(Command::ListFont)->trigger();
    QCOMPARE(pane.entryList()->listFont().family(), family);
    QCOMPARE(pane.entryList()->listFont().pointSizeF(), 12.5);
    QVERIFY(pane.entryList()->listFont().bold());
    QCOMPARE(pane.entryList()->textColour(), QColor(1, 2, 3));
    QCOMPARE(pane.searchList()->listFont(), searchFont);
    QCOMPARE(setting(t.data, QStringLiteral("字体")), family);
    QCOMPARE(setting(t.data, QStringLiteral("字号")), QStringLiteral("12.5"));
    QCOMPARE(setting(t.data, QStringLiteral("粗体")), QStringLiteral("True"));
    QCOMPARE(setting(t.data, QStringLiteral("斜体")), QStringLiteral("False"));
    QCOMPARE(setting(t.data, QStringLiteral("字体颜色")), QString::number(number(1, 2, 3)));

    // The search list takes it at the next start.
    MainWindow next(t.context);
    QCOMPARE(next.ledgerPane()->searchList()->listFont().family(), family);
    QCOMPARE(next.ledgerPane()->searchList()->listFont().pointSizeF(), 12.5);
}

void ViewSettingsTest::fontDialogOffersAndStoresAllFive()
{
    TestFolder t;
    t.loginAsAdmin();
    RecordList plain;
    const QString stored = otherFamily(plain.listFont().family());
    const QString picked = otherFamily(stored);
    t.data.exec(QStringLiteral("update 系统设置 set 字体=?, 字号='10.5', 字体颜色=?, 粗体='True', 斜体='False' where id=1"),
                {stored, QString::number(number(10, 20, 30))});
    // The program's own dialogs, not the scripted prompt.
    QtPrompt dialogs;
    MainWindow w(AppContext{t.folder, t.data, t.session, dialogs, t.launcher});

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<ListFontDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const auto closeAnyway = qScopeGuard([dialog] {
            if (dialog->isVisible())
                dialog->reject();
        });
        const Prompt::ListFont preset = dialog->chosen();
        QCOMPARE(preset.family, stored);
        QCOMPARE(preset.pointSize, 10.5);
        QVERIFY(preset.bold && !preset.italic);
        QCOMPARE(preset.colour, QColor(10, 20, 30));

        dialog->familyBox()->setCurrentFont(QFont(picked));
        dialog->sizeBox()->setEditText(QStringLiteral("abc"));
        QVERIFY(!dialog->okButton()->isEnabled());
        dialog->sizeBox()->setEditText(QStringLiteral("12.5"));
        dialog->boldBox()->click();
        dialog->italicBox()->click();
        QTimer::singleShot(0, [] {
            auto *colours = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            QVERIFY(colours);
            colours->setCurrentColor(QColor(1, 2, 3));
            colours->accept();
        });
        QTest::mouseClick(dialog->colourButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        seen = true;
    });
    w.commands().action(Command::ListFont)->trigger();
    QVERIFY(seen);
    const QFont font = w.ledgerPane()->entryList()->listFont();
    QCOMPARE(font.family(), picked);
    QCOMPARE(font.pointSizeF(), 12.5);
    QVERIFY(!font.bold() && font.italic());
    QCOMPARE(w.ledgerPane()->entryList()->textColour(), QColor(1, 2, 3));
    QCOMPARE(appearance(t.data).mid(0, 5),
             (QStringList{picked, "12.5", QString::number(number(1, 2, 3)), "False", "True"}));
}

void ViewSettingsTest::backgroundColourIsStoredEvenWhenCancelled()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    QCOMPARE(setting(t.data, QStringLiteral("背景颜色")), QStringLiteral("#000000"));
    w.commands().action(Command::BackgroundColour)->trigger();
    QCOMPARE(t.prompt.last().kind, QStringLiteral("colour"));
    QCOMPARE(t.prompt.last().text, QColor(Qt::white).name());
    QCOMPARE(pane.entryList()->backgroundColour(), QColor(Qt::white));
    QCOMPARE(setting(t.data, QStringLiteral("背景颜色")), QString::number(number(255, 255, 255)));

    t.prompt.colours << QColor(250, 240, 200);
    w.commands().action(Command::BackgroundColour)->trigger();
    QCOMPARE(pane.entryList()->backgroundColour(), QColor(250, 240, 200));
    QCOMPARE(pane.searchList()->backgroundColour(), QColor(Qt::white));
    QCOMPARE(setting(t.data, QStringLiteral("背景颜色")), QString::number(number(250, 240, 200)));
}

void ViewSettingsTest::backgroundPictureIsCopiedIntoPlugIns()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    QTemporaryDir elsewhere;

    w.commands().action(Command::BackgroundPicture)->trigger();  // cancelled
    QCOMPARE(t.prompt.last().kind, QStringLiteral("open"));
    QCOMPARE(t.prompt.last().text,
             QStringLiteral("所有图型文件|*.dib;*.bmp;*.wmf;*.emf;*.gif;*.jpg|位图文件(*.bmp,*.dib)|*.bmp;*.dib|"
                            "GIF图像(*.gif)|*.gif|JPEG图像(*.jpg)|*.jpg|元文件(*.wmf,*.emf)|*.wmf;*.emf|"
                            "图标文件(*.ico,*.cur|*.ico;*.cur|"));
    QCOMPARE(setting(t.data, QStringLiteral("背景图像")), QStringLiteral("0"));

    // From outside the program folder: a copy in Plug-Ins (replacing an older one) is used.
    const QString outside = picture(elsewhere.filePath(QStringLiteral("sky.bmp")), Qt::blue);
    picture(t.folder.plugIns() + QStringLiteral("/sky.bmp"), Qt::red);
    t.prompt.files << outside;
    w.commands().action(Command::BackgroundPicture)->trigger();
    QCOMPARE(setting(t.data, QStringLiteral("背景图像")), QStringLiteral("\\Plug-Ins\\sky.bmp"));
    QCOMPARE(QImage(t.folder.plugIns() + QStringLiteral("/sky.bmp")).pixelColor(0, 0), QColor(Qt::blue));
    QVERIFY(w.ledgerPane()->entryList()->hasBackgroundPicture());
    QVERIFY(!w.ledgerPane()->searchList()->hasBackgroundPicture());

    // Chosen from Plug-Ins itself: the picture stays whole.
    const QString inside = picture(t.folder.plugIns() + QStringLiteral("/grass.png"), Qt::green);
    t.prompt.files << inside;
    w.commands().action(Command::BackgroundPicture)->trigger();
    QCOMPARE(setting(t.data, QStringLiteral("背景图像")), QStringLiteral("\\Plug-Ins\\grass.png"));
    QCOMPARE(QImage(inside).pixelColor(0, 0), QColor(Qt::green));

    // Copied but no picture: the error with the critical icon, and nothing stored.
    QFile fake(elsewhere.filePath(QStringLiteral("fake.jpg")));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("plain text, not a JPEG");
    fake.close();
    t.prompt.reset();
    t.prompt.files << fake.fileName();
    w.commands().action(Command::BackgroundPicture)->trigger();
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QCOMPARE(t.prompt.last().title, QStringLiteral("Tallyra"));
    QVERIFY(!t.prompt.lastText().isEmpty());
    QVERIFY(QFile::exists(t.folder.plugIns() + QStringLiteral("/fake.jpg")));
    QCOMPARE(setting(t.data, QStringLiteral("背景图像")), QStringLiteral("\\Plug-Ins\\grass.png"));

    // A picture that cannot be read is reported, nothing is stored.
    t.prompt.reset();
    t.prompt.files << elsewhere.filePath(QStringLiteral("gone.png"));
    w.commands().action(Command::BackgroundPicture)->trigger();
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QCOMPARE(setting(t.data, QStringLiteral("背景图像")), QStringLiteral("\\Plug-Ins\\grass.png"));
    QCOMPARE(QDir(t.folder.plugIns()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"fake.jpg", "grass.png", "sky.bmp"}));
}

void ViewSettingsTest::resetStoresDefaultsAndShowsThemAtTheNextStart()
{
    TestFolder t;
    t.loginAsAdmin();
    RecordList plain;
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.commands().action(Command::SmallIcons)->trigger();
    w.commands().action(Command::GridLines)->trigger();
    t.prompt.fonts << Prompt::ListFont{otherFamily(plain.listFont().family()), 14, true, true, QColor(Qt::darkRed)};
    w.commands().action(Command::ListFont)->trigger();
    t.prompt.colours << QColor(Qt::yellow);
    w.commands().action(Command::BackgroundColour)->trigger();
    QTemporaryDir elsewhere;
    t.prompt.files << picture(elsewhere.filePath(QStringLiteral("p.png")), Qt::gray);
    w.commands().action(Command::BackgroundPicture)->trigger();
    const QFont chosenFont = pane.entryList()->listFont();

    w.commands().action(Command::DefaultAppearance)->trigger();
    QCOMPARE(appearance(t.data), (Defaults + QStringList{"False", "1"}));
    // Nothing changes on screen until the next start.
    QCOMPARE(pane.entryList()->listFont(), chosenFont);
    QCOMPARE(pane.entryList()->backgroundColour(), QColor(Qt::yellow));
    QVERIFY(pane.entryList()->hasBackgroundPicture());

    MainWindow next(t.context);
    LedgerPane &nextPane = *next.ledgerPane();
    QCOMPARE(nextPane.entryList()->listFont().family(), plain.listFont().family());
    QCOMPARE(nextPane.entryList()->listFont().pointSizeF(), 9.0);
    QVERIFY(!nextPane.entryList()->listFont().bold() && !nextPane.entryList()->listFont().italic());
    QCOMPARE(nextPane.entryList()->textColour(), QColor(Qt::black));
    QCOMPARE(nextPane.entryList()->backgroundColour(), plain.backgroundColour());
    QVERIFY(!nextPane.entryList()->hasBackgroundPicture());
    QCOMPARE(nextPane.entryList()->viewMode(), int(RecordList::SmallIcons));
    QVERIFY(!nextPane.entryList()->gridLines());
    QVERIFY(t.prompt.texts().isEmpty());
}

void ViewSettingsTest::failedSettingsWritesAreReported()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    t.data.close();
    QFile bad(t.folder.dataFile());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4096, 'x'));
    bad.close();
    w.commands().action(Command::ListMode)->trigger();
    QCOMPARE(w.ledgerPane()->entryList()->viewMode(), int(RecordList::List));
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("发现错误：\r\n")));
    w.commands().action(Command::DefaultAppearance)->trigger();
    QCOMPARE(t.prompt.shown.size(), 2);
}

TALLYRA_TEST(ViewSettingsTest)
#include "tst_view_settings.moc"
