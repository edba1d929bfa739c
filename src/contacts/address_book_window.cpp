// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/address_book_window.h"

#include "contacts/add_group_dialog.h"
#include "contacts/change_icon_dialog.h"
#include "contacts/contact_editor.h"
#include "contacts/contact_images.h"
#include "contacts/export_wizard.h"
#include "contacts/group_tree.h"
#include "contacts/import_wizard.h"
#include "contacts/move_contact_dialog.h"
#include "store/sqlite_db.h"
#include "ui/icons.h"
#include "ui/key_tree.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAbstractItemDelegate>
#include <functional>
#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using Icons::Glyph;

namespace {

// Listens for the right mouse button released over a widget.
class RightRelease : public QObject {
public:
    RightRelease(QWidget *watched, std::function<void(const QPoint &)> handler)
        : QObject(watched), handler_(std::move(handler))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::RightButton)
                handler_(mouse->globalPosition().toPoint());
        }
        return false;
    }

private:
    std::function<void(const QPoint &)> handler_;
};

} // namespace

AddressBookWindow::AddressBookWindow(const AppContext &context, QWidget *parent)
    : QDialog(parent), context_(context), book_(context.data)
{
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("通信薄"));
    setWindowIcon(Icons::icon(Glyph::Contact));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(860, 540);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();
    buildToolbar();
    layout->addWidget(toolbar_);

    auto *centre = new QHBoxLayout;
    centre->setContentsMargins(6, 6, 6, 6);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setAccessibleName(QStringLiteral("分组"));
    tree_->setHeaderHidden(true);
    tree_->setFixedWidth(200);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    centre->addWidget(tree_);
    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("联系人"));
    list_->setImageList(ContactImages::imageList());
    centre->addWidget(list_, 1);
    layout->addLayout(centre, 1);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(status);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        status->addWidget(panels_[i], 1);
    }
    layout->addWidget(status);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (!rebuilding_ && current)
            nodeChosen(current);
    });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        // A click on the node that is already listed has been handled as it became current.
        if (item && KeyTree::key(item) != listedKey_)
            nodeChosen(item);
    });
    new RightRelease(tree_->viewport(), [this](const QPoint &pos) { groupMenu_->popup(pos); });
    connect(tree_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, &AddressBookWindow::renameFinished);
    connect(list_, &RecordList::doubleClicked, this, &AddressBookWindow::modifyContact);

    LoadDate();
    LoadData(AddressBook::allKey());
    LoadTreeView();
    panels_[0]->setText(QStringLiteral("当前：") + AddressBook::allCaption());
}

