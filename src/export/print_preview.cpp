// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/print_preview.h"

#include "export/work_progress.h"
#include "store/sqlite_db.h"
#include "ui/dialog_folders.h"
#include "ui/icons.h"
#include "ui/prompt.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double ZoomStep = 1.25;
constexpr double SmallestScale = 0.02;  // pixels per unit: a page about 120 pixels wide
constexpr double LargestScale = 0.8;
constexpr int Gap = 16;                 // around the page, in pixels

} // namespace

// The page on show, drawn once per page and zoom and kept as a picture while it is scrolled.
class PrintPreview::PageView : public QWidget {
public:
    PageView(PrintPreview &preview, QWidget *parent) : QWidget(parent), preview_(preview)
    {
        setObjectName(QStringLiteral("PageView"));
        setAccessibleName(QStringLiteral("页面"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void changed()
    {
        picture_ = QImage();
        const QSizeF size = preview_.pages_.pageSize() * preview_.scale_;
        resize(size.toSize().expandedTo(QSize(1, 1)));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal ratio = devicePixelRatioF();
        if (picture_.isNull() || picture_.size() != size() * ratio) {
            picture_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(Qt::white);
            QPainter painter(&picture_);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            painter.scale(preview_.scale_, preview_.scale_);
            try {
                preview_.pages_.paintPage(painter, preview_.page_);
            } catch (const StoreError &error) {
                painter.resetTransform();
                painter.drawText(rect().adjusted(Gap, Gap, -Gap, -Gap), Qt::AlignCenter | Qt::TextWordWrap,
                                 QStringLiteral("无法读取这一页的记录：\n") + error.description());
            }
        }
        QPainter(this).drawImage(0, 0, picture_);
    }

private:
    PrintPreview &preview_;
    QImage picture_;
};

PrintPreview::PrintPreview(const AppContext &context, Report &report, const QString &suggestedName, QWidget *parent,
                           const QDate &printed)
    : QDialog(parent), context_(context), report_(report), pages_(report, printed), suggestedName_(suggestedName)
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    setModal(true);
    resize(pages_.landscape() ? QSize(1000, 760) : QSize(760, 900));

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addCommand(bar, QStringLiteral("打印..."), QKeySequence::Print)->setIcon(Icons::icon(Icons::Glyph::Print));
    connect(bar->actions().last(), &QAction::triggered, this, &PrintPreview::print);
    connect(addCommand(bar, QStringLiteral("保存为PDF..."), QKeySequence::Save), &QAction::triggered, this,
            &PrintPreview::savePdf);
    bar->addSeparator();
    connect(addCommand(bar, QStringLiteral("首页"), QKeySequence(Qt::CTRL | Qt::Key_Home)), &QAction::triggered, this,
            [this] { showPage(0); });
    connect(addCommand(bar, QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp)), &QAction::triggered, this,
            [this] { showPage(page_ - 1); });

    pageNumber_ = new QSpinBox(bar);
    pageNumber_->setObjectName(QStringLiteral("PageNumber"));
    pageNumber_->setAccessibleName(QStringLiteral("页码"));
    pageNumber_->setRange(1, pages_.pageCount());
    pageNumber_->setKeyboardTracking(false);
    bar->addWidget(pageNumber_);
    pageCount_ = new QLabel(QStringLiteral(" / 共 %1 页 ").arg(pages_.pageCount()), bar);
    pageCount_->setObjectName(QStringLiteral("PageCount"));
    bar->addWidget(pageCount_);
    connect(pageNumber_, &QSpinBox::valueChanged, this, [this](int number) { showPage(number - 1); });

    connect(addCommand(bar, QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown)), &QAction::triggered, this,
            [this] { showPage(page_ + 1); });
    connect(addCommand(bar, QStringLiteral("末页"), QKeySequence(Qt::CTRL | Qt::Key_End)), &QAction::triggered, this,
            [this] { showPage(pages_.pageCount() - 1); });
    bar->addSeparator();
    connect(addCommand(bar, QStringLiteral("整页"), QKeySequence(Qt::CTRL | Qt::Key_0)), &QAction::triggered, this,
            &PrintPreview::fitPage);
    connect(addCommand(bar, QStringLiteral("适合宽度"), QKeySequence(Qt::CTRL | Qt::Key_1)), &QAction::triggered,
            this, &PrintPreview::fitWidth);
    connect(addCommand(bar, QStringLiteral("放大"), QKeySequence::ZoomIn), &QAction::triggered, this,
            &PrintPreview::zoomIn);
    connect(addCommand(bar, QStringLiteral("缩小"), QKeySequence::ZoomOut), &QAction::triggered, this,
            &PrintPreview::zoomOut);
    bar->addSeparator();
    connect(addCommand(bar, QStringLiteral("关闭"), QKeySequence(Qt::Key_Escape)), &QAction::triggered, this,
            &QDialog::reject);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PageArea"));
    scroll_->setAccessibleName(QStringLiteral("预览"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->viewport()->installEventFilter(this);
    view_ = new PageView(*this, scroll_);
    scroll_->setWidget(view_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(scroll_, 1);

    applyFit();
}

PrintPreview::~PrintPreview() = default;

QAction *PrintPreview::addCommand(QToolBar *bar, const QString &caption, const QKeySequence &keys)
{
    QAction *action = bar->addAction(caption);
    action->setShortcut(keys);
    action->setToolTip(keys.isEmpty() ? caption
                                      : QStringLiteral("%1 (%2)").arg(caption, keys.toString(QKeySequence::NativeText)));
    if (QWidget *button = bar->widgetForAction(action))
        button->setAccessibleName(caption);
    return action;
}

void PrintPreview::showPage(int page)
{
    page = std::clamp(page, 0, pages_.pageCount() - 1);
    if (page != page_) {
        page_ = page;
        view_->changed();
        scroll_->verticalScrollBar()->setValue(0);
    }
    QSignalBlocker quiet(pageNumber_);
    pageNumber_->setValue(page_ + 1);
}

void PrintPreview::setScale(double scale)
{
    scale = std::clamp(scale, SmallestScale, LargestScale);
    if (scale == scale_ && view_->size() == (pages_.pageSize() * scale).toSize())
        return;
    scale_ = scale;
    view_->changed();
}

void PrintPreview::applyFit()
{
    const QSize room = scroll_->viewport()->size() - QSize(2 * Gap, 2 * Gap);
    const QSizeF page = pages_.pageSize();
    if (fit_ == Fit::Page)
        setScale(std::min(room.width() / page.width(), room.height() / page.height()));
    else if (fit_ == Fit::Width)
        setScale((room.width() - scroll_->verticalScrollBar()->sizeHint().width()) / page.width());
}

void PrintPreview::fitPage()
{
    fit_ = Fit::Page;
    applyFit();
}

void PrintPreview::fitWidth()
{
    fit_ = Fit::Width;
    applyFit();
}

void PrintPreview::zoomIn()
{
    fit_ = Fit::None;
    setScale(scale_ * ZoomStep);
}

void PrintPreview::zoomOut()
{
    fit_ = Fit::None;
    setScale(scale_ / ZoomStep);
}

bool PrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        applyFit();
    return QDialog::eventFilter(watched, event);
}

void PrintPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(pages_.pageLayout());
    printer.setDocName(report_.title());
    printer.setFromTo(1, pages_.pageCount());
    if (!context_.prompt.choosePrinter(this, printer))
        return;
    int from = 0, to = pages_.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage() - 1;
        to = std::max(printer.toPage(), printer.fromPage()) - 1;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = page_;
    }
    const qint64 entries = qint64(to - from + 1) * pages_.rowsPerPage();
    WorkProgress progress(this, QStringLiteral("打印"), QStringLiteral("正在打印..."), entries);
    ExportResult printed = pages_.print(printer, progress.callback(), from, to);
    if (printed.status == ExportResult::Failed && !printer.printerName().isEmpty())
        printed.error = QStringLiteral("打印机“%1”：%2").arg(printer.printerName(), printed.error);
    if (printed.status != ExportResult::Written)
        tellResult(context_.prompt, this, printed, QString());
}

void PrintPreview::savePdf()
{
    Prompt &prompt = context_.prompt;
    const QString path = prompt.saveFileOfType(this, QStringLiteral("保存为PDF"), QStringLiteral("PDF 文件|*.pdf"),
                                               suggestedName_, nullptr);
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, exportPurpose(), path);
    if (!confirmReplacing(prompt, this, path))
        return;
    WorkProgress progress(this, QStringLiteral("保存为PDF"), QStringLiteral("正在保存..."), report_.rowCount());
    tellResult(prompt, this, pages_.writePdf(path, progress.callback()), report_.savedText());
}
