// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/batch_import.h"

#include "core/dates.h"
#include "fileimport/column_mapping_dialog.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/dialog_folders.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include <memory>
#include <set>

namespace {

// At most this many row numbers are named in a message; the rest are counted.
constexpr int NamedRows = 60;

QString rowNumbers(const QList<int> &numbers)
{
    QStringList named;
    for (int i = 0; i < numbers.size() && i < NamedRows; ++i)
        named << QString::number(numbers[i]);
    QString text = named.join(QStringLiteral("、"));
    if (numbers.size() > NamedRows)
        text += QStringLiteral(" 等，共 %1 行").arg(numbers.size());
    return text;
}

// The picture of a row that looks imported already: two sheets, one over the other.
QIcon duplicateIcon()
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        const double u = size / 16.0;
        p.setPen(QPen(QColor(0x9a, 0x5b, 0x00), u));
        p.setBrush(QColor(0xff, 0xe0, 0xa0));
        p.drawRect(QRectF(1.5 * u, 1.5 * u, 8 * u, 10 * u));
        p.setBrush(QColor(0xff, 0xb3, 0x30));
        p.drawRect(QRectF(6.5 * u, 4.5 * u, 8 * u, 10 * u));
        p.setPen(QPen(Qt::white, 1.5 * u));
        p.drawLine(QPointF(10.5 * u, 6.5 * u), QPointF(10.5 * u, 10.5 * u));
        p.drawPoint(QPointF(10.5 * u, 12.5 * u));
        p.end();
        icon.addPixmap(picture);
    }
    return icon;
}

} // namespace

BatchImport::BatchImport(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("BatchImport"));
    setWindowTitle(QStringLiteral("批量导入财务数据"));
    setWindowIcon(Icons::icon(Icons::Glyph::Import));
    setModal(true);
    resize(11900 / 15, 6600 / 15);

    auto *frame = new QGroupBox(QStringLiteral("财务批量导入"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *first = new QLabel(QStringLiteral("请在电子表格中建好以下表格，然后复制表格中的数据"), frame);
    first->setObjectName(QStringLiteral("Label1"));
    auto *second = new QLabel(QStringLiteral("除下表中的No列以外，按[导入]按钮即可。"), frame);
    second->setObjectName(QStringLiteral("Label2"));

    list_ = new RecordList(frame);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setIdColumn(0);
    list_->setColumns(columns());
    list_->setGridLines(true);
    list_->setImageList({duplicateIcon()});
    list_->detailsView()->viewport()->installEventFilter(this);
    list_->setAccessibleName(QStringLiteral("财务批量导入"));

    // "打开文件..." stands beside "导入"; the older buttons keep their names.
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    const struct {
        const char *caption;
        int number;
    } buttons[] = {{"导入", 1}, {"打开文件...", 5}, {"删除", 2}, {"删除全部", 3}, {"保存", 4}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), frame);
        button->setObjectName(QStringLiteral("Command%1").arg(b.number));
        button->setAutoDefault(false);
        buttonRow->addWidget(button);
        buttons_ << button;
    }

    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(first);
    frameLayout->addWidget(second);
    frameLayout->addWidget(list_, 1);
    frameLayout->addLayout(buttonRow);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);

    connect(buttons_[0], &QPushButton::clicked, this, &BatchImport::pasteClipboard);
    connect(buttons_[1], &QPushButton::clicked, this, &BatchImport::openFile);
    connect(buttons_[2], &QPushButton::clicked, this, &BatchImport::removeSelected);
    connect(buttons_[3], &QPushButton::clicked, this, &BatchImport::removeAll);
    connect(buttons_[4], &QPushButton::clicked, this, &BatchImport::save);

    // Cells are corrected in place: double-click, or F2 on the current cell.
    QTableView *view = list_->detailsView();
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { editCell(index.row(), index.column()); });
    auto *edit = new QShortcut(QKeySequence(Qt::Key_F2), view, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(edit, &QShortcut::activated, this, [this, view] {
        const QModelIndex current = view->currentIndex();
        if (current.isValid())
            editCell(current.row(), std::max(1, current.column()));
    });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { closeEditor(true); });
    // A click on a column header sorts the rows: the edit is kept first, the marks follow.
    view->horizontalHeader()->viewport()->installEventFilter(this);
    connect(list_, &RecordList::sorted, this, [this] { markDuplicates(); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { closeEditor(true); });
}

QList<RecordColumn> BatchImport::columns()
{
    return {{QStringLiteral("No."), 500},      {QStringLiteral("日  期"), 1800},  {QStringLiteral("项目"), 1500},
            {QStringLiteral("收入"), 1200},    {QStringLiteral("支出"), 1200},    {QStringLiteral("收支方式"), 1000},
            {QStringLiteral("经手人"), 1000},  {QStringLiteral("摘要"), 3000}};
}

