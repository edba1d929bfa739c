// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/batch_import.h"

#include "core/dates.h"
#include "core/money.h"
#include "accounts/accounts.h"
#include "fileimport/column_mapping_dialog.h"
#include "fileimport/import_rules.h"
#include "fileimport/import_rules_dialog.h"
#include "fileimport/statement_rows.h"
#include "ledger/transfers.h"
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
    list_->model().setCheckColumn(TickColumn);
    list_->detailsView()->installEventFilter(this);
    showTicks();

    // "打开文件..." stands beside "导入"; the older buttons keep their names.
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    const struct {
        const char *caption;
        int number;
    } buttons[] = {{"导入", 1}, {"打开文件...", 5}, {"导入规则...", 6}, {"退款冲减原消费", 7}, {"删除", 2},
                   {"删除全部", 3}, {"保存", 4}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), frame);
        button->setObjectName(QStringLiteral("Command%1").arg(b.number));
        button->setAutoDefault(false);
        buttonRow->addWidget(button);
        buttons_ << button;
    }

    status_ = new QLabel(frame);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    status_->hide();

    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(first);
    frameLayout->addWidget(second);
    frameLayout->addWidget(list_, 1);
    frameLayout->addWidget(status_);
    frameLayout->addLayout(buttonRow);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);

    connect(buttons_[0], &QPushButton::clicked, this, &BatchImport::pasteClipboard);
    connect(buttons_[1], &QPushButton::clicked, this, &BatchImport::openFile);
    connect(buttons_[2], &QPushButton::clicked, this, &BatchImport::editRules);
    connect(buttons_[3], &QPushButton::clicked, this, &BatchImport::setRefundsAgainstPurchases);
    connect(buttons_[4], &QPushButton::clicked, this, &BatchImport::removeSelected);
    connect(buttons_[5], &QPushButton::clicked, this, &BatchImport::removeAll);
    connect(buttons_[6], &QPushButton::clicked, this, &BatchImport::save);

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
            {QStringLiteral("经手人"), 1000},  {QStringLiteral("摘要"), 3000},   {QStringLiteral("说明"), 2400},
            {QStringLiteral("保存"), 600}};
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
    notes_.clear();
    skipped_.clear();
    filled_ = 0;
    opening_.reset();
    showRows(Ledger::parseImport(text));
}

void BatchImport::showRows(const std::vector<ImportRow> &parsed)
{
    marks_ = duplicatesOf(parsed);
    std::vector<RecordRow> rows;
    rows.reserve(parsed.size());
    for (size_t i = 0; i < parsed.size(); ++i) {
        const ImportRow &r = parsed[i];
        const auto note = notes_.constFind(r.number);
        const QString noteText = note == notes_.constEnd() ? QString() : note->text;
        const bool marked = marks_[i].kind != DuplicateMark::None;
        rows.emplace_back(std::initializer_list<QStringView>{QString::number(r.number), r.date, r.item, r.income,
                                                             r.expense, r.method, r.handler, r.summary, noteText},
                          marked ? 1 : 0);
        rows.back().checked = !marked;
    }
    if (list_->model().isCheckable() != fromFile_)
        list_->setCheckable(fromFile_);
    list_->setRows(std::move(rows));
    showTicks();
    const QString status = statusText();
    status_->setText(status);
    status_->setVisible(!status.isEmpty());
}

