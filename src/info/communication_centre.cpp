// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/communication_centre.h"

#include <QGroupBox>
#include <QLabel>
#include <QNetworkInterface>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int px(int twips) { return twips / 15; }

} // namespace

CommunicationCentre::CommunicationCentre(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("通信中心"));
    setModal(true);

    auto *addressFrame = new QGroupBox(QStringLiteral("本地IP...."), this);
    addressFrame->setObjectName(QStringLiteral("Frame1"));
    address_ = new QLabel(localAddress(), addressFrame);
    address_->setObjectName(QStringLiteral("Label1"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(11);
    address_->setFont(arial);
    address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *addressLayout = new QVBoxLayout(addressFrame);
    addressLayout->addWidget(address_);

    auto *busyFrame = new QGroupBox(QStringLiteral("正在通信..."), this);
    busyFrame->setObjectName(QStringLiteral("Frame2"));
    busyFrame->setFixedSize(px(3000), px(720));
    for (int i = 0; i < Squares; ++i) {
        auto *square = new QLabel(busyFrame);
        square->setObjectName(QStringLiteral("Label3_%1").arg(i));
        square->setAutoFillBackground(true);
        square->setFrameShape(QFrame::Box);
        square->setGeometry(px(960 + 240 * i), px(360), px(135), px(135));
        squares_[i] = square;
        paintSquare(i, normalColour());
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(addressFrame);
    layout->addWidget(busyFrame);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, &CommunicationCentre::tick);
    timer_->start();
}

QString CommunicationCentre::chooseAddress(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &address : addresses)
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return QStringLiteral("127.0.0.1");
}

QString CommunicationCentre::localAddress()
{
    QList<QHostAddress> addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            addresses << entry.ip();
    }
    return chooseAddress(addresses);
}

void CommunicationCentre::paintSquare(int square, const QColor &colour)
{
    QPalette palette = squares_[square]->palette();
    palette.setColor(QPalette::Window, colour);
    squares_[square]->setPalette(palette);
}

void CommunicationCentre::tick()
{
    for (int i = 0; i < Squares; ++i)
        paintSquare(i, i == position_ ? highlightColour() : normalColour());
    ++position_;
    if (position_ > Squares - 1)
        position_ = 0;
}

QColor CommunicationCentre::squareColour(int square) const
{
    return square >= 0 && square < Squares ? squares_[square]->palette().color(QPalette::Window) : QColor();
}
