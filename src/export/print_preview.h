// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/report_pages.h"
#include "ui/app_context.h"

#include <QDialog>

class QAction;
class QLabel;
class QScrollArea;
class QSpinBox;

// "打印预览": the report's pages as they will print, one page at a time, each drawn when it
// is shown (a list of a hundred thousand entries opens as fast as one of ten). From here the
// user prints the pages or saves them as a PDF file.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    // suggestedName: the file name the PDF save dialog offers.
    PrintPreview(const AppContext &context, Report &report, const QString &suggestedName, QWidget *parent = nullptr,
                 const QDate &printed = QDate::currentDate());
    ~PrintPreview() override;

    ReportPages &pages() { return pages_; }
    int currentPage() const { return page_; }
    // The zoom: device pixels per unit of the pages.
    double scale() const { return scale_; }
    void showPage(int page);

    // "打印...": the print dialog, then the chosen pages.
    void print();
    // "保存为PDF...": every page into a PDF file.
    void savePdf();
    void zoomIn();
    void zoomOut();
    void fitPage();
    void fitWidth();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class PageView;
    enum class Fit { Page, Width, None };
    void setScale(double scale);
    void applyFit();
    QAction *addCommand(class QToolBar *bar, const QString &caption, const QKeySequence &keys);

    AppContext context_;
    Report &report_;
    ReportPages pages_;
    QString suggestedName_;
    int page_ = 0;
    double scale_ = 0.1;
    Fit fit_ = Fit::Page;

    QScrollArea *scroll_ = nullptr;
    PageView *view_ = nullptr;
    QSpinBox *pageNumber_ = nullptr;
    QLabel *pageCount_ = nullptr;
};
