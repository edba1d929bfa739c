// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/shaped_text.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// The characters of dates and amounts.
constexpr char16_t NumberCharacters[] = u"0123456789.,-+:/%";

} // namespace

ShapedText::ShapedText(const QFont &font, qsizetype limit) : font_(font), limit_(limit) {}

ShapedText::Line ShapedText::line(const QString &text)
{
    // Numbers are set afresh: most amounts differ, and would crowd out the text that repeats.
    if (!numbersLearnt_)
        learnNumbers();
    Line number;
    if (setAsNumber(text, number))
        return number;
    const auto found = lines_.constFind(text);
    if (found != lines_.cend())
        return *found;
    if (lines_.size() >= limit_)
        lines_.clear();
    return *lines_.insert(text, shape(text));
}

ShapedText::Line ShapedText::shape(const QString &text) const
{
    QTextLayout layout(text, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    layout.endLayout();

    Line shaped;
    if (!textLine.isValid())
        return shaped;
    shaped.width = textLine.horizontalAdvance();
    const qreal ascent = textLine.ascent();
    shaped.runs = textLine.glyphRuns();
    for (QGlyphRun &run : shaped.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p.ry() -= ascent;
        run.setPositions(positions);
    }
    return shaped;
}

// Shapes every pair of the number characters in one line: when each character has the same
// glyph and advance wherever it stands, a number is set from the table exactly as shaping
// would set it.
void ShapedText::learnNumbers()
{
    numbersLearnt_ = true;
    QString probe;
    for (char16_t a : NumberCharacters)
        for (char16_t b : NumberCharacters)
            if (a && b)
                probe += QChar(a), probe += QChar(b);
    const Line shaped = shape(probe);
    if (shaped.runs.size() != 1 || shaped.runs[0].glyphIndexes().size() != probe.size())
        return;
    const QGlyphRun &run = shaped.runs[0];
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    std::array<bool, 128> seen{};
    for (qsizetype i = 0; i < probe.size(); ++i) {
        const char16_t c = probe[i].unicode();
        const qreal next = i + 1 < probe.size() ? positions[i + 1].x() : shaped.width;
        const qreal advance = next - positions[i].x();
        if (positions[i].y() != 0)
            return;
        if (!seen[c]) {
            seen[c] = true;
            numberGlyph_[c] = glyphs[i];
            numberAdvance_[c] = advance;
        } else if (numberGlyph_[c] != glyphs[i] || std::abs(numberAdvance_[c] - advance) > 1e-6) {
            return;
        }
    }
    numberFont_ = run.rawFont();
}

bool ShapedText::setAsNumber(const QString &text, Line &line) const
{
    if (!numberFont_.isValid() || text.isEmpty())
        return false;
    QList<quint32> glyphs(text.size());
    QList<QPointF> positions(text.size());
    qreal x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 128 || !numberGlyph_[c])
            return false;
        glyphs[i] = numberGlyph_[c];
        positions[i] = QPointF(x, 0);
        x += numberAdvance_[c];
    }
    QGlyphRun run;
    run.setRawFont(numberFont_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    line.runs = {run};
    line.width = x;
    return true;
}

void GlyphBatch::add(const QPointF &origin, const ShapedText::Line &line)
{
    for (const QGlyphRun &run : line.runs) {
        const QRawFont font = run.rawFont();
        if (!(font == font_)) {
            flush();
            font_ = font;
        }
        glyphs_ += run.glyphIndexes();
        for (const QPointF &p : run.positions())
            positions_ += p + origin;
    }
}

void GlyphBatch::flush()
{
    if (glyphs_.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(font_);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    painter_.drawGlyphRun(QPointF(0, 0), run);
    glyphs_.clear();
    positions_.clear();
}
