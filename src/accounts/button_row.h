// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringList>

class QHBoxLayout;
class QPushButton;
class QWidget;

// The bottom row of the accounts' windows: what `lead` holds at the left end, then the
// buttons at the right, named Command1, Command2, ... in their order, none pressed by
// Enter unless it is the window's default. The buttons made are returned in `made`.
QHBoxLayout *buttonRow(QWidget *window, const QStringList &captions, QList<QPushButton *> &made,
                       const QList<QWidget *> &lead = {});