void BatchImport::pasteClipboard()
{
    // Rows read from a file go only when the user says so; pasted rows a paste replaces.
    if (fromFile_ && list_->rowCount() > 0 &&
        context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                QStringLiteral("预览中已有 %1 条记录，是否用剪贴板的内容替换？").arg(list_->rowCount()),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    paste(QGuiApplication::clipboard()->text());
}

void BatchImport::paste(const QString &text)
{
    closeEditor(false);
    fromFile_ = false;
    showRows(Ledger::parseImport(text));
}

void BatchImport::showRows(const std::vector<ImportRow> &parsed)
{
    marks_ = duplicatesOf(parsed);
    std::vector<RecordRow> rows;
    rows.reserve(parsed.size());
    for (size_t i = 0; i < parsed.size(); ++i) {
        const ImportRow &r = parsed[i];
        rows.emplace_back(std::initializer_list<QStringView>{QString::number(r.number), r.date, r.item, r.income,
                                                             r.expense, r.method, r.handler, r.summary},
                          marks_[i].kind == DuplicateMark::None ? 0 : 1);
    }
    list_->setRows(std::move(rows));
}

std::vector<DuplicateMark> BatchImport::duplicatesOf(const std::vector<ImportRow> &rows)
{
    if (!fromFile_)
        return std::vector<DuplicateMark>(rows.size());
    try {
        return FileImport(context_.data).duplicates(rows, context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        // Marks are a help, not a condition: without the entries to compare, none is marked.
        return std::vector<DuplicateMark>(rows.size());
    }
}

void BatchImport::markDuplicates()
{
    marks_ = duplicatesOf(rows());
    showMarks();
}

void BatchImport::showMarks()
{
    RecordModel &model = list_->model();
    std::vector<int> changed;
    for (int i = 0; i < model.count(); ++i)
        if (model.record(i).icon != (marks_[size_t(i)].kind == DuplicateMark::None ? 0 : 1))
            changed.push_back(i);
    if (changed.size() <= 1000) {
        for (int i : changed) {
            RecordRow row = model.record(i);
            row.icon = row.icon ? 0 : 1;
            model.setRecord(i, std::move(row));
        }
        return;
    }
    // Many at once: one reset, keeping what the user looked at.
    QTableView *view = list_->detailsView();
    const int selected = list_->selectedRow();
    const int sortColumn = list_->sortColumn();
    const Qt::SortOrder sortOrder = list_->sortOrder();
    const int top = view->verticalScrollBar()->value(), left = view->horizontalScrollBar()->value();
    std::vector<RecordRow> rows;
    rows.reserve(size_t(model.count()));
    for (int i = 0; i < model.count(); ++i) {
        rows.push_back(model.record(i));
        rows.back().icon = marks_[size_t(i)].kind == DuplicateMark::None ? 0 : 1;
    }
    list_->setRows(std::move(rows));
    if (sortColumn >= 0)
        list_->sortBy(sortColumn, sortOrder);  // the order stands; this shows it in the header again
    list_->selectRow(selected);
    view->verticalScrollBar()->setValue(top);
    view->horizontalScrollBar()->setValue(left);
}

QString BatchImport::markText(int row) const
{
    if (row < 0 || size_t(row) >= marks_.size())
        return {};
    switch (marks_[size_t(row)].kind) {
    case DuplicateMark::Stored:
        return QStringLiteral("可能已经导入过：账套中已有日期、金额和摘要都相同的记录。");
    case DuplicateMark::EarlierRow:
        return QStringLiteral("可能重复：与 No. %1 的日期、金额和摘要都相同。").arg(marks_[size_t(row)].earlier);
    default:
        return {};
    }
}

void BatchImport::openFile()
{
    const QString purpose = QStringLiteral("导入文件");
    const QString path = context_.prompt.openFile(this, QStringLiteral("打开要导入的文件"), FileImport::filter(),
                                                  DialogFolders::start(context_.data, purpose));
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, purpose, path);
    loadFile(path);
}

bool BatchImport::loadFile(const QString &path)
{
    closeEditor(false);
    const QString name = QFileInfo(path).fileName();
    // Long files are read with a progress dialog that can stop them.
    std::unique_ptr<QProgressDialog> progress;
    const FileRows::Progress onProgress = [&](qint64 done, qint64 total) {
        if (total <= FileImport::ProgressRows)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("正在读取文件“%1”...").arg(name),
                                                         QStringLiteral("取消"), 0, 100, this);
            progress->setObjectName(QStringLiteral("Progress"));
            progress->setWindowTitle(QStringLiteral("打开文件"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
            progress->setAutoReset(false);
            progress->setAutoClose(false);
        }
        progress->setValue(int(std::min<qint64>(100, done * 100 / total)));
        return !progress->wasCanceled();
    };

    QApplication::setOverrideCursor(Qt::WaitCursor);
    FileImport files(context_.data);
    FileReading reading = files.open(path, onProgress);
    QApplication::restoreOverrideCursor();

    if (reading.kind == FileReading::Table) {
        if (progress)
            progress->hide();
        ColumnMappingDialog mapping(name, reading.table, reading.mapping, this);
        if (mapping.exec() != QDialog::Accepted)
            return false;
        const ColumnMapping chosen = mapping.mapping();
        context_.prompt.attempt(this, [&] { files.rememberMapping(reading.table, chosen); });
        if (progress)
            progress->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        bool stopped = false;
        reading.rows = reading.table.rows(chosen, onProgress, &stopped);
        reading.kind = stopped ? FileReading::Stopped : FileReading::Rows;
        QApplication::restoreOverrideCursor();
    }
    if (reading.kind == FileReading::Stopped)
        return false;
    if (reading.kind == FileReading::Failed) {
        progress.reset();
        context_.prompt.message(this, Prompt::Icon::Warning, QStringLiteral("提示"),
                                FileImport::failureText(path, reading.reason));
        return false;
    }
    if (reading.rows.empty()) {
        progress.reset();
        context_.prompt.message(this, Prompt::Icon::Warning, QStringLiteral("提示"),
                                FileImport::failureText(path, QStringLiteral("文件中没有数据。")));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    fromFile_ = true;
    showRows(FileImport::previewRows(std::move(reading.rows)));
    QApplication::restoreOverrideCursor();
    return true;
}

void BatchImport::editCell(int row, int column)
{
    if (saving_ || row < 0 || row >= list_->rowCount() || column < 1 || column >= int(columns().size()) ||
        list_->viewMode() != RecordList::Details)
        return;
    closeEditor(true);
    QTableView *view = list_->detailsView();
    const QModelIndex index = list_->model().index(row, column);
    view->scrollTo(index);
    view->setCurrentIndex(index);
    editor_ = new QLineEdit(view->viewport());
    editor_->setObjectName(QStringLiteral("CellEditor"));
    editor_->setAccessibleName(columns()[column].title);
    editor_->setGeometry(view->visualRect(index));
    editor_->setText(list_->cell(row, column));
    editor_->selectAll();
    editor_->installEventFilter(this);
    editRow_ = row;
    editColumn_ = column;
    connect(editor_, &QLineEdit::editingFinished, this, [this] { closeEditor(true); });
    editor_->show();
    editor_->setFocus();
}

void BatchImport::closeEditor(bool keep)
{
    if (!editor_)
        return;
    QLineEdit *editor = std::exchange(editor_, nullptr);
    editor->removeEventFilter(this);
    editor->disconnect(this);
    const QString text = editor->text();
    editor->setObjectName(QString());  // gone, though deleted only later
    editor->hide();
    editor->deleteLater();
    list_->detailsView()->setFocus();
    if (keep && text != list_->cell(editRow_, editColumn_))
        setCell(editRow_, editColumn_, text);
}

void BatchImport::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= list_->rowCount() || column < 1 || column >= int(columns().size()))
        return;
    QString value = text;
    if (column == 1)
        value = FileRows::dateCell(text);
    RecordRow record = list_->model().record(row);
    record.setCell(column, value);
    list_->model().setRecord(row, std::move(record));
    markDuplicates();
}

