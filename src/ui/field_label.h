// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The label of a field in a window: its caption, with the field as its buddy (for the
// keyboard and screen readers), and the field's accessible name: the caption without
// blanks, "：" and the "*" of a required field ("金  额 *" names the field "金额").
QLabel *fieldLabel(const QString &caption, QWidget *field, QWidget *parent);
// A button of a window's button row: named `name`, its caption its accessible name, and
// never pressed by Enter (the window's default is chosen on purpose).
QPushButton *namedButton(const QString &caption, const QString &name, QWidget *parent);
