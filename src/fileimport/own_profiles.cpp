// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/own_profiles.h"

#include "fileimport/statement_profiles.h"
#include "store/data_file.h"
#include "store/schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QString KeyStart = QStringLiteral("方案|");

// The lines searched for a profile's header, as for the built-in statements.
constexpr int Searched = 80;

QStringList trimmed(QStringList cells)
{
    for (QString &c : cells)
        c = c.trimmed();
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}

} // namespace

std::vector<OwnProfile> OwnProfiles::all()
{
    Schema::createImportMappings(data_.database());
    std::vector<OwnProfile> profiles;
    Statement st = data_.query(QStringLiteral("select 表头, 对应 from 导入列对应 where substr(表头, 1, 3)=? order by 表头"),
                               {KeyStart});
    while (st.step()) {
        const QJsonObject o = QJsonDocument::fromJson(st.text(1).toUtf8()).object();
        const std::optional<ColumnMapping> mapping = ColumnMapping::fromText(o.value(QStringLiteral("对应")).toString());
        QStringList header;
        for (const QJsonValue &cell : o.value(QStringLiteral("表头")).toArray())
            header << cell.toString();
        if (!mapping || header.isEmpty())
            continue;
        profiles.push_back({st.text(0).mid(KeyStart.size()), header, *mapping, o.value(QStringLiteral("账户")).toString()});
    }
    return profiles;
}

std::optional<QString> OwnProfiles::problem(const QString &name, const ColumnMapping &mapping)
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return QStringLiteral("请输入方案的名称！");
    if (n.contains(u'|'))
        return QStringLiteral("方案的名称中不能有“|”！");
    for (const StatementProfile &p : StatementProfiles::builtIn())
        if (p.name == n)
            return QStringLiteral("“%1”是程序自带的方案，请换一个名称！").arg(n);
    if (!mapping.header)
        return QStringLiteral("文件没有标题行，方案要靠标题行认出文件：请先选择标题所在的行。");
    return std::nullopt;
}

void OwnProfiles::save(const OwnProfile &profile)
{
    Schema::createImportMappings(data_.database());
    QJsonObject o;
    o.insert(QStringLiteral("表头"), QJsonArray::fromStringList(trimmed(profile.header)));
    o.insert(QStringLiteral("对应"), profile.mapping.toText());
    o.insert(QStringLiteral("账户"), profile.account);
    data_.exec(QStringLiteral("insert or replace into 导入列对应 (表头, 对应) values (?, ?)"),
               {KeyStart + profile.name.trimmed(), QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact))});
}

void OwnProfiles::remove(const QString &name)
{
    Schema::createImportMappings(data_.database());
    data_.exec(QStringLiteral("delete from 导入列对应 where 表头=?"), {KeyStart + name});
}

std::optional<OwnProfile> OwnProfiles::match(const std::vector<OwnProfile> &profiles, const CsvTable &table)
{
    if (profiles.empty())
        return std::nullopt;
    const int columns = table.columnCount();
    const int count = int(std::min<size_t>(table.records.size(), Searched));
    for (int r = 0; r < count; ++r) {
        const QStringList cells = trimmed(table.rowAt(r));
        for (const OwnProfile &p : profiles) {
            if (cells != p.header ||
                !std::all_of(p.mapping.columns.begin(), p.mapping.columns.end(), [&](int c) { return c < columns; }))
                continue;
            OwnProfile found = p;
            found.mapping.headerLine = r;
            return found;
        }
    }
    return std::nullopt;
}
