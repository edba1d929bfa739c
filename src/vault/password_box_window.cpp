// SPDX-License-Identifier: GPL-3.0-or-later
#include "vault/password_box_window.h"

#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "vault/record_editor.h"
#include "vault/record_views.h"
#include "vault/vault_tree_model.h"

#include <QAction>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

using Icons::Glyph;

PasswordBoxWindow::PasswordBoxWindow(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), vault_(context.data)
{
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("密码箱与备忘录"));
    setWindowIcon(Icons::icon(Glyph::Key));
    resize(9600 / 15, 6600 / 15);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(24, 24));
    const std::tuple<const char *, const char *, Glyph> buttons[] = {
        {"添加", "添加记录", Glyph::Add}, {"修改", "修改记录", Glyph::Edit}, {"删除", "删除记录", Glyph::Delete}};
    for (const auto &[caption, description, glyph] : buttons) {
        QAction *action = toolbar_->addAction(Icons::icon(glyph), QString::fromUtf8(caption));
        action->setToolTip(QString::fromUtf8(description));
    }
    layout->addWidget(toolbar_);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(6, 0, 6, 0);
    model_ = new VaultTreeModel(this);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setAccessibleName(QStringLiteral("密码箱"));
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setFixedWidth(3000 / 15);
    tree_->setModel(model_);
    body->addWidget(tree_);
    views_ = new RecordViews(true, this);
    body->addWidget(views_, 1);
    layout->addLayout(body, 1);

    connect(command(QStringLiteral("添加")), &QAction::triggered, this, &PasswordBoxWindow::addRecord);
    connect(command(QStringLiteral("修改")), &QAction::triggered, this, &PasswordBoxWindow::modifyRecord);
    connect(command(QStringLiteral("删除")), &QAction::triggered, this, &PasswordBoxWindow::del);
    // The ledger window's keys for the same commands.
    for (const auto &[caption, keys] : {std::pair{QStringLiteral("添加"), QKeySequence(Qt::CTRL | Qt::Key_N)},
                                        std::pair{QStringLiteral("删除"), QKeySequence(Qt::Key_Delete)}}) {
        command(caption)->setShortcut(keys);
    }
    // The view follows the selected node, whether a click or a key moved it, so what it
    // shows is always what 修改 and 删除 act on.
    connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { nodeClicked(selectedNode()); });

    LoadTreeView();
    textclear();
}

QAction *PasswordBoxWindow::command(const QString &caption) const
{
    for (QAction *action : toolbar_->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

int PasswordBoxWindow::accountSet() const { return context_.session.CurrentAccountSetId; }

void PasswordBoxWindow::LoadTreeView()
{
    // The fixed groups are always there, their families open.
    for (int row = 0; row < model_->rowCount(); ++row)
        tree_->setExpanded(model_->index(row, 0), true);

    std::vector<VaultNode> records;
    try {
        records = vault_.records(accountSet());
    } catch (const StoreError &) {
        // An unreadable data file leaves the fixed groups alone in the tree.
        return;
    }
    for (const QModelIndex &group : model_->addRecords(records))
        tree_->setExpanded(group, true);
}

QModelIndex PasswordBoxWindow::selectedNode() const
{
    const QModelIndexList selected = tree_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

QString PasswordBoxWindow::selectedKey() const { return model_->key(selectedNode()); }

QString PasswordBoxWindow::selectedPath() const { return model_->path(selectedNode()); }

qint64 PasswordBoxWindow::selectedId() const { return model_->id(selectedNode()); }

void PasswordBoxWindow::renameSelected(const QString &text) { model_->setText(selectedNode(), text); }

void PasswordBoxWindow::textclear() { views_->clear(); }

void PasswordBoxWindow::LoadDate(const QString &key)
{
    std::optional<VaultRecord> record;
    try {
        record = vault_.record(accountSet(), key, model_->id(model_->indexOf(key)));
    } catch (const StoreError &) {
        record.reset();
    }
    // A record that cannot be read shows empty fields rather than another record's.
    if (record)
        views_->fill(record->fields);
    else
        views_->clear();
}

void PasswordBoxWindow::nodeClicked(const QModelIndex &index)
{
    if (!index.isValid()) {
        // Nothing selected: no record is shown.
        textclear();
        return;
    }
    const QString key = model_->key(index);
    const QString kind = Vault::kindOf(key);
    if (kind == QLatin1String("22") || key == QLatin1String("0_"))
        views_->setCaptions(Vault::networkCaptions());
    else if (kind == QLatin1String("23"))
        views_->setCaptions(Vault::bankCaptions());
    views_->showView(Vault::viewFor(key));
    if (Vault::isRecordKey(key))
        LoadDate(key);
    else
        textclear();
}

void PasswordBoxWindow::addRecord()
{
    const QString family = Vault::part(selectedKey(), 0);
    if (!selectedNode().isValid() || family == QLatin1String("0") || family == QLatin1String("1")) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择一个类别！"));
        return;
    }
    RecordEditor editor(*this, this);
    editor.exec();
}

void PasswordBoxWindow::modifyRecord()
{
    const QString key = selectedKey();
    const QString family = Vault::part(key, 0);
    if (!selectedNode().isValid() || family == QLatin1String("0") || family == QLatin1String("1") ||
        family == QLatin1String("20") || family == QLatin1String("30")) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择要修改的记录！"));
        return;
    }
    RecordEditor editor(*this, this);
    editor.setModifyMode();
    if (!editor.LoadDate(key))
        return;
    editor.exec();
    // The view shows the record as it is stored now.
    nodeClicked(selectedNode());
}

void PasswordBoxWindow::del()
{
    const QModelIndex node = selectedNode();
    if (node.isValid() && !Vault::isRecordKey(model_->key(node))) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择要删除的记录！"));
        return;
    }
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("你真的要删除当前记录吗？")))
        return;
    if (!node.isValid()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("你必须选择要删除的分组！"));
        return;
    }
    if (!context_.prompt.attempt(this, [&] { vault_.remove(accountSet(), model_->key(node), model_->id(node)); }))
        return;
    model_->clearRecords();
    LoadTreeView();
    // The rebuilt tree has no selection, so the deleted record is no longer shown.
    textclear();
}
