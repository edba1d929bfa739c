// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "info/about_animation.h"
#include "info/about_box.h"
#include "info/communication_centre.h"
#include "info/gif_writer.h"
#include "info/product.h"
#include "support/test_folder.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "support/test_main.h"

namespace {

int highlighted(const CommunicationCentre &c)
{
    int count = 0, which = -1;
    for (int i = 0; i < CommunicationCentre::Squares; ++i)
        if (c.squareColour(i) == CommunicationCentre::highlightColour()) {
            ++count;
            which = i;
        }
    return count == 1 ? which : -1 - count;
}

QList<QImage> decode(const QByteArray &gif)
{
    QBuffer buffer;
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    QList<QImage> frames;
    for (;;) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        frames << frame.convertToFormat(QImage::Format_RGB32);
    }
    return frames;
}

// Opens a modal window by a command and reports its objectName; closes it again.
QString openedBy(QAction *action, std::function<void(QWidget *)> look = {})
{
    QString name;
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            name = modal->objectName();
            if (look)
                look(modal);
            modal->close();
        }
    });
    action->trigger();
    return name;
}

} // namespace

class InfoTest : public QObject {
    Q_OBJECT
private slots:
    void squareRunsLeftToRightAndWraps();
    void localAddressIsTheFirstOuterIPv4();
    void aboutBoxShowsTheProductAndItsAnimation();
    void helpMenuAndToolbarOpenTheManualSiteAndWindows();
    void gifFramesDecodeToWhatWasDrawn();
};

void InfoTest::squareRunsLeftToRightAndWraps()
{
    CommunicationCentre c;
    QCOMPARE(c.timer()->interval(), 200);
    QVERIFY(c.timer()->isActive());
    QCOMPARE(c.position(), 0);
    for (int i = 0; i < CommunicationCentre::Squares; ++i) {
        QCOMPARE(c.squareColour(i), QColor(232, 255, 254));
        auto *square = c.findChild<QLabel *>(QStringLiteral("Label3_%1").arg(i));
        QVERIFY(square);
        QCOMPARE(square->geometry(), QRect(64 + 16 * i, 24, 9, 9));
    }
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 0, 1, 2, 3, 4, 5, 6, 0};
    for (int tick = 0; tick < 15; ++tick) {
        c.tick();
        QCOMPARE(highlighted(c), expected[tick]);
        QCOMPARE(c.position(), (expected[tick] + 1) % 7);
    }
    QCOMPARE(c.squareColour(0), QColor(0, 255, 255));

    // The timer drives it: some steps go by in a second.
    CommunicationCentre running;
    QTRY_VERIFY_WITH_TIMEOUT(running.position() >= 2, 3000);
    QVERIFY(highlighted(running) >= 0);
}

void InfoTest::localAddressIsTheFirstOuterIPv4()
{
    using A = QHostAddress;
    QCOMPARE(CommunicationCentre::chooseAddress({A("127.0.0.1"), A("::1"), A("fe80::1"), A("192.168.1.5"), A("10.0.0.1")}),
             QStringLiteral("192.168.1.5"));
    QCOMPARE(CommunicationCentre::chooseAddress({A("127.0.0.1"), A("::1")}), QStringLiteral("127.0.0.1"));
    QCOMPARE(CommunicationCentre::chooseAddress({}), QStringLiteral("127.0.0.1"));

    CommunicationCentre c;
    auto *label = c.findChild<QLabel *>("Label1");
    QCOMPARE(label->text(), CommunicationCentre::localAddress());
    QCOMPARE(QHostAddress(label->text()).protocol(), QAbstractSocket::IPv4Protocol);
}

