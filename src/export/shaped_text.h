// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <array>
#include <vector>

class QPainter;

// Lines of text in one font, each distinct string shaped once: the glyphs that draw it (in
// the fonts that hold its characters) and its advance. Pages of many rows repeat most of
// their cells (dates, kinds, names), and shaping costs more than writing the glyphs out.
// Numbers (digits and a few signs) are set from a table of their glyphs when the font sets
// them without kerning, as almost all fonts do. Holds at most `limit` strings; past that it
// starts afresh.
class ShapedText {
public:
    struct Run {
        QRawFont font;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;  // from the start of the baseline
    };
    struct Line {
        std::vector<Run> runs;
        qreal width = 0;
    };

    explicit ShapedText(const QFont &font, qsizetype limit = 16384);

    // Valid until the next call.
    const Line &line(const QString &text);
    void clear() { lines_.clear(); }

private:
    Line shape(const QString &text) const;
    void learnNumbers();
    bool setAsNumber(const QString &text);

    QFont font_;
    qsizetype limit_;
    QHash<QString, Line> lines_;
    // The glyph and advance of each character of numbers, when they need no shaping.
    bool numbersLearnt_ = false;
    std::array<quint32, 128> numberGlyph_{};
    std::array<qreal, 128> numberAdvance_{};
    Line number_;  // the last number set
};

// Glyphs on their way to a painter: lines drawn one after another in the same font are
// drawn as one run, in the same order.
class GlyphBatch {
public:
    explicit GlyphBatch(QPainter &painter) : painter_(painter) {}
    ~GlyphBatch() { flush(); }
    GlyphBatch(const GlyphBatch &) = delete;
    GlyphBatch &operator=(const GlyphBatch &) = delete;

    // A line with the start of its baseline at `origin`.
    void add(const QPointF &origin, const ShapedText::Line &line);
    void flush();

private:
    QPainter &painter_;
    QRawFont font_;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};
