// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue_manager.h"

#include "catalogue/add_node_dialog.h"
#include "catalogue/catalogue.h"
#include "store/sqlite_db.h"
#include "ui/prompt.h"

#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QHash>
#include <QMetaObject>
#include <QPushButton>
#include <QStackedLayout>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

CatalogueManager::CatalogueManager(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("CatalogueManager"));
    setWindowTitle(QStringLiteral("软件设置"));
    setModal(true);
    resize(5400 / 15, 6600 / 15);

    tabs_ = new QTabBar(this);
    tabs_->setObjectName(QStringLiteral("TabStrip1"));
    tabs_->setAccessibleName(QStringLiteral("目录"));
    tabs_->setExpanding(false);
    for (int kind = Catalogue::Items; kind <= Catalogue::AccountSets; ++kind)
        tabs_->addTab(Catalogue::tabCaption(kind));

    // The four trees lie in the same place; only the selected tab's is shown.
    auto *page = new QWidget(this);
    auto *stack = new QStackedLayout(page);
    stack->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        auto *tree = new QTreeWidget(page);
        tree->setObjectName(QStringLiteral("TreeView%1").arg(i + 1));
        tree->setAccessibleName(Catalogue::tabCaption(Catalogue::Items + i));
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setUniformRowHeights(true);
        // Labels are edited only through "修改".
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        trees_[i] = tree;
        stack->addWidget(tree);
        connect(tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) { labelEdited(item); });
        connect(tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { editing_ = nullptr; });
    }

    addButton_ = new QPushButton(QStringLiteral("添加"), this);
    addButton_->setObjectName(QStringLiteral("Command1"));
    renameButton_ = new QPushButton(QStringLiteral("修改"), this);
    renameButton_->setObjectName(QStringLiteral("Command2"));
    deleteButton_ = new QPushButton(QStringLiteral("删除"), this);
    deleteButton_->setObjectName(QStringLiteral("Command3"));
    for (QPushButton *button : {addButton_, renameButton_, deleteButton_})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton_);
    buttons->addWidget(renameButton_);
    buttons->addWidget(deleteButton_);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(page, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(tabs_, &QTabBar::currentChanged, this, &CatalogueManager::showTab);
    connect(addButton_, &QPushButton::clicked, this, &CatalogueManager::addNode);
    connect(renameButton_, &QPushButton::clicked, this, &CatalogueManager::renameNode);
    connect(deleteButton_, &QPushButton::clicked, this, &CatalogueManager::deleteNode);

    LoadTreeView();
    showTab(0);
}

void CatalogueManager::LoadTreeView()
{
    editing_ = nullptr;
    for (int i = 0; i < 4; ++i)
        fillTree(trees_[i], Catalogue::Items + i);
}

void CatalogueManager::fillTree(QTreeWidget *tree, int kind)
{
    tree->clear();
    std::vector<CatalogueNode> rows;
    try {
        rows = Catalogue(context_.data).nodes(kind);
    } catch (const StoreError &) {
        return;  // an unreadable data file leaves the tree empty
    }

    // Rows come parents first; a row whose parent is not in the tree is left out.
    QHash<QString, QTreeWidgetItem *> byKey;
    byKey.reserve(int(rows.size()));
    QList<QTreeWidgetItem *> topLevel;
    QTreeWidgetItem *lastChild = nullptr;
    for (const CatalogueNode &row : rows) {
        QTreeWidgetItem *item = nullptr;
        if (row.parent != QLatin1String("0")) {
            QTreeWidgetItem *parent = byKey.value(row.parent.trimmed());
            if (!parent)
                continue;
            item = new QTreeWidgetItem(parent, {row.text});
            lastChild = item;
        } else {
            item = new QTreeWidgetItem(QStringList{row.text});
            topLevel << item;
        }
        item->setData(0, KeyRole, row.key);
        item->setData(0, IdRole, row.id);
        if (!byKey.contains(row.key))
            byKey.insert(row.key, item);
    }
    tree->addTopLevelItems(topLevel);
    // Every parent is open, and the last node added under one is scrolled into view.
    for (QTreeWidgetItem *item : std::as_const(topLevel))
        if (item->childCount() > 0)
            item->setExpanded(true);
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value()->parent() && it.value()->childCount() > 0)
            it.value()->setExpanded(true);
    if (lastChild)
        tree->scrollToItem(lastChild);
}