void BatchImport::removeSelected()
{
    const int row = list_->selectedRow();
    if (row < 0)
        return;
    closeEditor(false);
    list_->removeRow(row);
    markDuplicates();
}

void BatchImport::removeAll()
{
    closeEditor(false);
    list_->clear();
    marks_.clear();
}

std::vector<ImportRow> BatchImport::rows() const
{
    std::vector<ImportRow> result;
    const RecordModel &model = list_->model();
    result.reserve(size_t(model.count()));
    for (int i = 0; i < model.count(); ++i) {
        const RecordRow &r = model.record(i);
        result.push_back({r.cell(0).toInt(), r.cell(1).toString(), r.cell(2).toString(), r.cell(3).toString(),
                          r.cell(4).toString(), r.cell(5).toString(), r.cell(6).toString(), r.cell(7).toString()});
    }
    return result;
}

QString BatchImport::reportText(const ImportReport &report)
{
    QString text = report.badDate.isEmpty() && report.badAmount.isEmpty()
                       ? QStringLiteral("批量导入财务数据成功！共导入 %1 条记录。").arg(report.stored)
                       : QStringLiteral("共导入 %1 条记录。").arg(report.stored);
    if (!report.badDate.isEmpty())
        text += QStringLiteral("\r\n日期无效或不在%1之间，没有导入的行（No.）：").arg(Dates::entryDaysText()) +
                rowNumbers(report.badDate);
    if (!report.badAmount.isEmpty())
        text += QStringLiteral("\r\n金额不是数字，没有导入的行（No.）：") + rowNumbers(report.badAmount);
    return text;
}

