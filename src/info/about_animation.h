// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The About box's animation vazuda.gif: a coin turning over an open account book.
// Drawn by the program; the build writes the file beside the executable.
namespace AboutAnimation {

constexpr int Size = 96;
constexpr int FrameCount = 24;
constexpr int Delay = 8;  // hundredths of a second per frame

QList<QImage> frames();
bool write(const QString &path);

} // namespace AboutAnimation