void AddressBookWindow::buildMenus()
{
    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar1"));
    layout()->setMenuBar(bar);

    auto item = [this](QMenu *menu, const QString &name, const QString &caption, void (AddressBookWindow::*slot)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    groupMenu_ = bar->addMenu(QStringLiteral("分组管理"));
    groupMenu_->setObjectName(QStringLiteral("menu"));
    item(groupMenu_, QStringLiteral("menu1"), QStringLiteral("添加分组"), &AddressBookWindow::addGroup)
        ->setIcon(Icons::icon(Glyph::FolderOpen));
    item(groupMenu_, QStringLiteral("menu2"), QStringLiteral("添加子分组"), &AddressBookWindow::addSubGroup);
    item(groupMenu_, QStringLiteral("menu3"), QStringLiteral("删除分组"), &AddressBookWindow::deleteGroup)
        ->setIcon(Icons::icon(Glyph::Delete));
    item(groupMenu_, QStringLiteral("menu5"), QStringLiteral("更改图标"), &AddressBookWindow::changeIcon);
    item(groupMenu_, QStringLiteral("menu4"), QStringLiteral("重命名"), &AddressBookWindow::renameGroup)
        ->setIcon(Icons::icon(Glyph::Edit));

    QMenu *members = bar->addMenu(QStringLiteral("成员管理"));
    members->setObjectName(QStringLiteral("master"));
    // The keys the ledger's window uses for the same commands. Enter on the list opens the
    // selected record as a double-click does; the menu only shows the key.
    auto keys = [](QAction *action, const QKeySequence &sequence, Qt::ShortcutContext where = Qt::WindowShortcut) {
        action->setShortcut(sequence);
        action->setShortcutContext(where);
        return action;
    };
    keys(item(members, QStringLiteral("add_new"), QStringLiteral("添加记录"), &AddressBookWindow::addContact),
         QKeySequence(Qt::CTRL | Qt::Key_N))
        ->setIcon(Icons::icon(Glyph::Add));
    keys(item(members, QStringLiteral("edit"), QStringLiteral("修改记录"), &AddressBookWindow::modifyContact),
         QKeySequence(Qt::Key_Return), Qt::WidgetShortcut)
        ->setIcon(Icons::icon(Glyph::Edit));
    keys(item(members, QStringLiteral("del"), QStringLiteral("删除记录"), &AddressBookWindow::deleteContact),
         QKeySequence(Qt::Key_Delete))
        ->setIcon(Icons::icon(Glyph::Delete));
    members->addSeparator()->setObjectName(QStringLiteral("q1"));
    item(members, QStringLiteral("opennew"), QStringLiteral("转移至其它组下"), &AddressBookWindow::moveContact);

    QMenu *tools = bar->addMenu(QStringLiteral("工具"));
    tools->setObjectName(QStringLiteral("tools"));
    keys(item(tools, QStringLiteral("tool1"), QStringLiteral("导入"), &AddressBookWindow::importContacts),
         QKeySequence(Qt::CTRL | Qt::Key_I))
        ->setIcon(Icons::icon(Glyph::Import));
    keys(item(tools, QStringLiteral("Export"), QStringLiteral("导出"), &AddressBookWindow::exportContacts),
         QKeySequence(Qt::CTRL | Qt::Key_E))
        ->setIcon(Icons::icon(Glyph::Export));
}

void AddressBookWindow::buildToolbar()
{
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(24, 24));
    toolbar_->addAction(Icons::icon(Glyph::Add), QStringLiteral("添加记录"));
    toolbar_->addAction(Icons::icon(Glyph::Edit), QStringLiteral("修改记录"));
    toolbar_->addAction(Icons::icon(Glyph::Delete), QStringLiteral("删除记录"));
    toolbar_->addSeparator();
    toolbar_->addAction(Icons::icon(Glyph::Import), QStringLiteral("导入"));
    toolbar_->addAction(Icons::icon(Glyph::Export), QStringLiteral("导出"));
    connect(toolbar_, &QToolBar::actionTriggered, this, &AddressBookWindow::toolbarClicked);
}

void AddressBookWindow::toolbarClicked(QAction *action)
{
    const QString text = action ? action->text() : QString();
    if (text == QStringLiteral("添加记录"))
        addContact();
    else if (text == QStringLiteral("修改记录"))
        modifyContact();
    else if (text == QStringLiteral("删除记录"))
        deleteContact();
    else if (text == QStringLiteral("导入"))
        importContacts();
    else if (text == QStringLiteral("导出"))
        exportContacts();
}

void AddressBookWindow::LoadDate() { list_->setColumns(AddressBook::columns()); }

void AddressBookWindow::LoadData(const QString &key)
{
    std::vector<RecordRow> rows;
    try {
        rows = book_.LoadData(key);
    } catch (const StoreError &) {
        // An unreadable data file shows as an empty list.
        rows.clear();
    }
    list_->setRows(std::move(rows));
    listedKey_ = key;
    showCount();
}

void AddressBookWindow::showCount()
{
    panels_[1]->setText(QStringLiteral("共：%1 条记录").arg(list_->rowCount()));
}

void AddressBookWindow::LoadTreeView()
{
    std::vector<ContactGroup> groups;
    try {
        groups = book_.groups();
    } catch (const StoreError &) {
        groups.clear();
    }
    rebuilding_ = true;
    renaming_ = nullptr;
    GroupTree::fill(tree_, groups, true);
    tree_->setCurrentItem(tree_->topLevelItem(0));
    rebuilding_ = false;
}

QTreeWidgetItem *AddressBookWindow::node(const QString &key) const { return KeyTree::find(tree_, key); }

QString AddressBookWindow::currentKey() const { return KeyTree::key(tree_->currentItem()); }

QString AddressBookWindow::panelText(int panel) const
{
    return panel >= 1 && panel <= 2 ? panels_[panel - 1]->text() : QString();
}

void AddressBookWindow::nodeChosen(QTreeWidgetItem *item)
{
    LoadData(KeyTree::key(item));
    panels_[0]->setText(QStringLiteral("当前：") + item->text(0));
}

// Groups.

void AddressBookWindow::addGroup()
{
    AddGroupDialog dialog(context_, currentKey(), this);
    connect(&dialog, &AddGroupDialog::added, this, &AddressBookWindow::LoadTreeView);
    dialog.exec();
}