void InfoTest::aboutBoxShowsTheProductAndItsAnimation()
{
    TestFolder t;
    {
        AboutBox about(t.context);
        auto *site = about.findChild<QLabel *>("Label4");
        QCOMPARE(site->text(), Product::webSite());
        // Without vazuda.gif the picture stays empty and the box works.
        QVERIFY(!about.animation());
        QVERIFY(!about.findChild<QLabel *>("AniGif1")->movie());

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(site, Qt::LeftButton);
        QCOMPARE(t.launcher.urls, QStringList{Product::webSite()});
        QTest::mouseClick(about.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
    QVERIFY(AboutAnimation::write(t.folder.file(QStringLiteral("vazuda.gif"))));
    AboutBox about(t.context);
    QVERIFY(about.animation());
    QVERIFY(about.animation()->isValid());
    QCOMPARE(about.animation()->frameCount(), AboutAnimation::FrameCount);
    QCOMPARE(about.findChild<QLabel *>("AniGif1")->movie(), about.animation());
    QCOMPARE(about.animation()->state(), QMovie::Running);
}

void InfoTest::helpMenuAndToolbarOpenTheManualSiteAndWindows()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    // Without the manual installed the help says so and opens nothing.
    w.commands().action(Command::Help)->trigger();
    QVERIFY(t.launcher.urls.isEmpty());
    QCOMPARE(t.prompt.shown.size(), 1);
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("help/index.html")));

    // The manual beside the program: the help commands open it, the site commands the site.
    QVERIFY(QDir(t.path()).mkpath(QStringLiteral("help")));
    QFile page(t.path() + QStringLiteral("/help/index.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(QStringLiteral("<html><body><h1>登录</h1></body></html>").toUtf8());
    page.close();
    const QString manual = QUrl::fromLocalFile(page.fileName()).toString();
    w.commands().action(Command::Help)->trigger();
    w.commands().action(Command::WebSite)->trigger();
    w.commands().button(Command::WebSite)->trigger();
    w.commands().button(Command::Help)->trigger();
    QCOMPARE(t.launcher.urls, (QStringList{manual, Product::webSite(), Product::webSite(), manual}));

    // No browser: the site opens nothing and says why; the manual says so too and shows in
    // a window of the program's own.
    t.launcher.succeed = false;
    t.prompt.reset();
    w.commands().action(Command::WebSite)->trigger();
    QCOMPARE(t.prompt.texts(), QStringList{QStringLiteral("没有找到网页浏览器，无法打开 %1 。请先安装一个网页浏览器（例如 Firefox）。")
                                               .arg(Product::webSite())});
    t.prompt.reset();
    QString shown;
    QCOMPARE(openedBy(w.commands().action(Command::Help),
                      [&](QWidget *m) { shown = m->findChild<QTextBrowser *>(QStringLiteral("Browser"))->toPlainText(); }),
             QStringLiteral("HelpViewer"));
    QCOMPARE(shown, QStringLiteral("登录"));
    QCOMPARE(t.prompt.texts(), QStringList{QStringLiteral("没有找到网页浏览器，使用帮助将在Tallyra自己的帮助窗口中打开。")});

    QWidget *owner = nullptr;
    QCOMPARE(openedBy(w.commands().action(Command::About), [&](QWidget *m) { owner = m->parentWidget(); }),
             QStringLiteral("About"));
    QCOMPARE(owner, &w);
    bool running = false;
    QCOMPARE(openedBy(w.commands().action(Command::CommunicationCentre),
                      [&](QWidget *m) { running = static_cast<CommunicationCentre *>(m)->timer()->isActive(); }),
             QStringLiteral("Form14"));
    QVERIFY(running);
}

void InfoTest::gifFramesDecodeToWhatWasDrawn()
{
    QRandomGenerator random(7);
    // Noise needs more than 4096 codes (the table starts again), flat areas make long
    // strings, odd sizes end the code stream at every width.
    for (int round = 0; round < 12; ++round) {
        const int width = 1 + random.bounded(round < 2 ? 160 : 40);
        const int height = 1 + random.bounded(round < 2 ? 120 : 40);
        const int colourCount = 1 + random.bounded(256);
        QList<QRgb> colours;
        for (int i = 0; i < colourCount; ++i)
            colours << qRgb(random.bounded(256), random.bounded(256), random.bounded(256));
        QList<QImage> frames;
        for (int f = 0; f < 3; ++f) {
            QImage image(width, height, QImage::Format_RGB32);
            const bool flat = f == 1;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    image.setPixel(x, y, colours[flat ? (x / 7 + y / 5) % colourCount : random.bounded(colourCount)]);
            frames << image;
        }
        const QList<QImage> decoded = decode(GifWriter::encode(frames, 5));
        QCOMPARE(decoded.size(), frames.size());
        for (int f = 0; f < frames.size(); ++f)
            QVERIFY2(decoded[f] == frames[f], qPrintable(QStringLiteral("round %1 frame %2 (%3x%4, %5 colours)")
                                                             .arg(round).arg(f).arg(width).arg(height).arg(colourCount)));
    }

    // More than 256 colours: the nearest of the 256 most frequent.
    QImage gradient(300, 2, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 2; ++y)
            gradient.setPixel(x, y, qRgb(x * 255 / 299, 128, 255 - x * 255 / 299));
    const QList<QImage> decoded = decode(GifWriter::encode({gradient}, 5));
    QCOMPARE(decoded.size(), 1);
    for (int x = 0; x < 300; ++x)
        QVERIFY(qAbs(qRed(decoded[0].pixel(x, 0)) - qRed(gradient.pixel(x, 0))) <= 2);

    // The About animation: many frames of one size that play in a loop.
    QBuffer buffer;
    QByteArray gif = GifWriter::encode(AboutAnimation::frames(), AboutAnimation::Delay);
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    QCOMPARE(reader.imageCount(), AboutAnimation::FrameCount);
    QCOMPARE(reader.loopCount(), -1);
    QCOMPARE(reader.size(), QSize(AboutAnimation::Size, AboutAnimation::Size));
    QVERIFY(!reader.read().isNull());
    QCOMPARE(reader.nextImageDelay(), AboutAnimation::Delay * 10);
}

TALLYRA_TEST(InfoTest)
#include "tst_info.moc"