std::vector<DuplicateMark> BatchImport::duplicatesOf(const std::vector<ImportRow> &rows)
{
    if (!fromFile_)
        return std::vector<DuplicateMark>(rows.size());
    try {
        std::vector<RowNote> notes;
        notes.reserve(rows.size());
        for (const ImportRow &r : rows)
            notes.push_back(notes_.value(r.number));
        return FileImport(context_.data).duplicates(rows, context_.session.CurrentAccountSetId, notes);
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
    // A row that comes to look imported loses its tick; one that no longer does gets it.
    if (changed.size() <= 1000) {
        for (int i : changed) {
            RecordRow row = model.record(i);
            row.icon = row.icon ? 0 : 1;
            row.checked = row.icon == 0;
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
        const int icon = marks_[size_t(i)].kind == DuplicateMark::None ? 0 : 1;
        if (rows.back().icon != icon)
            rows.back().checked = icon == 0;
        rows.back().icon = icon;
    }
    list_->setRows(std::move(rows));
    showTicks();
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
    case DuplicateMark::Moved:
        return QStringLiteral("可能是同一笔：账户中已有金额和交易对方相同、日期相差不超过一天的记录（例如另一份账单中的）。");
    default:
        return {};
    }
}

void BatchImport::showTicks()
{
    QTableView *view = list_->detailsView();
    view->setColumnHidden(TickColumn, !fromFile_);
    QHeaderView *header = view->horizontalHeader();
    if (header->visualIndex(TickColumn) != 0)
        header->moveSection(header->visualIndex(TickColumn), 0);
}

bool BatchImport::ticked(int row) const
{
    if (row < 0 || row >= list_->rowCount())
        return false;
    return !list_->model().isCheckable() || list_->model().record(row).checked;
}

void BatchImport::setTicked(int row, bool ticked)
{
    if (list_->model().isCheckable() && row >= 0 && row < list_->rowCount())
        list_->model().setChecked(row, ticked);
}

void BatchImport::openFile()
{
    // A file's ticked rows are not yet stored: another file replaces them (and the user's
    // corrections) only when the user says so, as a paste does.
    int pending = 0;
    for (int row = 0; fromFile_ && row < list_->rowCount(); ++row)
        pending += ticked(row) ? 1 : 0;
    if (pending > 0 &&
        context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                QStringLiteral("预览中有 %1 条勾选的记录还没有保存，是否用另一个文件的内容替换？").arg(pending),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
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

    const int set = context_.session.CurrentAccountSetId;
    QString account;
    const bool statement = reading.kind == FileReading::Table;
    if (statement) {
        if (progress)
            progress->hide();
        // The account the statement lands in: the one chosen last for it, else the one its
        // kind and card digits point to.
        QStringList accounts;
        try {
            Accounts all(context_.data);
            for (const Account &a : all.all(set))
                if (!a.closed)
                    accounts << a.name;
            if (!reading.profile.isEmpty()) {
                account = files.rememberedAccount(reading.profile, reading.account);
                if (!accounts.contains(account)) {
                    const std::optional<Account> found = all.find(set, reading.account);
                    account = found ? found->name : QString();
                }
            }
        } catch (const StoreError &) {
            // Without the accounts the statement keeps the file's payment methods.
        }
        ColumnMappingDialog mapping(name, reading.table, reading.mapping, this, reading.profile, accounts, account);
        mapping.offerProfiles(context_, reading.profile);
        if (mapping.exec() != QDialog::Accepted)
            return false;
        const ColumnMapping chosen = mapping.mapping();
        account = mapping.account();
        context_.prompt.attempt(this, [&] {
            files.rememberMapping(reading.table, chosen);
            if (!reading.profile.isEmpty() && !account.isEmpty())
                files.rememberAccount(reading.profile, reading.account, account);
        });
        if (progress)
            progress->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        bool stopped = false;
        reading.rows = reading.table.rows(chosen, onProgress, &stopped, &reading.skipped);
        reading.kind = stopped ? FileReading::Stopped : FileReading::Rows;
        QApplication::restoreOverrideCursor();
    }
    progress.reset();
    return showReading(std::move(reading), path, account, statement);
}

bool BatchImport::showReading(FileReading reading, const QString &path, const QString &account, bool statement)
{
    const int set = context_.session.CurrentAccountSetId;
    FileImport files(context_.data);
    if (reading.kind == FileReading::Stopped)
        return false;
    if (reading.kind == FileReading::Failed) {
        context_.prompt.message(this, Prompt::Icon::Warning, QStringLiteral("提示"),
                                FileImport::failureText(path, reading.reason));
        return false;
    }
    // A QIF file's opening balance goes to the account it names, when that is one of the
    // accounts; the file's rows then land in it too.
    std::optional<OpeningBalance> opening;
    QString landing = account;
    if (reading.opening) {
        try {
            if (std::optional<Account> a = Accounts(context_.data).byName(set, reading.opening->account)) {
                opening = reading.opening;
                opening->account = a->name;
                if (landing.isEmpty())
                    landing = a->name;
            }
        } catch (const StoreError &) {
            // Without the accounts the opening balance is left out, as below.
        }
        if (!opening)
            reading.skipped.push_back({0, QStringLiteral("期初余额（账户“%1”不在账户中）").arg(reading.opening->account)});
    }
    if (reading.rows.empty() && !opening) {
        QString reason = QStringLiteral("文件中没有数据。");
        if (const QString left = skippedLinesText(reading.skipped); !left.isEmpty())
            reason = QStringLiteral("文件中没有可以导入的记录：") + left + QStringLiteral("。");
        context_.prompt.message(this, Prompt::Icon::Warning, QStringLiteral("提示"), FileImport::failureText(path, reason));
        return false;
    }
    if (!reading.currency.isEmpty()) {
        const QString question =
            QStringLiteral("文件中的金额是%1，不是人民币。账本按人民币记账，按原数导入会把外币当作人民币。\r\n"
                           "是否仍按原数导入（摘要中会注明币种）？")
                .arg(reading.currency);
        if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"), question,
                                    Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
            return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StatementPreview preview;
    try {
        preview = files.preview(reading.rows, set, landing, statement);
    } catch (const StoreError &) {
        // Without rules, history and accounts the rows come as the file has them.
        preview.rows = FileImport::previewRows(std::move(reading.rows));
    }
    notes_.clear();
    for (size_t i = 0; i < preview.rows.size() && i < preview.notes.size(); ++i)
        if (!preview.notes[i].text.isEmpty() || !preview.notes[i].counterparty.isEmpty() ||
            preview.notes[i].kind != FileRow::Entry)
            notes_.insert(preview.rows[i].number, preview.notes[i]);
    skipped_ = std::move(reading.skipped);
    filled_ = preview.filled;
    opening_ = std::move(opening);
    fromFile_ = true;
    showRows(preview.rows);
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
    const bool newItem = column == 2 && record.cell(2).toString() != value;
    const int number = record.cell(0).toInt();
    record.setCell(column, value);
    list_->model().setRecord(row, std::move(record));
    markDuplicates();
    if (newItem)
        offerRule(number, value);
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
    opening_.reset();
    if (fromFile_) {
        skipped_.clear();
        filled_ = 0;
        status_->hide();
    }
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

void BatchImport::editRules()
{
    closeEditor(true);
    ImportRulesDialog dialog(context_, this);
    dialog.exec();
}

int BatchImport::setRefundsAgainstPurchases()
{
    closeEditor(true);
    std::vector<ImportRow> all = rows();
    std::set<int> gone;
    for (const ImportRow &refund : all) {
        const RowNote note = notes_.value(refund.number);
        const std::optional<Money> amount = Money::parseGrouped(refund.income);
        if (note.kind != FileRow::Refund || note.counterparty.isEmpty() || !amount)
            continue;
        for (ImportRow &purchase : all) {
            const auto paid = Money::parseGrouped(purchase.expense);
            if (gone.count(purchase.number) || !paid || *paid < *amount ||
                notes_.value(purchase.number).kind != FileRow::Entry ||
                notes_.value(purchase.number).counterparty != note.counterparty)
                continue;
            purchase.expense = (*paid - *amount).plain();
            notes_[purchase.number].text =
                QStringLiteral("已减去退款 %1（No. %2）").arg(refund.income).arg(refund.number);
            gone.insert(refund.number);
            break;
        }
    }
    if (gone.empty()) {
        context_.prompt.information(this, QStringLiteral("信息"),
                                    QStringLiteral("没有可以冲减的退款（找不到同一交易对方、金额不少于退款的支出）。"));
        return 0;
    }
    std::vector<ImportRow> left;
    std::vector<bool> ticks;  // the user's ticks stay with their rows
    for (size_t i = 0; i < all.size(); ++i) {
        if (gone.count(all[i].number)) {
            notes_.remove(all[i].number);
        } else {
            left.push_back(std::move(all[i]));
            ticks.push_back(ticked(int(i)));
        }
    }
    showRows(left);
    for (size_t i = 0; i < ticks.size(); ++i)
        setTicked(int(i), ticks[i]);
    return int(gone.size());
}

void BatchImport::offerRule(int number, const QString &item)
{
    const RowNote note = notes_.value(number);
    const QString words = note.counterparty.trimmed();
    if (!fromFile_ || words.isEmpty() || item.trimmed().isEmpty() || note.kind != FileRow::Entry)
        return;
    const QString question = QStringLiteral("以后交易对方包含“%1”的记录都记入项目“%2”吗？\r\n"
                                            "（可以在“导入规则...”中修改）")
                                 .arg(words, item.trimmed());
    if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("导入规则"), question,
                                Prompt::Buttons::YesNo, Prompt::Answer::Yes) != Prompt::Answer::Yes)
        return;
    context_.prompt.attempt(this, [&] { ImportRules(context_.data).save({0, words, item.trimmed(), QString()}); });
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
    // Space ticks or unticks the current row of a file, whichever cell is current.
    if (watched == list_->detailsView() && event->type() == QEvent::KeyPress && list_->model().isCheckable() &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        const QModelIndex current = list_->detailsView()->currentIndex();
        if (current.isValid())
            setTicked(current.row(), !ticked(current.row()));
        return true;
    }
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
