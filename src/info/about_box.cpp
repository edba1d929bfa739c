// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/about_box.h"

#include "info/help_commands.h"
#include "info/product.h"
#include "store/program_folder.h"
#include "ui/click_label.h"
#include "ui/icons.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

AboutBox::AboutBox(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("关于个人Tallyra"));
    setModal(true);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("picIcon"));
    logo->setPixmap(Icons::pixmap(Icons::Glyph::App, 48));
    logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *title = new QLabel(QStringLiteral("Tallyra"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("楷体_GB2312"));
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto *version = new QLabel(QStringLiteral("版本2.6.4 （服务器标准版）"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *platforms = new QLabel(QStringLiteral("（For Widows9X/NT/2000）"), this);
    platforms->setObjectName(QStringLiteral("Label1"));
    auto *visit = new QLabel(QStringLiteral("最新情况请访问网址："), this);
    visit->setObjectName(QStringLiteral("Label3"));
    auto *site = new ClickLabel(Product::webSite(), this);
    QFont underlined = site->font();
    underlined.setUnderline(true);
    site->setFont(underlined);
    site->setObjectName(QStringLiteral("Label4"));
    connect(site, &ClickLabel::clicked, this, [this] { HelpCommands::openPage(context_, this, Product::webSite()); });

    auto *animation = new QLabel(this);
    animation->setObjectName(QStringLiteral("AniGif1"));
    animation->setFixedSize(96, 96);
    animation->setAlignment(Qt::AlignCenter);
    const QString gif = context_.folder.installed(QStringLiteral("vazuda.gif"));
    if (!gif.isEmpty()) {
        movie_ = new QMovie(gif, QByteArray(), this);
        if (movie_->isValid()) {
            animation->setMovie(movie_);
            movie_->start();
        } else {
            delete movie_;
            movie_ = nullptr;
        }
    }

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *ok = new QPushButton(QStringLiteral("确   定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addWidget(platforms);
    texts->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(logo);
    top->addLayout(texts, 1);
    top->addWidget(animation);

    auto *bottom = new QHBoxLayout;
    auto *address = new QVBoxLayout;
    address->addWidget(visit);
    address->addWidget(site);
    bottom->addLayout(address, 1);
    bottom->addWidget(ok, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(bottom);
    setFixedSize(sizeHint().expandedTo(QSize(5700 / 15, 3600 / 15)));
}
