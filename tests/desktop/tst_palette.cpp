#include "info/about_box.h"
#include "support/test_folder.h"
#include "ui/skin.h"
#include "users/login_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QVBoxLayout>
#include <QtTest>

#include "support/test_main.h"

namespace {

double luminance(QRgb rgb)
{
    auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

// The contrast ratio between the lightest and the darkest pixel of an area: text drawn in
// it shows as both; text that vanishes into its background leaves the ratio near 1.
double contrast(const QImage &image, const QRect &area)
{
    double lightest = 0, darkest = 1;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const double l = luminance(image.pixel(x, y));
            lightest = std::max(lightest, l);
            darkest = std::min(darkest, l);
        }
    return (lightest + 0.05) / (darkest + 0.05);
}

QPalette darkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48), text(235, 235, 235), base(30, 30, 32);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, window);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, QColor(110, 170, 255));
        p.setColor(group, QPalette::Mid, QColor(80, 80, 84));
    }
    return p;
}

// A group box that tells where its style draws the title.
class TitledGroup : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
    QRect titleRect()
    {
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    }
};

QRect areaOf(QWidget *window, QWidget *child, const QRect &rect)
{
    return QRect(child->mapTo(window, rect.topLeft()), rect.size());
}

} // namespace

class PaletteTest : public QObject {
    Q_OBJECT
private slots:
    void textTheUserDidNotColourStaysReadable_data();
    void textTheUserDidNotColourStaysReadable();
};

void PaletteTest::textTheUserDidNotColourStaysReadable_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light desktop") << QApplication::style()->standardPalette();
    QTest::newRow("dark desktop") << darkPalette();
}

void PaletteTest::textTheUserDidNotColourStaysReadable()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    Skin::attach();
    TestFolder t;

    // The login window's title and captions are drawn over its background picture.
    LoginWindow login(t.context);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    auto *title = login.findChild<QLabel *>(QStringLiteral("Label1"));
    const QImage loginShot = login.grab().toImage();
    const QRect titleText(title->pos(), QSize(title->fontMetrics().horizontalAdvance(title->text()), title->height()));
    QVERIFY2(contrast(loginShot, titleText) > 3, "login title");
    QVERIFY2(contrast(loginShot, QRect(0, 1560 / 15, 1680 / 15 - 6, 375 / 15)) > 3, "user name caption");

    // A group's title on its window.
    QWidget window;
    auto *group = new TitledGroup(QStringLiteral("系统设置"), &window);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("备份目录Plug-Ins"), group));
    (new QVBoxLayout(&window))->addWidget(group);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage groupShot = window.grab().toImage();
    QVERIFY2(contrast(groupShot, areaOf(&window, group, group->titleRect())) > 3, "group title");

    // The About box's web address.
    AboutBox about(t.context);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *site = about.findChild<QLabel *>(QStringLiteral("Label4"));
    const QImage aboutShot = about.grab().toImage();
    QVERIFY2(contrast(aboutShot, areaOf(&about, site, site->rect())) > 3, "web address");

    QApplication::setPalette(before);
}

TALLYRA_TEST(PaletteTest)
#include "tst_palette.moc"
