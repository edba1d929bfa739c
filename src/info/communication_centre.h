// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QDialog>
#include <QHostAddress>
#include <QList>

class QLabel;
class QTimer;

// "通信中心": the computer's local IP address beside a row of seven squares in which one
// highlighted square runs from left to right, one step every 200 milliseconds.
class CommunicationCentre : public QDialog {
    Q_OBJECT
public:
    static constexpr int Squares = 7;
    static QColor normalColour() { return QColor(232, 255, 254); }
    static QColor highlightColour() { return QColor(0, 255, 255); }

    explicit CommunicationCentre(QWidget *parent = nullptr);

    // The first IPv4 address that is not a loopback address, else 127.0.0.1.
    static QString chooseAddress(const QList<QHostAddress> &addresses);
    // The addresses of the interfaces that are up.
    static QString localAddress();

    // One step of the animation: the square at the position lights up, the position moves on.
    void tick();
    int position() const { return position_; }
    QColor squareColour(int square) const;
    QTimer *timer() const { return timer_; }

private:
    void paintSquare(int square, const QColor &colour);

    QLabel *address_;
    QLabel *squares_[Squares] = {};
    QTimer *timer_;
    int position_ = 0;
};
