// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/shaped_text.h"

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// How a long piece of work reports: the part done of the whole. Returning false cancels.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

// What writing a file came to.
struct ExportResult {
    enum Status { Written, Cancelled, Failed, Refused } status = Written;
    int rows = 0;     // entries written
    QString error;    // why it failed or was refused
    int code = 0;     // the error number of a failure

    static ExportResult written(int rows) { return {Written, rows, {}, 0}; }
    static ExportResult cancelled() { return {Cancelled, 0, {}, 0}; }
    static ExportResult refused(const QString &why) { return {Refused, 0, why, 0}; }
    static ExportResult failed(const QString &why, int code) { return {Failed, 0, why, code}; }
};

// One column of a printed table: its title, its width in ems of the body font (the
// stretching column takes what the others leave, at least this much) and its alignment.
struct ReportColumn {
    QString title;
    double ems = 6;
    Qt::Alignment align = Qt::AlignLeft;
    bool stretch = false;
};

// A table to print: what it is, its columns, its rows by position and a closing totals row.
class Report {
public:
    virtual ~Report() = default;
    // The title line: "默认账套  当前：2008年03月".
    virtual QString title() const = 0;
    virtual QList<ReportColumn> columns() const = 0;
    virtual int rowCount() const = 0;
    // The printed cells of rows [first, first + n), in order; fewer past the last row.
    virtual std::vector<QStringList> rows(int first, int n) = 0;
    virtual QStringList totalsRow() const = 0;
    // What the user is told once the pages were saved as a PDF file.
    virtual QString savedText() const { return QStringLiteral("导出成功！"); }
};

// The pages of a report on A4 paper, the same on screen, paper and PDF: a title line with
// the printing date, the column headers on every page, the rows a line each, the totals row
// after the last row, and "第 n 页 / 共 m 页" at the foot. Landscape when the columns are
// wider than a portrait page.
//
// Pages are drawn in units of 1/720 inch from the paper's top left corner; the painter's
// device is scaled to that by paint() and print().
class ReportPages {
public:
    static constexpr int UnitsPerInch = 720;

    ReportPages(Report &report, const QDate &printed);

    const QPageLayout &pageLayout() const { return layout_; }
    bool landscape() const { return layout_.orientation() == QPageLayout::Landscape; }
    QSizeF pageSize() const { return size_; }  // in units
    int rowsPerPage() const { return rowsPerPage_; }
    int pageCount() const;
    // The body rows a page holds (the totals row not counted).
    int firstRow(int page) const { return page * rowsPerPage_; }
    static QString pageFooter(int page, int pages);
    QString dateText() const;

    // Draws page `page` (from 0) with the painter already scaled to units. Throws
    // StoreError when the rows cannot be read.
    void paintPage(QPainter &painter, int page);
    // Draws it on a painter of a device with this many dots per inch.
    void paint(QPainter &painter, int page, double dotsPerInch);

    // Prints pages [from, to] (from 0; to -1 for the last) on a printer or PDF writer, from
    // the paper's corner and scaled to its paper; progress counts pages.
    ExportResult print(QPagedPaintDevice &device, const ExportProgress &progress = {}, int from = 0, int to = -1);
    // All pages into a PDF file, written whole or not at all.
    ExportResult writePdf(const QString &path, const ExportProgress &progress = {});

private:
    struct Column {
        qreal left = 0, width = 0;
        Qt::Alignment align;
    };
    // Draws a cell's text on its baseline, elided when it is wider than the column; while
    // printing, from shaped text into `glyphs`.
    void drawCell(QPainter &painter, GlyphBatch *glyphs, const Column &column, qreal baseline, const QString &text,
                  bool bold);
    void drawRow(QPainter &painter, qreal top, const QStringList &cells, bool bold, bool printing);
    // The rows [first, first + n) that could be read and how many they are; while printing,
    // read many pages' rows at a time.
    std::pair<const QStringList *, int> pageRows(int first, int n, bool printing);

    Report &report_;
    QDate printed_;
    QList<ReportColumn> spec_;
    QPageLayout layout_;
    QSizeF size_;
    qreal margin_ = 0;
    QFont body_, bold_, titleFont_, small_;
    QFontMetricsF bodyMetrics_, boldMetrics_, titleMetrics_, smallMetrics_;
    std::vector<Column> columns_;
    qreal rowHeight_ = 0, tableTop_ = 0;
    int rowsPerPage_ = 1;
    qreal asciiAdvance_[2][128] = {};  // body, bold
    // While printing, cells are drawn from text shaped once per distinct string, and rows
    // are read in batches of many pages.
    const QPaintDevice *printing_ = nullptr;  // what print() draws on
    int printedRowsEnd_ = 0;                   // after the last row of the last page printed
    ShapedText shaped_[3];  // body, bold, title
    QString printedTitle_;
    std::vector<QStringList> batch_;
    int batchFirst_ = 0;
    std::vector<QStringList> shownRows_;  // of the page last drawn on the screen
};
