// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/report_pages.h"

#include "core/csv.h"
#include "store/sqlite_db.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr qreal Inch = ReportPages::UnitsPerInch;
constexpr qreal Em = 90;                 // the body font: 9 points
constexpr qreal Margin = Inch * 15 / 25.4;  // 15 mm
constexpr qreal Padding = Em * 0.4;      // inside a cell, left and right

QFont pixelFont(qreal points, bool bold)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(int(std::lround(points * Inch / 72)));
    font.setBold(bold);
    // The same advances on screen, paper and PDF.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Each page written takes a few hundred kilobytes (its content stream, the compressor's
// tables) and gives them back. By default the C library returns such blocks to the system
// and faults them in again on the next page, which costs as much as drawing the page: while
// pages are written, freed memory stays with the program; afterwards it is handed back.
class HeapKeptWhilePrinting {
public:
    HeapKeptWhilePrinting()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    }
    ~HeapKeptWhilePrinting()
    {
#ifdef __GLIBC__
        // The library's starting values.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
        malloc_trim(0);
#endif
    }
    HeapKeptWhilePrinting(const HeapKeptWhilePrinting &) = delete;
    HeapKeptWhilePrinting &operator=(const HeapKeptWhilePrinting &) = delete;
};

} // namespace

ReportPages::ReportPages(Report &report, const QDate &printed)
    : report_(report),
      printed_(printed),
      spec_(report.columns()),
      body_(pixelFont(9, false)),
      bold_(pixelFont(9, true)),
      titleFont_(pixelFont(12, true)),
      small_(pixelFont(8, false)),
      bodyMetrics_(body_),
      boldMetrics_(bold_),
      titleMetrics_(titleFont_),
      smallMetrics_(small_),
      shaped_{ShapedText(body_), ShapedText(bold_), ShapedText(titleFont_)}
{
    for (int c = 32; c < 128; ++c) {
        asciiAdvance_[0][c] = bodyMetrics_.horizontalAdvance(QChar(c));
        asciiAdvance_[1][c] = boldMetrics_.horizontalAdvance(QChar(c));
    }
    // Portrait unless the columns want more than a portrait page is wide.
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Inch) * Inch;
    qreal wanted = 0;
    for (const ReportColumn &column : spec_)
        wanted += column.ems * Em;
    const bool wide = wanted > a4.width() - 2 * Margin;
    layout_ = QPageLayout(QPageSize(QPageSize::A4), wide ? QPageLayout::Landscape : QPageLayout::Portrait,
                          QMarginsF(0, 0, 0, 0));
    size_ = wide ? a4.transposed() : a4;

    // Fixed columns as wanted; the stretching one (else the last) takes the rest.
    const qreal width = size_.width() - 2 * Margin;
    qreal fixed = 0;
    int stretch = int(spec_.size()) - 1;
    for (int i = 0; i < spec_.size(); ++i) {
        if (spec_[i].stretch)
            stretch = i;
        else
            fixed += spec_[i].ems * Em;
    }
    qreal left = Margin;
    for (int i = 0; i < spec_.size(); ++i) {
        qreal w = spec_[i].ems * Em;
        if (i == stretch)
            w = std::max(w, width - fixed);
        columns_.push_back({left, w, spec_[i].align});
        left += w;
    }

    rowHeight_ = std::ceil(bodyMetrics_.height() * 1.4);
    tableTop_ = Margin + titleMetrics_.height() + bodyMetrics_.height() * 0.6;
    const qreal footer = smallMetrics_.height() * 2;
    const qreal body = size_.height() - Margin - footer - (tableTop_ + rowHeight_);
    rowsPerPage_ = std::max(1, int(body / rowHeight_));
}

int ReportPages::pageCount() const
{
    // The totals row takes a line after the last row.
    const qint64 lines = qint64(report_.rowCount()) + 1;
    return int((lines + rowsPerPage_ - 1) / rowsPerPage_);
}

QString ReportPages::pageFooter(int page, int pages)
{
    return QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(pages);
}

QString ReportPages::dateText() const
{
    return QStringLiteral("打印日期：") + printed_.toString(QStringLiteral("yyyy年MM月dd日"));
}

