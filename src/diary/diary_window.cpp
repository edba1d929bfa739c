// SPDX-License-Identifier: GPL-3.0-or-later
#include "diary/diary_window.h"

#include "info/product.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/key_tree.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QStyle>
#include <QVBoxLayout>

using Icons::Glyph;

namespace {


} // namespace

DiaryWindow::DiaryWindow(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), diary_(context.data)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("记事本"));
    setWindowIcon(Icons::icon(Glyph::Book));
    // Wide enough for the list's three columns beside the date frame.
    resize(13800 / 15, 7800 / 15);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(24, 24));
    const std::pair<const char *, Glyph> buttons[] = {
        {"添加日记", Glyph::Add}, {"修改", Glyph::Edit}, {"删除", Glyph::Delete}, {"关闭", Glyph::Exit}};
    for (const auto &[caption, glyph] : buttons) {
        QAction *action = toolbar_->addAction(Icons::icon(glyph), QString::fromUtf8(caption));
        // The ledger window's keys for the same commands (a diary's text keeps its own
        // Delete key while it is being written).
        const QKeySequence keys = action->text() == QStringLiteral("添加日记") ? QKeySequence(Qt::CTRL | Qt::Key_N)
                                  : action->text() == QStringLiteral("删除")   ? QKeySequence(Qt::Key_Delete)
                                                                                : QKeySequence();
        action->setShortcut(keys);
    }
    layout->addWidget(toolbar_);

    auto *centre = new QHBoxLayout;
    centre->setContentsMargins(6, 6, 6, 6);
    auto *frame = new QGroupBox(QStringLiteral("日期"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFixedWidth(2800 / 15);
    auto *frameLayout = new QVBoxLayout(frame);
    tree_ = new QTreeWidget(frame);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setAccessibleName(QStringLiteral("日期"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    frameLayout->addWidget(tree_);
    centre->addWidget(frame);

    // The list and, lying exactly over it, the editor panel.
    auto *stack = new QGridLayout;
    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("日记"));
    list_->setImageList({Icons::icon(Glyph::Note), Icons::icon(Glyph::Page), Icons::icon(Glyph::Note)});
    stack->addWidget(list_, 0, 0);
    buildEditor(this);
    stack->addWidget(editor_, 0, 0);
    centre->addLayout(stack, 1);
    layout->addLayout(centre, 1);

    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int stretch[3] = {2, 2, 3};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(panels_[i], stretch[i]);
    }
    layout->addWidget(bar);

    connect(command(QStringLiteral("添加日记")), &QAction::triggered, this, &DiaryWindow::addEntry);
    connect(command(QStringLiteral("修改")), &QAction::triggered, this, &DiaryWindow::modifyEntry);
    connect(command(QStringLiteral("删除")), &QAction::triggered, this, &DiaryWindow::deleteEntry);
    connect(command(QStringLiteral("关闭")), &QAction::triggered, this, &QDialog::reject);
    // The list follows the selected node, whether a click or a key moved it; a rebuilt
    // tree has no selection and leaves the list as it is.
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = tree_->selectedItems();
        if (!selected.isEmpty())
            nodeClicked(selected.first());
    });
    connect(list_, &RecordList::doubleClicked, this, [this] {
        // The editor panel lies over the list while it is shown.
        if (!editorShown())
            modifyEntry();
    });

    LoadDate();
    LoadData(QStringLiteral("0_"));
    LoadTreeView();
    panels_[0]->setText(QStringLiteral("当前：全部记录"));
    panels_[2]->setText(Product::webSite());
}

