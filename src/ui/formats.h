// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringView>

#include <optional>

// How the program writes and reads colours, yes/no settings and multi-line texts.
// (Money is in core/money.h, dates in core/dates.h.)
namespace Formats {

// Colour numbers: red + 256 * green + 65536 * blue, in decimal.
int colourNumber(const QColor &colour);
std::optional<QColor> colourFromNumber(QStringView text);
// What stands out as a warning (over budget) on the palette's base: a deep red on a light
// base, a light red on a dark one.
QColor warningColour(const QPalette &palette);

// "True"/"1" and "False"/"0" as stored in the settings row.
std::optional<bool> readFlag(QStringView text);
QString flagText(bool value);

// Multi-line texts are stored with CR LF between lines and edited with LF.
// NUL characters are dropped: a text with one would stop short in other programs (and in
// the program's own CSV files).
QString toStoredText(const QString &edited);
// A single-line text as it is stored: without NUL characters.
QString withoutNul(const QString &text);
QString fromStoredText(const QString &stored);
// The text before the first line break.
QString firstLine(const QString &text);

} // namespace Formats
