// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QLineEdit;
class QTableWidget;

// "导入规则": the list of rules that fill a statement's items ("交易对方 包含 滴滴 → 交通"),
// to add to and delete from. Changes are stored at once.
class ImportRulesDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportRulesDialog(const AppContext &context, QWidget *parent = nullptr);

    // "添加": a rule from the three fields; "删除": the selected rule.
    void addRule();
    void removeSelected();

private:
    void reload();

    AppContext context_;
    QTableWidget *table_;
    QLineEdit *words_, *item_, *method_;
};
