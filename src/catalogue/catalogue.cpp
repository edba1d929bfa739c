// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"

#include "store/data_file.h"
#include "core/time_keys.h"

QString Catalogue::classText(int kind)
{
    switch (kind) {
    case Items: return QStringLiteral("收支项目");
    case Methods: return QStringLiteral("收支方式");
    case Handlers: return QStringLiteral("经手人");
    default: return QStringLiteral("账套");
    }
}

QString Catalogue::keyPrefix(int kind)
{
    switch (kind) {
    case Items: return QStringLiteral("e");
    case Methods: return QStringLiteral("a");
    default: return QStringLiteral("z");  // handlers and account sets share it; the class tells them apart
    }
}

QString Catalogue::dialogTitle(int kind) { return QStringLiteral("添加") + classText(kind); }

int Catalogue::kindForTitle(const QString &title)
{
    for (int kind : {Items, Methods, Handlers})
        if (title == dialogTitle(kind))
            return kind;
    return AccountSets;
}

bool Catalogue::isProtected(const QString &text)
{
    return text == QStringLiteral("收入") || text == QStringLiteral("支出");
}

std::vector<CatalogueNode> Catalogue::nodes(int kind)
{
    std::vector<CatalogueNode> rows;
    Statement st = data_.query(
        QStringLiteral("select id, key_1, parent, content from mulu where class=? order by id asc"), {classText(kind)});
    while (st.step())
        rows.push_back({st.integer(0), st.text(1), st.text(2), st.text(3)});
    return rows;
}

QString Catalogue::add(int kind, const QString &parentKey, const QString &text, const QDateTime &now)
{
    DataFile::Transaction transaction(data_);
    const QString key = TimeKeys::make(keyPrefix(kind), now, [this](const QString &candidate) {
        Statement st = data_.query(QStringLiteral("select 1 from mulu where key_1=? limit 1"), {candidate});
        return st.step();
    });
    const QString parent = kind == Items ? parentKey : QStringLiteral("0");
    data_.insert(QStringLiteral("insert into mulu (key_1, class, parent, content) values (?, ?, ?, ?)"),
                 {key, classText(kind), parent, text});
    transaction.commit();
    return key;
}

bool Catalogue::rename(qint64 id, const QString &text)
{
    return data_.exec(QStringLiteral("update mulu set content=? where id=?"), {text, id}) > 0;
}

qint64 Catalogue::methodUses(qint64 id)
{
    Statement st = data_.query(
        QStringLiteral("select (select count(*) from jizhang where t3=m.content) + (select count(*) from zhuanzhang "
                       "where outAccount=m.content or inAccount=m.content) from mulu m where m.id=? and m.class='收支方式'"),
        {id});
    return st.step() ? st.integer(0) : 0;
}

bool Catalogue::accountSetInUse(qint64 id)
{
    Statement st = data_.query(QStringLiteral("select exists (select 1 from user where muluID=?)"
                                              " or exists (select 1 from jizhang where muluID=?)"
                                              " or exists (select 1 from blank where muluID=?)"
                                              " or exists (select 1 from Tables where muluID=?)"),
                               {id, id, id, id});
    return st.step() && st.integer(0) != 0;
}

bool Catalogue::remove(qint64 id)
{
    return data_.exec(QStringLiteral("delete from mulu where id=?"), {id}) > 0;
}
