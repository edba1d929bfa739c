// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vault/vault.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>

#include <vector>

// The password box's tree: the seven fixed nodes (密码箱 with 网络帐户, 银行帐户, 其它;
// 备忘录 with 纪事, 其它) and the records under their groups. A light model, so that
// tens of thousands of records load without a widget item each.
class VaultTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole, IdRole };

    explicit VaultTreeModel(QObject *parent = nullptr);

    // Back to the fixed nodes alone.
    void clearRecords();
    // Adds the records whose keys are not in the tree yet under their groups, before the
    // records already there (records come newest first). A record whose group is not one
    // of the fixed groups is left out. Returns the groups that received records.
    QList<QModelIndex> addRecords(const std::vector<VaultNode> &records);

    QModelIndex indexOf(const QString &key) const;
    QString key(const QModelIndex &index) const;
    qint64 id(const QModelIndex &index) const;
    QString text(const QModelIndex &index) const;
    // The texts from the root down, joined by "\".
    QString path(const QModelIndex &index) const;
    void setText(const QModelIndex &index, const QString &text);
    // The records under a group, top to bottom.
    QStringList childTexts(const QString &key) const;
    int recordCount() const { return int(nodes_.size()) - FixedCount; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    static constexpr int FixedCount = 7;
    struct Node {
        QString key;
        QString text;
        qint64 id = 0;
        int parent = -1;
        QList<int> children;
    };
    int nodeOf(const QModelIndex &index) const;
    int rowOf(int node) const;
    QModelIndex indexOfNode(int node) const;

    std::vector<Node> nodes_;
    QList<int> roots_;
    QHash<QString, int> byKey_;
    QIcon fixedIcon_;
    QIcon recordIcon_;
};
