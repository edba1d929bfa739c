// SPDX-License-Identifier: GPL-3.0-or-later
#include "vault/vault.h"

#include "store/data_file.h"
#include "ui/formats.h"
#include "core/time_keys.h"

QString Vault::networkCaptions()
{
    return QStringLiteral("标    题：，用户名称：，密    码：，网络链接：，邮箱地址：，备注信息：");
}

QString Vault::bankCaptions()
{
    return QStringLiteral("开户银行：，用户名称：，帐    号：，卡    号：，密    码：，备注信息：");
}

QStringList Vault::captions(const QString &joined) { return joined.split(QStringLiteral("，")); }

QString Vault::part(const QString &key, int n) { return key.split(u'_').value(n); }

VaultView Vault::viewFor(const QString &key)
{
    const QString kind = kindOf(key);
    if (kind == QLatin1String("24"))
        return VaultView::Other;
    if (kind == QLatin1String("25") || kind == QLatin1String("26") || part(key, 0) == QLatin1String("1"))
        return VaultView::Memo;
    return VaultView::SixFields;
}

QString Vault::familyPrefix(const QString &rootCaption)
{
    return rootCaption == QStringLiteral("密码箱") ? QStringLiteral("20_") : QStringLiteral("30_");
}

QString Vault::groupKey(const QString &familyPrefix, const QString &kind) { return familyPrefix + kind + u'_'; }

std::vector<VaultNode> Vault::records(int accountSet)
{
    std::vector<VaultNode> nodes;
    Statement st = data_.query(
        QStringLiteral("select id, parent, key_1, t0 from blank where muluID=? order by id desc"), {accountSet});
    while (st.step())
        nodes.push_back({st.integer(0), st.text(1), st.text(2).trimmed(), st.text(3)});
    return nodes;
}

std::optional<VaultRecord> Vault::record(int accountSet, const QString &key, qint64 id)
{
    const QString columns = QStringLiteral("select id, parent, key_1, t0, t1, t2, t3, t4, content from blank ");
    // Files written before keys were made unique may hold one key twice; the tree shows
    // the newest of them, so that is the one a key alone stands for.
    Statement st = id > 0 ? data_.query(columns + QStringLiteral("where id=? and muluID=? and parent=?"),
                                        {id, accountSet, key})
                          : data_.query(columns + QStringLiteral("where muluID=? and parent=? order by id desc limit 1"),
                                        {accountSet, key});
    if (!st.step())
        return std::nullopt;
    VaultRecord r;
    r.id = st.integer(0);
    r.key = st.text(1);
    r.group = st.text(2).trimmed();
    r.fields = {st.text(3), st.text(4), st.text(5), st.text(6), st.text(7), Formats::fromStoredText(st.text(8))};
    return r;
}

bool Vault::keyTaken(const QString &key)
{
    Statement st = data_.query(QStringLiteral("select 1 from blank where parent=? limit 1"), {key});
    return st.step();
}

VaultRecord Vault::add(int accountSet, const QString &familyPrefix, const QString &kind, VaultView view,
                       const VaultFields &fields, const QDateTime &now)
{
    VaultRecord r;
    r.group = groupKey(familyPrefix, kind);
    r.key = TimeKeys::make(QString(), now, [this](const QString &key) { return keyTaken(key); }, kind);
    const QString remark = Formats::toStoredText(fields.content);
    // Each view stores its own columns; the others stay empty.
    switch (view) {
    case VaultView::SixFields:
        r.fields = fields;
        r.id = data_.insert(QStringLiteral("insert into blank (t0, t1, t2, t3, t4, content, parent, key_1, muluID) "
                                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {fields.t0, fields.t1, fields.t2, fields.t3, fields.t4, remark, r.key, r.group, accountSet});
        break;
    case VaultView::Other:
        r.fields = {fields.t0, fields.t1, QString(), QString(), fields.t4, fields.content};
        r.id = data_.insert(QStringLiteral("insert into blank (t0, t1, t4, content, parent, key_1, muluID) "
                                           "values (?, ?, ?, ?, ?, ?, ?)"),
                            {fields.t0, fields.t1, fields.t4, remark, r.key, r.group, accountSet});
        break;
    case VaultView::Memo:
        r.fields = {fields.t0, QString(), QString(), QString(), QString(), fields.content};
        r.id = data_.insert(QStringLiteral("insert into blank (t0, content, parent, key_1, muluID) values (?, ?, ?, ?, ?)"),
                            {fields.t0, remark, r.key, r.group, accountSet});
        break;
    }
    return r;
}

bool Vault::modify(int accountSet, qint64 id, VaultView view, const VaultFields &fields)
{
    const QString remark = Formats::toStoredText(fields.content);
    switch (view) {
    case VaultView::SixFields:
        return data_.exec(QStringLiteral("update blank set t0=?,t1=?,t2=?,t3=?,t4=?,content=? where id=? and muluID=?"),
                          {fields.t0, fields.t1, fields.t2, fields.t3, fields.t4, remark, id, accountSet}) > 0;
    case VaultView::Other:
        return data_.exec(QStringLiteral("update blank set t0=?,t1=?,t4=?,content=? where id=? and muluID=?"),
                          {fields.t0, fields.t1, fields.t4, remark, id, accountSet}) > 0;
    case VaultView::Memo:
        return data_.exec(QStringLiteral("update blank set t0=?,content=? where id=? and muluID=?"),
                          {fields.t0, remark, id, accountSet}) > 0;
    }
    return false;
}

int Vault::remove(int accountSet, const QString &key, qint64 id)
{
    if (id > 0)
        return data_.exec(QStringLiteral("delete from blank where id=? and muluID=? and parent=?"), {id, accountSet, key});
    return data_.exec(QStringLiteral("delete from blank where muluID=? and parent=?"), {accountSet, key});
}
