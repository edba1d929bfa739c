#include "ledger/batch_import.h"

#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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
    auto *first = new QLabel(QStringLiteral("请在Office Excel表中建好以下表格，然后复制Excel表中的数据"), frame);
    first->setObjectName(QStringLiteral("Label1"));
    auto *second = new QLabel(QStringLiteral("除下表中的No列以外，按[导入]按钮即可。"), frame);
    second->setObjectName(QStringLiteral("Label2"));

    list_ = new RecordList(frame);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setIdColumn(0);
    list_->setColumns(columns());
    list_->setGridLines(true);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    const char *const captions[] = {"导入", "删除", "删除全部", "保存"};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString::fromUtf8(captions[i]), frame);
        button->setObjectName(QStringLiteral("Command%1").arg(i + 1));
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
    connect(buttons_[1], &QPushButton::clicked, this, &BatchImport::removeSelected);
    connect(buttons_[2], &QPushButton::clicked, this, &BatchImport::removeAll);
    connect(buttons_[3], &QPushButton::clicked, this, &BatchImport::save);
}

QList<RecordColumn> BatchImport::columns()
{
    return {{QStringLiteral("No."), 500},      {QStringLiteral("日  期"), 1800},  {QStringLiteral("项目"), 1500},
            {QStringLiteral("收入"), 1200},    {QStringLiteral("支出"), 1200},    {QStringLiteral("收支方式"), 1000},
            {QStringLiteral("经手人"), 1000},  {QStringLiteral("摘要"), 3000}};
}

void BatchImport::pasteClipboard() { paste(QGuiApplication::clipboard()->text()); }

void BatchImport::paste(const QString &text)
{
    std::vector<ImportRow> parsed = Ledger::parseImport(text);
    std::vector<RecordRow> rows;
    rows.reserve(parsed.size());
    for (const ImportRow &r : parsed)
        rows.emplace_back(std::initializer_list<QStringView>{QString::number(r.number), r.date, r.item, r.income,
                                                             r.expense, r.method, r.handler, r.summary});
    list_->setRows(std::move(rows));
}

void BatchImport::removeSelected()
{
    const int row = list_->selectedRow();
    if (row >= 0)
        list_->removeRow(row);
}

void BatchImport::removeAll() { list_->clear(); }

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
        text += QStringLiteral("\r\n日期无效，没有导入的行（No.）：") + rowNumbers(report.badDate);
    if (!report.badAmount.isEmpty())
        text += QStringLiteral("\r\n金额不是数字，没有导入的行（No.）：") + rowNumbers(report.badAmount);
    return text;
}

void BatchImport::save()
{
    if (saving_)
        return;
    const std::vector<ImportRow> pending = rows();
    if (pending.empty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
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

    if (report.stored == 0 && report.badDate.isEmpty() && report.badAmount.isEmpty()) {
        // Only empty lines were pasted.
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("导入数据为空！导入失败！"));
        return;
    }
    const bool allStored = report.badDate.isEmpty() && report.badAmount.isEmpty();
    context_.prompt.information(this, allStored ? QStringLiteral("恭喜") : QStringLiteral("信息"),
                                reportText(report));
}

void BatchImport::closeEvent(QCloseEvent *event)
{
    // Not while the rows are being stored.
    if (saving_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