void AddressBookWindow::addSubGroup()
{
    AddGroupDialog dialog(context_, currentKey(), this);
    dialog.setSubGroupMode();
    connect(&dialog, &AddGroupDialog::added, this, &AddressBookWindow::LoadTreeView);
    dialog.exec();
}

void AddressBookWindow::deleteGroup()
{
    QTreeWidgetItem *item = tree_->currentItem();
    if (!item) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("你必须选择要删除的分组！"));
        return;
    }
    if (item == tree_->topLevelItem(0))
        return;
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("你真的要删除当前分组吗？")))
        return;
    if (!context_.prompt.attempt(this, [&] { book_.deleteGroup(KeyTree::key(item)); }))
        return;
    LoadTreeView();
}

void AddressBookWindow::changeIcon()
{
    QTreeWidgetItem *item = tree_->currentItem();
    if (!item || item == tree_->topLevelItem(0))
        return;
    ChangeIconDialog dialog(context_, KeyTree::key(item), this);
    connect(&dialog, &ChangeIconDialog::iconChanged, this, [this](const QString &key, int image) {
        if (QTreeWidgetItem *changed = node(key))
            changed->setIcon(0, ContactImages::image(image));
    });
    dialog.exec();
}

void AddressBookWindow::renameGroup()
{
    QTreeWidgetItem *item = tree_->currentItem();
    if (!item || item == tree_->topLevelItem(0))
        return;
    renaming_ = item;
    nameBeforeRename_ = item->text(0);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    tree_->editItem(item, 0);
}

void AddressBookWindow::renameFinished()
{
    QTreeWidgetItem *item = renaming_;
    renaming_ = nullptr;
    if (!item)
        return;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    const QString name = item->text(0);
    if (name == nameBeforeRename_)
        return;
    if (name.trimmed().isEmpty()) {
        item->setText(0, nameBeforeRename_);
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("分类目录不能为空！"));
        return;
    }
    const QString key = KeyTree::key(item);
    if (!context_.prompt.attempt(this, [&] { book_.renameGroup(key, name); })) {
        item->setText(0, nameBeforeRename_);
        return;
    }
    if (key == listedKey_)
        panels_[0]->setText(QStringLiteral("当前：") + name);
}

// Contacts.

bool AddressBookWindow::contactSelected()
{
    if (!list_->selectedId().isEmpty())
        return true;
    context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择记录！"));
    return false;
}

void AddressBookWindow::addContact()
{
    const QString key = currentKey();
    if (key.isEmpty() || key == AddressBook::allKey()) {
        context_.prompt.information(this, QStringLiteral("选择分组"),
                                    QStringLiteral("请选择要添加至通信类的分组！\r\n请从左边的列表中选择。"));
        return;
    }
    ContactEditor editor(context_, this);
    editor.setAddMode(key);
    connect(&editor, &ContactEditor::saved, this, [this] { LoadData(currentKey()); });
    editor.exec();
}

void AddressBookWindow::modifyContact()
{
    if (!contactSelected())
        return;
    ContactEditor editor(context_, this);
    if (!editor.setModifyMode(list_->selectedId().toLongLong()))
        return;
    connect(&editor, &ContactEditor::saved, this, [this] { LoadData(currentKey()); });
    editor.exec();
}

void AddressBookWindow::deleteContact()
{
    if (!contactSelected())
        return;
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("确定删除选定的信息吗?")))
        return;
    const int row = list_->selectedRow();
    if (!context_.prompt.attempt(this, [&] { book_.deleteContact(list_->selectedId().toLongLong()); }))
        return;
    list_->removeRow(row);
    showCount();
}

void AddressBookWindow::moveContact()
{
    if (!contactSelected())
        return;
    const int row = list_->selectedRow();
    MoveContactDialog dialog(context_, list_->selectedId().toLongLong(), this);
    connect(&dialog, &MoveContactDialog::moved, this, [this, row](const QString &key) {
        if (key != currentKey()) {
            list_->removeRow(row);
            showCount();
        }
    });
    dialog.exec();
}

void AddressBookWindow::importContacts()
{
    ImportWizard wizard(context_, currentKey().isEmpty() ? AddressBook::allKey() : currentKey(), this);
    connect(&wizard, &ImportWizard::imported, this, [this] { LoadData(AddressBook::allKey()); });
    wizard.exec();
}

void AddressBookWindow::exportContacts()
{
    ExportWizard wizard(context_, currentKey().isEmpty() ? AddressBook::allKey() : currentKey(), this);
    wizard.exec();
}
