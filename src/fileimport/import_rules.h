// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class DataFile;

// "导入规则": a statement row whose counterparty or summary holds the words goes to the
// item (and, when given, the payment method). The user edits the list and a correction
// made in the preview is offered as a new rule.
struct ImportRule {
    qint64 id = 0;
    QString words;   // "滴滴"
    QString item;    // "交通"
    QString method;  // empty: the statement's account
};

class ImportRules {
public:
    explicit ImportRules(DataFile &data) : data_(data) {}

    // Every rule, longest words first (the more particular rule wins).
    std::vector<ImportRule> all();
    // Adds a rule, or gives the rule with the same words the new item; returns its id.
    qint64 save(const ImportRule &rule);
    void remove(qint64 id);

    // The first rule whose words the text holds.
    static const ImportRule *match(const std::vector<ImportRule> &rules, const QString &text);

    // The item used most often before with each counterparty, from the account set's
    // newest entries: an entry's counterparty is its summary up to " - ".
    QHash<QString, QString> history(int accountSet);
    // The counterparty of a summary as history() keys it.
    static QString counterpartyOf(const QString &summary);

private:
    DataFile &data_;
};
