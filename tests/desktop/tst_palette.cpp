// SPDX-License-Identifier: GPL-3.0-or-later
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
    // A dark theme: light text on dark windows, a light link colour.
    QPalette dark(QColor(45, 45, 48));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::Link, QColor(110, 170, 255));
    QTest::newRow("dark desktop") << dark;
}

void PaletteTest::textTheUserDidNotColourStaysReadable()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    Skin::attach();
    TestFolder t;
    // The contrast of an area of a child, as its shown window draws it.
    auto contrastIn = [](QWidget *window, QWidget *child, const QRect &area) {
        window->show();
        return QTest::qWaitForWindowExposed(window)
                   ? contrast(window->grab().toImage(), QRect(child->mapTo(window, area.topLeft()), area.size()))
                   : 0.0;
    };

    // The login window's title and captions over its background picture.
    LoginWindow login(t.context);
    auto *title = login.findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY2(contrastIn(&login, title, QRect(0, 0, title->fontMetrics().horizontalAdvance(title->text()), title->height())) > 3,
             "login title");
    QVERIFY2(contrastIn(&login, &login, QRect(0, 1560 / 15, 1680 / 15 - 6, 375 / 15)) > 3, "user name caption");

    // A group's title on its window, and the About box's web address.
    QWidget window;
    auto *group = new TitledGroup(QStringLiteral("系统设置"), &window);
    (new QVBoxLayout(group))->addWidget(new QLabel(QStringLiteral("备份目录Plug-Ins"), group));
    (new QVBoxLayout(&window))->addWidget(group);
    window.show();  // the title's place is known once the style has laid it out
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(contrastIn(&window, group, group->titleRect()) > 3, "group title");
    AboutBox about(t.context);
    auto *site = about.findChild<QLabel *>(QStringLiteral("Label4"));
    QVERIFY2(contrastIn(&about, site, site->rect()) > 3, "web address");

    QApplication::setPalette(before);
}

TALLYRA_TEST(PaletteTest)
#include "tst_palette.moc"