void DiaryWindow::buildEditor(QWidget *parent)
{
    editor_ = new QFrame(parent);
    editor_->setObjectName(QStringLiteral("Picture1"));
    editor_->setFrameShape(QFrame::StyledPanel);
    editor_->setAutoFillBackground(true);
    auto *grid = new QGridLayout(editor_);

    auto label = [this](const QString &name, const QString &text) {
        auto *l = new QLabel(text, editor_);
        l->setObjectName(name);
        return l;
    };
    title_ = new QLineEdit(editor_);
    title_->setObjectName(QStringLiteral("Text1_0"));
    time_ = new QLineEdit(editor_);
    time_->setObjectName(QStringLiteral("Text1_1"));
    // Wide enough for a time such as "2008-03-05 14:30:00" in any font.
    time_->setMinimumWidth(std::max(2400 / 15, time_->fontMetrics().horizontalAdvance(QStringLiteral("2008-03-05 14:30:00  ")) +
                                                   2 * time_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8));
    time_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    body_ = new QPlainTextEdit(editor_);
    body_->setObjectName(QStringLiteral("Text1_2"));
    body_->setLineWrapMode(QPlainTextEdit::NoWrap);
    body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    body_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    body_->setTabChangesFocus(true);
    editId_ = label(QStringLiteral("Label4"), QString());
    editId_->hide();

    grid->addWidget(label(QStringLiteral("Label1"), QStringLiteral("标    题：")), 0, 0);
    grid->addWidget(title_, 0, 1);
    grid->addWidget(label(QStringLiteral("Label3"), QStringLiteral("更新时间：")), 0, 2);
    grid->addWidget(time_, 0, 3);
    grid->addWidget(label(QStringLiteral("Label2"), QStringLiteral("内容摘要：")), 1, 0, Qt::AlignTop);
    grid->addWidget(body_, 1, 1, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *saveButton = new QPushButton(QStringLiteral("保  存"), editor_);
    saveButton->setObjectName(QStringLiteral("Command1_0"));
    auto *cancelButton = new QPushButton(QStringLiteral("取  消"), editor_);
    cancelButton->setObjectName(QStringLiteral("Command1_1"));
    for (QPushButton *button : {saveButton, cancelButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 2, 0, 1, 4);

    connect(saveButton, &QPushButton::clicked, this, &DiaryWindow::save);
    connect(cancelButton, &QPushButton::clicked, this, &DiaryWindow::cancel);
    editor_->hide();
}

QAction *DiaryWindow::command(const QString &caption) const
{
    for (QAction *action : toolbar_->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

QString DiaryWindow::panelText(int panel) const
{
    return panel >= 1 && panel <= 3 ? panels_[panel - 1]->text() : QString();
}

bool DiaryWindow::editorShown() const { return !editor_->isHidden(); }

void DiaryWindow::LoadDate() { list_->setColumns(Diary::columns()); }

void DiaryWindow::LoadData(const QString &key)
{
    std::vector<RecordRow> rows;
    try {
        rows = diary_.LoadData(key, context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        // An unreadable data file shows as an empty list.
        rows.clear();
    }
    const int count = int(rows.size());
    list_->setRows(std::move(rows));
    panels_[1]->setText(QStringLiteral("共：%1 条记录").arg(count));
}

void DiaryWindow::LoadTreeView()
{
    tree_->clear();
    KeyTree::add(tree_, QStringLiteral("全部记录"), QStringLiteral("0_"), Icons::nodeIcon(Glyph::Book, Glyph::FolderOpen));

    std::vector<DiaryYear> years;
    try {
        years = diary_.tree(context_.session.CurrentAccountSetId);
    } catch (const StoreError &) {
        years.clear();
    }
    const QIcon yearIcon = Icons::nodeIcon(Glyph::Folder, Glyph::FolderOpen);
    const QIcon monthIcon = Icons::nodeIcon(Glyph::Calendar, Glyph::FolderOpen);
    for (const DiaryYear &y : years) {
        QTreeWidgetItem *year = KeyTree::add(tree_, Diary::yearCaption(y.year), Diary::yearKey(y.year), yearIcon);
        for (const QString &m : y.months)
            KeyTree::add(year, Diary::monthCaption(m), Diary::monthKey(y.year, m), monthIcon);
    }
    tree_->collapseAll();
    tree_->setCurrentItem(nullptr);
    tree_->clearSelection();
}

QTreeWidgetItem *DiaryWindow::treeNode(const QString &key) const { return KeyTree::find(tree_, key); }

QString DiaryWindow::selectedKey() const { return KeyTree::selectedKey(tree_); }

void DiaryWindow::nodeClicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    panels_[0]->setText(QStringLiteral("当前：") + item->text(0));
    LoadData(KeyTree::key(item));
}

void DiaryWindow::textclear()
{
    title_->clear();
    time_->clear();
    body_->clear();
}

bool DiaryWindow::Load(qint64 id)
{
    const std::optional<DiaryEntry> entry =
        context_.prompt.onRecord(this, QStringLiteral("信息"), QStringLiteral("所选的日记已不存在！"),
                               [&] { return diary_.entry(context_.session.CurrentAccountSetId, id); });
    if (!entry)
        return false;
    title_->setText(entry->title);
    time_->setText(entry->time);
    body_->setPlainText(entry->body);
    editId_->setText(QString::number(id));
    return true;
}

void DiaryWindow::addEntry()
{
    textclear();
    editor_->show();
    editor_->raise();
    time_->setText(Diary::timeText(QDateTime::currentDateTime()));
    editId_->clear();
    title_->setFocus();
}

void DiaryWindow::modifyEntry()
{
    if (list_->rowCount() == 0)
        return;
    const QString id = list_->selectedId();
    if (id.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择信息修改!"));
        return;
    }
    // An entry that cannot be read is not opened: saving empty fields over it would lose it.
    if (!Load(id.toLongLong()))
        return;
    editor_->show();
    editor_->raise();
    title_->setFocus();
}

void DiaryWindow::deleteEntry()
{
    if (editorShown()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请返回记事本列表删除！"));
        return;
    }
    if (list_->rowCount() == 0)
        return;
    const int row = list_->selectedRow();
    if (row < 0) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
        return;
    }
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("确定删除选定的信息吗?")))
        return;
    const qint64 id = list_->cell(row, 1).toLongLong();
    if (!context_.prompt.attempt(this, [&] { diary_.remove(context_.session.CurrentAccountSetId, id); }))
        return;
    list_->removeRow(row);
    panels_[1]->setText(QStringLiteral("共：%1 条记录").arg(list_->rowCount()));
    LoadTreeView();
}

void DiaryWindow::save()
{
    DiaryEntry entry{editId_->text().toLongLong(), title_->text(), time_->text(), body_->toPlainText()};
    const int accountSet = context_.session.CurrentAccountSetId;
    // When nothing was stored, the panel keeps what was typed.
    const bool saved = editId_->text().isEmpty()
                           ? context_.prompt.attempt(this, [&] { diary_.add(accountSet, entry); })
                           : context_.prompt.onRecord(this, QStringLiteral("信息"), QStringLiteral("所修改的日记已不存在！"),
                                                      [&] { return diary_.modify(accountSet, entry); });
    if (!saved)
        return;
    editId_->clear();
    QString key = selectedKey();
    if (key.isEmpty()) {
        key = QStringLiteral("0_");
        panels_[0]->setText(QStringLiteral("当前：全部记录"));
    }
    LoadData(key);
    editor_->hide();
    textclear();
    LoadTreeView();
}

void DiaryWindow::cancel()
{
    editor_->hide();
    editId_->clear();
}