void ReportPages::drawCell(QPainter &painter, GlyphBatch *glyphs, const Column &column, qreal baseline,
                           const QString &text, bool bold)
{
    if (text.isEmpty())
        return;
    const qreal room = column.width - 2 * Padding;
    const QFontMetricsF &metrics = bold ? boldMetrics_ : bodyMetrics_;
    auto start = [&](qreal width) {
        if (column.align & Qt::AlignRight)
            return column.left + column.width - Padding - width;
        if (column.align & Qt::AlignHCenter)
            return column.left + (column.width - width) / 2;
        return column.left + Padding;
    };

    if (glyphs) {
        const ShapedText::Line *line = &shaped_[bold].line(text);
        if (line->width > room)
            line = &shaped_[bold].line(metrics.elidedText(text, Qt::ElideRight, room));
        glyphs->add(QPointF(start(line->width), baseline), *line);
        return;
    }

    // Plain ASCII (dates, amounts) is measured from a table; other text only when it might
    // not fit or is aligned by its width, so that most cells cost one drawText.
    qreal width = 0;
    bool ascii = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 128 || u < 32) {
            ascii = false;
            break;
        }
        width += asciiAdvance_[bold][u];
    }
    const bool leftAligned = !(column.align & (Qt::AlignRight | Qt::AlignHCenter));
    if (!ascii)
        width = leftAligned && text.size() * Em * 1.3 <= room ? 0 : metrics.horizontalAdvance(text);
    QString shown = text;
    if (width > room) {
        shown = metrics.elidedText(text, Qt::ElideRight, room);
        width = metrics.horizontalAdvance(shown);
    }
    painter.drawText(QPointF(start(width), baseline), shown);
}

void ReportPages::drawRow(QPainter &painter, qreal top, const QStringList &cells, bool bold, bool printing)
{
    const QFontMetricsF &metrics = bold ? boldMetrics_ : bodyMetrics_;
    painter.setFont(bold ? bold_ : body_);
    const qreal baseline = top + (rowHeight_ - metrics.height()) / 2 + metrics.ascent();
    const int n = std::min<int>(int(cells.size()), int(columns_.size()));
    std::optional<GlyphBatch> glyphs;
    if (printing)
        glyphs.emplace(painter);
    for (int i = 0; i < n; ++i)
        drawCell(painter, glyphs ? &*glyphs : nullptr, columns_[i], baseline, cells[i], bold);
}

void ReportPages::paintPage(QPainter &painter, int page)
{
    const int pages = pageCount();
    page = std::clamp(page, 0, pages - 1);
    const qreal right = size_.width() - Margin;
    // Pages printed by print() come from shaped text; a page on the screen (even while
    // printing goes on) is drawn directly.
    const bool printing = printing_ && painter.device() == printing_;
    painter.save();
    painter.setPen(Qt::black);

    // The title line: the report on the left, the printing date on the right.
    const QString date = dateText();
    const qreal titleBase = Margin + titleMetrics_.ascent();
    auto titleText = [&](qreal dateWidth) {
        return titleMetrics_.elidedText(report_.title(), Qt::ElideRight, right - Margin - dateWidth - Em * 2);
    };
    if (printing) {
        // The same on every page: shaped once.
        GlyphBatch glyphs(painter);
        const ShapedText::Line &dateLine = shaped_[0].line(date);
        glyphs.add(QPointF(right - dateLine.width, titleBase), dateLine);
        if (printedTitle_.isNull())
            printedTitle_ = titleText(dateLine.width);
        glyphs.add(QPointF(Margin, titleBase), shaped_[2].line(printedTitle_));
    } else {
        painter.setFont(body_);
        const qreal dateWidth = bodyMetrics_.horizontalAdvance(date);
        painter.drawText(QPointF(right - dateWidth, titleBase), date);
        painter.setFont(titleFont_);
        painter.drawText(QPointF(Margin, titleBase), titleText(dateWidth));
    }

    // The column headers, on every page.
    painter.fillRect(QRectF(Margin, tableTop_, right - Margin, rowHeight_), QColor(0xe6, 0xe6, 0xe6));
    QStringList titles;
    for (const ReportColumn &column : spec_)
        titles << column.title;
    drawRow(painter, tableTop_, titles, true, printing);

    // The rows, a thin line under each.
    const int count = report_.rowCount();
    const int first = firstRow(page);
    const int n = std::clamp(count - first, 0, rowsPerPage_);
    qreal top = tableTop_ + rowHeight_;
    QVector<QLineF> lines;
    lines.reserve(n + 1);
    if (n > 0) {
        const auto [rows, read] = pageRows(first, n, printing);
        for (int i = 0; i < read; ++i) {
            drawRow(painter, top, rows[i], false, printing);
            top += rowHeight_;
            lines << QLineF(Margin, top, right, top);
        }
    }
    painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), Inch / 144));
    painter.drawLines(lines);
    painter.setPen(QPen(Qt::black, Inch / 96));
    painter.drawLine(QLineF(Margin, tableTop_ + rowHeight_, right, tableTop_ + rowHeight_));

    // The totals after the last row.
    if (first + n >= count && n < rowsPerPage_) {
        painter.drawLine(QLineF(Margin, top, right, top));
        drawRow(painter, top, report_.totalsRow(), true, printing);
    }

    painter.setPen(Qt::black);
    painter.setFont(small_);
    const QString footer = pageFooter(page, pages);
    painter.drawText(QPointF((size_.width() - smallMetrics_.horizontalAdvance(footer)) / 2,
                             size_.height() - Margin + smallMetrics_.ascent()),
                     footer);
    painter.restore();
}

