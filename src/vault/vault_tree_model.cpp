// SPDX-License-Identifier: GPL-3.0-or-later
#include "vault/vault_tree_model.h"

#include "ui/icons.h"

using Icons::Glyph;

namespace {

struct FixedNode {
    const char *key;
    const char *text;
    int parent;  // node number, -1 for a root
};

const FixedNode FixedNodes[] = {
    {"0_", "密码箱", -1}, {"20_22_", "网络帐户", 0}, {"20_23_", "银行帐户", 0}, {"20_24_", "其它", 0},
    {"1_", "备忘录", -1}, {"30_25_", "纪事", 4},     {"30_26_", "其它", 4},
};

} // namespace

VaultTreeModel::VaultTreeModel(QObject *parent)
    : QAbstractItemModel(parent), fixedIcon_(Icons::nodeIcon(Glyph::Folder, Glyph::Edit)),
      recordIcon_(Icons::nodeIcon(Glyph::Key, Glyph::Edit))
{
    for (const FixedNode &fixed : FixedNodes) {
        const int n = int(nodes_.size());
        nodes_.push_back({QString::fromLatin1(fixed.key), QString::fromUtf8(fixed.text), 0, fixed.parent, {}});
        byKey_.insert(nodes_.back().key, n);
        if (fixed.parent < 0)
            roots_ << n;
        else
            nodes_[size_t(fixed.parent)].children << n;
    }
}

void VaultTreeModel::clearRecords()
{
    beginResetModel();
    nodes_.resize(FixedCount);
    for (Node &node : nodes_)
        if (node.parent >= 0)
            node.children.clear();
    byKey_.clear();
    for (int n = 0; n < FixedCount; ++n)
        byKey_.insert(nodes_[size_t(n)].key, n);
    endResetModel();
}

QList<QModelIndex> VaultTreeModel::addRecords(const std::vector<VaultNode> &records)
{
    // Gather the new nodes of each group first, then insert each group's in one step.
    QHash<int, QList<int>> added;
    for (const VaultNode &record : records) {
        if (!Vault::isRecordKey(record.key) || byKey_.contains(record.key))
            continue;
        const int group = byKey_.value(record.group, -1);
        if (group < 0 || group >= FixedCount || nodes_[size_t(group)].parent < 0)
            continue;
        const int n = int(nodes_.size());
        nodes_.push_back({record.key, record.title, record.id, group, {}});
        byKey_.insert(record.key, n);
        added[group] << n;
    }
    if (added.isEmpty())
        return {};

    QList<QModelIndex> groups;
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        Node &group = nodes_[size_t(it.key())];
        const QModelIndex groupIndex = indexOfNode(it.key());
        beginInsertRows(groupIndex, 0, int(it.value().size()) - 1);
        group.children = it.value() + group.children;
        endInsertRows();
        groups << groupIndex;
    }
    return groups;
}

int VaultTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? int(index.internalId()) : -1;
}

int VaultTreeModel::rowOf(int node) const
{
    const int parent = nodes_[size_t(node)].parent;
    return int(parent < 0 ? roots_.indexOf(node) : nodes_[size_t(parent)].children.indexOf(node));
}

QModelIndex VaultTreeModel::indexOfNode(int node) const
{
    return node < 0 ? QModelIndex() : createIndex(rowOf(node), 0, quintptr(node));
}

QModelIndex VaultTreeModel::indexOf(const QString &key) const { return indexOfNode(byKey_.value(key, -1)); }

QString VaultTreeModel::key(const QModelIndex &index) const
{
    const int n = nodeOf(index);
    return n < 0 ? QString() : nodes_[size_t(n)].key;
}

qint64 VaultTreeModel::id(const QModelIndex &index) const
{
    const int n = nodeOf(index);
    return n < 0 ? 0 : nodes_[size_t(n)].id;
}

QString VaultTreeModel::text(const QModelIndex &index) const
{
    const int n = nodeOf(index);
    return n < 0 ? QString() : nodes_[size_t(n)].text;
}

QString VaultTreeModel::path(const QModelIndex &index) const
{
    QStringList texts;
    for (int n = nodeOf(index); n >= 0; n = nodes_[size_t(n)].parent)
        texts.prepend(nodes_[size_t(n)].text);
    return texts.join(u'\\');
}

void VaultTreeModel::setText(const QModelIndex &index, const QString &text)
{
    const int n = nodeOf(index);
    if (n < 0)
        return;
    nodes_[size_t(n)].text = text;
    emit dataChanged(index, index, {Qt::DisplayRole});
}

QStringList VaultTreeModel::childTexts(const QString &key) const
{
    QStringList texts;
    const int n = byKey_.value(key, -1);
    if (n >= 0)
        for (int child : nodes_[size_t(n)].children)
            texts << nodes_[size_t(child)].text;
    return texts;
}

QModelIndex VaultTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    const int p = nodeOf(parent);
    const QList<int> &children = p < 0 ? roots_ : nodes_[size_t(p)].children;
    if (row >= children.size())
        return {};
    return createIndex(row, 0, quintptr(children[row]));
}

QModelIndex VaultTreeModel::parent(const QModelIndex &index) const
{
    const int n = nodeOf(index);
    return n < 0 ? QModelIndex() : indexOfNode(nodes_[size_t(n)].parent);
}

int VaultTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const int p = nodeOf(parent);
    return int(p < 0 ? roots_.size() : nodes_[size_t(p)].children.size());
}

int VaultTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant VaultTreeModel::data(const QModelIndex &index, int role) const
{
    const int n = nodeOf(index);
    if (n < 0)
        return {};
    const Node &node = nodes_[size_t(n)];
    switch (role) {
    case Qt::DisplayRole:
        return node.text;
    case Qt::DecorationRole:
        return n < FixedCount ? fixedIcon_ : recordIcon_;
    case KeyRole:
        return node.key;
    case IdRole:
        return node.id;
    default:
        return {};
    }
}
