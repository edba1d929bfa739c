// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/shaped_text.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// The characters of dates and amounts.
constexpr char16_t NumberCharacters[] = u"0123456789.,-+:/%";

} // namespace

ShapedText::ShapedText(const QFont &font, qsizetype limit) : font_(font), limit_(limit) {}

const ShapedText::Line &ShapedText::line(const QString &text)
{
    // Numbers are set afresh: most amounts differ, and would crowd out the text that repeats.
    if (!numbersLearnt_)
        learnNumbers();
    if (setAsNumber(text))
        return number_;
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
    for (const QGlyphRun &glyphRun : textLine.glyphRuns()) {
        Run run{glyphRun.rawFont(), {}, {}};
        const QList<quint32> glyphs = glyphRun.glyphIndexes();
        run.glyphs.assign(glyphs.begin(), glyphs.end());
        for (const QPointF &p : glyphRun.positions())
            run.positions.emplace_back(p.x(), p.y() - ascent);
        shaped.runs.push_back(std::move(run));
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
    if (shaped.runs.size() != 1 || qsizetype(shaped.runs[0].glyphs.size()) != probe.size())
        return;
    const Run &run = shaped.runs[0];
    std::array<quint32, 128> glyph{};
    std::array<qreal, 128> advance{};
    for (qsizetype i = 0; i < probe.size(); ++i) {
        const char16_t c = probe[i].unicode();
        const qreal next = i + 1 < probe.size() ? run.positions[i + 1].x() : shaped.width;
        const qreal width = next - run.positions[i].x();
        if (run.positions[i].y() != 0 || !run.glyphs[i])
            return;
        if (!glyph[c]) {
            glyph[c] = run.glyphs[i];
            advance[c] = width;
        } else if (glyph[c] != run.glyphs[i] || std::abs(advance[c] - width) > 1e-6) {
            return;
        }
    }
    numberGlyph_ = glyph;
    numberAdvance_ = advance;
    number_.runs = {Run{run.font, {}, {}}};
}

bool ShapedText::setAsNumber(const QString &text)
{
    if (number_.runs.empty() || text.isEmpty())
        return false;
    for (QChar c : text)
        if (c.unicode() >= 128 || !numberGlyph_[c.unicode()])
            return false;
    Run &run = number_.runs.front();
    run.glyphs.clear();
    run.positions.clear();
    qreal x = 0;
    for (QChar c : text) {
        run.glyphs.push_back(numberGlyph_[c.unicode()]);
        run.positions.emplace_back(x, 0);
        x += numberAdvance_[c.unicode()];
    }
    number_.width = x;
    return true;
}

void GlyphBatch::add(const QPointF &origin, const ShapedText::Line &line)
{
    for (const ShapedText::Run &run : line.runs) {
        if (!(run.font == font_)) {
            flush();
            font_ = run.font;
        }
        for (quint32 glyph : run.glyphs)
            glyphs_.append(glyph);
        for (const QPointF &p : run.positions)
            positions_.append(p + origin);
    }
}

void GlyphBatch::flush()
{
    if (glyphs_.isEmpty())
        return;
    {
        QGlyphRun run;
        run.setRawFont(font_);
        run.setGlyphIndexes(glyphs_);
        run.setPositions(positions_);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    // The run is gone: the lists keep their room for the next one.
    glyphs_.clear();
    positions_.clear();
}