void CatalogueManager::showTab(int index)
{
    if (index < 0 || index > 3)
        return;
    if (tabs_->currentIndex() != index)
        tabs_->setCurrentIndex(index);
    auto *stack = static_cast<QStackedLayout *>(trees_[index]->parentWidget()->layout());
    stack->setCurrentWidget(trees_[index]);
}

int CatalogueManager::currentTab() const { return tabs_->currentIndex(); }

QTreeWidget *CatalogueManager::visibleTree() const { return trees_[qBound(0, currentTab(), 3)]; }

QTreeWidgetItem *CatalogueManager::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = visibleTree()->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem *CatalogueManager::node(int tab, const QString &key) const { return KeyTree::find(trees_[tab], key); }

void CatalogueManager::addNode()
{
    const int kind = Catalogue::Items + currentTab();
    QString parentKey;
    if (kind == Catalogue::Items) {
        // Items go directly under the income or the expense root.
        QTreeWidgetItem *selected = selectedNode();
        if (!selected || selected->parent() || !Catalogue::isProtected(selected->text(0))) {
            context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择收入或支出节点进行添加！"));
            return;
        }
        parentKey = KeyTree::key(selected);
    }
    AddNodeDialog dialog(context_, this);
    dialog.setWindowTitle(Catalogue::dialogTitle(kind));
    dialog.setParentKey(parentKey);
    connect(&dialog, &AddNodeDialog::nodeAdded, this, &CatalogueManager::LoadTreeView);
    dialog.exec();
}

void CatalogueManager::renameNode()
{
    QTreeWidgetItem *selected = selectedNode();
    if (!selected || Catalogue::isProtected(selected->text(0))) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("这个不能修改哦！"));
        return;
    }
    QTreeWidget *tree = visibleTree();
    selected->setFlags(selected->flags() | Qt::ItemIsEditable);
    editing_ = selected;
    editingText_ = selected->text(0);
    tree->editItem(selected, 0);
}

void CatalogueManager::labelEdited(QTreeWidgetItem *item)
{
    if (!item || item != editing_)
        return;
    editing_ = nullptr;  // the text put back below must not come here again
    const QString text = item->text(0);
    const qint64 id = item->data(0, IdRole).toLongLong();
    const std::optional<bool> renamed =
        context_.prompt.attempt(this, [&] { return Catalogue(context_.data).rename(id, text); });
    if (!renamed) {
        item->setText(0, editingText_);
    } else if (!*renamed) {
        // The row went away in the meantime: show the lists as they are, once the
        // editor has closed.
        QMetaObject::invokeMethod(this, &CatalogueManager::LoadTreeView, Qt::QueuedConnection);
    }
}

void CatalogueManager::deleteNode()
{
    QTreeWidgetItem *selected = selectedNode();
    if (!selected || Catalogue::isProtected(selected->text(0))) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("这个不能删除哦！"));
        return;
    }
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("你真的要删除当前分组吗？")))
        return;

    const qint64 id = selected->data(0, IdRole).toLongLong();
    Catalogue catalogue(context_.data);
    try {
        if (currentTab() == Catalogue::AccountSets - 1 && catalogue.accountSetInUse(id)) {
            context_.prompt.information(this, QStringLiteral("错误"),
                                        QStringLiteral("请确认此账套没被使用，错误由以下原因！\r\n"
                                                       "1.用户帐户中设置此账套；\r\n"
                                                       "2.财务在此账套中添加财务数据；\r\n"
                                                       "3.密码保险箱，记事本；\r\n"
                                                       "4.请将账户中的账套修改及删除此账套中的数据。"));
            return;
        }
        // A payment method is an account: one that entries or transfers name stays.
        if (currentTab() == Catalogue::Methods - 1)
            if (const qint64 uses = catalogue.methodUses(id); uses > 0) {
                context_.prompt.information(this, QStringLiteral("提示"),
                                            QStringLiteral("账户“%1”还有 %2 条记录（收支或转账），不能删除。"
                                                           "可以在“账户...”中把这些记录移到另一个账户后删除它。")
                                                .arg(selected->text(0))
                                                .arg(uses));
                return;
            }
        if (!catalogue.remove(id))
            context_.prompt.information(this, QStringLiteral("错误"), QStringLiteral("你必须选择要删除的分组！"));
    } catch (const StoreError &error) {
        context_.prompt.reportError(this, error);
        return;
    }
    LoadTreeView();
}
