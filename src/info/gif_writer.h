// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

#include <vector>

// Writes an animated GIF (GIF89a): one palette of at most 256 colours shared by all
// frames, LZW-compressed frames, and a loop that never ends.
class GifWriter {
public:
    // Frames of one size; delay in hundredths of a second per frame.
    static QByteArray encode(const QList<QImage> &frames, int delay);
    static bool write(const QString &path, const QList<QImage> &frames, int delay);

    // The palette of the frames: their colours, the most frequent first when there are
    // more than 256.
    static QList<QRgb> palette(const QList<QImage> &frames);
    // The GIF variant of LZW over colour indexes of minCodeSize bits, as one code stream
    // (without the sub-block framing).
    static QByteArray lzw(const std::vector<uchar> &indexes, int minCodeSize);
};
