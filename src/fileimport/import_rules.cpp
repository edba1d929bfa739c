// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/import_rules.h"

#include "store/data_file.h"

#include <algorithm>

namespace {

// The entries that history() reads: enough to know a household's habits, few enough to
// read at once.
constexpr int HistoryEntries = 20000;

} // namespace

std::vector<ImportRule> ImportRules::all()
{
    std::vector<ImportRule> rules;
    Statement st = data_.query(QStringLiteral("select id, 包含, 项目, 收支方式 from 导入规则 "
                                              "order by length(包含) desc, id"));
    while (st.step())
        rules.push_back({st.integer(0), st.text(1), st.text(2), st.text(3)});
    return rules;
}

qint64 ImportRules::save(const ImportRule &rule)
{
    data_.exec(QStringLiteral("insert or replace into 导入规则 (包含, 项目, 收支方式) values (?, ?, ?)"),
               {rule.words.trimmed(), rule.item.trimmed(), rule.method.trimmed()});
    Statement st = data_.query(QStringLiteral("select id from 导入规则 where 包含=?"), {rule.words.trimmed()});
    return st.step() ? st.integer(0) : 0;
}

void ImportRules::remove(qint64 id) { data_.exec(QStringLiteral("delete from 导入规则 where id=?"), {id}); }

const ImportRule *ImportRules::match(const std::vector<ImportRule> &rules, const QString &text)
{
    for (const ImportRule &rule : rules)
        if (!rule.words.isEmpty() && text.contains(rule.words, Qt::CaseInsensitive))
            return &rule;
    return nullptr;
}

QString ImportRules::counterpartyOf(const QString &summary)
{
    const qsizetype dash = summary.indexOf(QStringLiteral(" - "));
    return (dash < 0 ? summary : summary.left(dash)).trimmed();
}

QHash<QString, QString> ImportRules::history(int accountSet)
{
    QHash<QString, QHash<QString, int>> counts;
    // The newest entries, walked back from the highest id (the unary + keeps the indexes of
    // the account set, which would read every entry of the set to sort them, out of it).
    Statement st = data_.query(QStringLiteral("select content, t2 from jizhang where +muluID=? and +t2<>'' "
                                              "order by id desc limit %1")
                                   .arg(HistoryEntries),
                               {accountSet});
    while (st.step()) {
        const QString who = counterpartyOf(st.text(0));
        if (!who.isEmpty())
            ++counts[who][st.text(1)];
    }
    QHash<QString, QString> items;
    items.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const auto best = std::max_element(it->cbegin(), it->cend());
        items.insert(it.key(), best.key());
    }
    return items;
}