void BatchImport::save()
{
    if (saving_)
        return;
    closeEditor(true);
    std::vector<ImportRow> pending = rows();
    if (pending.empty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
    }

    // Rows that look imported already are stored only when the user says so. The marks
    // follow every change of the rows, and nothing else writes entries while this
    // window is open.
    const std::vector<DuplicateMark> marks = marks_.size() == pending.size() ? marks_ : duplicatesOf(pending);
    const auto duplicates = std::count_if(marks.begin(), marks.end(),
                                          [](const DuplicateMark &m) { return m.kind != DuplicateMark::None; });
    bool leaveDuplicates = false;
    if (duplicates > 0) {
        leaveDuplicates =
            context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                    QStringLiteral("有 %1 条记录可能已经导入过，是否一并保存？").arg(duplicates),
                                    Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes;
    }
    std::vector<ImportRow> all;
    if (leaveDuplicates) {
        all = std::move(pending);
        pending.clear();
        for (size_t i = 0; i < all.size(); ++i)
            if (marks[i].kind == DuplicateMark::None)
                pending.push_back(all[i]);
        if (pending.empty()) {
            context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("没有保存任何记录。"));
            return;
        }
    }

    saving_ = true;
    for (QPushButton *button : buttons_)
        button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportReport report;
    bool failed = false;
    try {
        // The window keeps painting between chunks; clicks and keys wait until the end.
        report = Ledger(context_.data).importRows(pending, context_.session.CurrentAccountSetId, [](int, int) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    } catch (const StoreError &error) {
        failed = true;
        QApplication::restoreOverrideCursor();
        context_.prompt.reportError(this, error);
    }
    if (!failed)
        QApplication::restoreOverrideCursor();
    for (QPushButton *button : buttons_)
        button->setEnabled(true);
    saving_ = false;
    if (failed)
        return;

    if (leaveDuplicates) {
        // The duplicates stay, and the rows that could not be stored; the stored go.
        std::set<int> kept(report.badDate.begin(), report.badDate.end());
        kept.insert(report.badAmount.begin(), report.badAmount.end());
        for (size_t i = 0; i < all.size(); ++i)
            if (marks[i].kind != DuplicateMark::None)
                kept.insert(all[i].number);
        std::vector<ImportRow> left;
        for (const ImportRow &row : all)
            if (kept.count(row.number))
                left.push_back(row);
        showRows(left);
    } else if (fromFile_) {
        // What was stored now looks imported, so that saving twice asks first.
        std::set<int> bad(report.badDate.begin(), report.badDate.end());
        bad.insert(report.badAmount.begin(), report.badAmount.end());
        marks_ = marks;
        for (size_t i = 0; i < pending.size(); ++i) {
            const ImportRow &r = pending[i];
            const bool blank = (r.date + r.item + r.income + r.expense + r.method + r.handler + r.summary).trimmed().isEmpty();
            if (!blank && !bad.count(r.number) && marks_[i].kind == DuplicateMark::None)
                marks_[i] = {DuplicateMark::Stored, 0};
        }
        showMarks();
    }

    if (report.stored == 0 && report.badDate.isEmpty() && report.badAmount.isEmpty()) {
        // Only empty lines were pasted.
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
    }
    const bool allStored = report.badDate.isEmpty() && report.badAmount.isEmpty();
    context_.prompt.information(this, allStored ? QStringLiteral("恭喜") : QStringLiteral("信息"),
                                reportText(report));
}

bool BatchImport::eventFilter(QObject *watched, QEvent *event)
{
    if (editor_ && watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        closeEditor(false);
        return true;
    }
    if (editor_ && watched == list_->detailsView()->horizontalHeader()->viewport() &&
        event->type() == QEvent::MouseButtonPress)
        closeEditor(true);
    if (watched == list_->detailsView()->viewport() && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = list_->detailsView()->indexAt(help->pos());
        const QString text = index.isValid() ? markText(index.row()) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, list_->detailsView()->viewport());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void BatchImport::closeEvent(QCloseEvent *event)
{
    // Not while the rows are being stored.
    if (saving_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