std::pair<const QStringList *, int> ReportPages::pageRows(int first, int n, bool printing)
{
    if (!printing) {
        shownRows_ = report_.rows(first, n);
        return {shownRows_.data(), std::min(int(shownRows_.size()), n)};
    }
    if (first < batchFirst_ || first + n > batchFirst_ + int(batch_.size())) {
        constexpr int BatchRows = 2000;
        batch_ = report_.rows(first, std::max(n, std::min(BatchRows, printedRowsEnd_ - first)));
        batchFirst_ = first;
    }
    const int offset = first - batchFirst_;
    return {batch_.data() + offset, std::clamp(int(batch_.size()) - offset, 0, n)};
}

void ReportPages::paint(QPainter &painter, int page, double dotsPerInch)
{
    painter.save();
    painter.scale(dotsPerInch / Inch, dotsPerInch / Inch);
    paintPage(painter, page);
    painter.restore();
}

ExportResult ReportPages::print(QPagedPaintDevice &device, const ExportProgress &progress, int from, int to)
{
    const int pages = pageCount();
    if (to < 0 || to >= pages)
        to = pages - 1;
    from = std::clamp(from, 0, to);
    device.setPageOrientation(layout_.orientation());
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
    auto *printer = dynamic_cast<QPrinter *>(&device);
    if (printer)
        printer->setFullPage(true);  // the pages draw their own margins
    const HeapKeptWhilePrinting heap;
    printing_ = &device;
    printedRowsEnd_ = firstRow(to + 1);
    const auto done = qScopeGuard([this] {
        printing_ = nullptr;
        batch_.clear();
        printedTitle_.clear();
        for (ShapedText &shaped : shaped_)
            shaped.clear();
    });
    QPainter painter;
    if (!painter.begin(&device))
        return ExportResult::failed(QStringLiteral("无法开始打印页面。"), 0);
    // The pages keep their proportions on any paper the printer holds. A PDF file is made
    // in the pages' own units: without a transform, its text is written more briefly.
    const qreal scale = std::min(device.width() / size_.width(), device.height() / size_.height());
    if (std::abs(scale - 1) > 0.001)
        painter.scale(scale, scale);
    auto stop = [&](ExportResult result) {
        if (printer)
            printer->abort();
        painter.end();
        return result;
    };
    for (int page = from; page <= to; ++page) {
        if (page > from && !device.newPage())
            return stop(ExportResult::failed(QStringLiteral("无法开始新的一页。"), 0));
        try {
            paintPage(painter, page);
        } catch (const StoreError &error) {
            return stop(ExportResult::failed(error.description(), error.code()));
        }
        if (progress && !progress(page - from + 1, to - from + 1))
            return stop(ExportResult::cancelled());
    }
    if (!painter.end())
        return ExportResult::failed(QStringLiteral("无法完成打印页面。"), 0);
    return ExportResult::written(report_.rowCount());
}

ExportResult ReportPages::writePdf(const QString &path, const ExportProgress &progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ExportResult::failed(file.errorString(), int(file.error()));
    Csv::keepPrivate(file, path);
    ExportResult result;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(UnitsPerInch);
        pdf.setPageLayout(layout_);
        pdf.setCreator(QStringLiteral("Tallyra"));
        pdf.setTitle(report_.title());
        result = print(pdf, progress);
    }
    if (result.status != ExportResult::Written) {
        if (result.status == ExportResult::Failed && file.error() != QFileDevice::NoError)
            result = ExportResult::failed(file.errorString(), int(file.error()));
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return ExportResult::failed(file.errorString(), int(file.error()));
    return result;
}
