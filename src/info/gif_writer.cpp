// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/gif_writer.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace {

void put16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// Codes go into the stream least significant bit first.
class BitWriter {
public:
    explicit BitWriter(QByteArray &out) : out_(out) {}
    void put(int code, int bits)
    {
        buffer_ |= quint32(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.append(char(buffer_ & 0xFF));
            buffer_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0)
            out_.append(char(buffer_ & 0xFF));
        buffer_ = 0;
        count_ = 0;
    }

private:
    QByteArray &out_;
    quint32 buffer_ = 0;
    int count_ = 0;
};

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

} // namespace

QList<QRgb> GifWriter::palette(const QList<QImage> &frames)
{
    QHash<QRgb, qint64> counts;
    for (const QImage &frame : frames) {
        const QImage image = frame.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                ++counts[line[x] | 0xFF000000u];
        }
    }
    std::vector<std::pair<qint64, QRgb>> byCount;
    byCount.reserve(size_t(counts.size()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        byCount.emplace_back(it.value(), it.key());
    std::sort(byCount.begin(), byCount.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QList<QRgb> colours;
    for (size_t i = 0; i < byCount.size() && i < 256; ++i)
        colours << byCount[i].second;
    return colours;
}

QByteArray GifWriter::lzw(const std::vector<uchar> &indexes, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    QByteArray out;
    BitWriter bits(out);
    if (indexes.empty()) {
        bits.put(clear, minCodeSize + 1);
        bits.put(end, minCodeSize + 1);
        bits.flush();
        return out;
    }

    // child[code * 256 + index]: the code of (string of code) + index, 0 when not yet made.
    std::vector<quint16> child(size_t(4096) * 256, 0);
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    bits.put(clear, codeSize);

    int prefix = indexes[0];
    for (size_t i = 1; i < indexes.size(); ++i) {
        const int k = indexes[i];
        const quint16 known = child[size_t(prefix) * 256 + size_t(k)];
        if (known) {
            prefix = known;
            continue;
        }
        bits.put(prefix, codeSize);
        child[size_t(prefix) * 256 + size_t(k)] = quint16(next++);
        // The reader makes its entries one code later; it widens its codes when its next
        // entry no longer fits, which is when ours passes the width.
        if (next > (1 << codeSize) && codeSize < 12)
            ++codeSize;
        if (next == 4096) {
            bits.put(clear, codeSize);
            std::fill(child.begin(), child.end(), quint16(0));
            codeSize = minCodeSize + 1;
            next = clear + 2;
        }
        prefix = k;
    }
    bits.put(prefix, codeSize);
    // The reader makes one more entry on reading that last code.
    if (next < 4096 && next + 1 > (1 << codeSize) && codeSize < 12)
        ++codeSize;
    bits.put(end, codeSize);
    bits.flush();
    return out;
}

QByteArray GifWriter::encode(const QList<QImage> &frames, int delay)
{
    if (frames.isEmpty())
        return {};
    const int width = frames.first().width();
    const int height = frames.first().height();
    QList<QRgb> colours = palette(frames);
    while (colours.size() < 256)
        colours << qRgb(0, 0, 0);

    QByteArray out("GIF89a");
    put16(out, width);
    put16(out, height);
    out.append(char(0xF7));  // global palette of 256 colours, 8 bits per primary
    out.append(char(0));     // background colour
    out.append(char(0));     // square pixels
    for (QRgb c : colours) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    // Loop for ever.
    out.append("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01", 16);
    put16(out, 0);
    out.append(char(0));

    QHash<QRgb, uchar> nearest;
    for (int i = 0; i < colours.size(); ++i)
        if (!nearest.contains(colours[i]))
            nearest.insert(colours[i], uchar(i));
    auto indexOf = [&](QRgb c) {
        auto found = nearest.constFind(c);
        if (found != nearest.constEnd())
            return found.value();
        int best = 0, bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < colours.size(); ++i) {
            const int d = distance(c, colours[i]);
            if (d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        nearest.insert(c, uchar(best));
        return uchar(best);
    };

    for (const QImage &frame : frames) {
        const QImage image = frame.convertToFormat(QImage::Format_RGB32);
        std::vector<uchar> indexes;
        indexes.reserve(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < width; ++x)
                indexes.push_back(x < image.width() && y < image.height() ? indexOf(line[x] | 0xFF000000u) : 0);
        }
        out.append("\x21\xF9\x04", 3);
        out.append(char(0x04));  // keep the frame in place for the next one
        put16(out, delay);
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.append(char(0));
        out.append(char(8));
        const QByteArray codes = lzw(indexes, 8);
        for (qsizetype at = 0; at < codes.size(); at += 255) {
            const qsizetype length = std::min<qsizetype>(255, codes.size() - at);
            out.append(char(length));
            out.append(codes.constData() + at, length);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

bool GifWriter::write(const QString &path, const QList<QImage> &frames, int delay)
{
    const QByteArray gif = encode(frames, delay);
    QSaveFile file(path);
    return !gif.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size() && file.commit();
}
