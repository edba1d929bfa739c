// SPDX-License-Identifier: GPL-3.0-or-later
#include "vault/record_editor.h"

#include "store/sqlite_db.h"
#include "ui/app_context.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "vault/password_box_window.h"
#include "vault/record_views.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

RecordEditor::RecordEditor(PasswordBoxWindow &box, QWidget *parent) : QDialog(parent), box_(box)
{
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("添加记录"));
    setWindowIcon(Icons::icon(Icons::Glyph::Key));
    // The designed size, larger when a larger font needs it.
    resize(7200 / 15, 6000 / 15);

    auto *layout = new QVBoxLayout(this);
    views_ = new RecordViews(false, this);
    layout->addWidget(views_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    saveButton_ = new QPushButton(QStringLiteral("添加"), this);
    saveButton_->setObjectName(QStringLiteral("Command2"));
    closeButton_ = new QPushButton(QStringLiteral("退出"), this);
    closeButton_->setObjectName(QStringLiteral("Command1"));
    for (QPushButton *button : {saveButton_, closeButton_}) {
        // Enter in a field must not store a record by accident.
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(saveButton_, &QPushButton::clicked, this, &RecordEditor::save);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    labelClear();
}

void RecordEditor::setModifyMode()
{
    modifying_ = true;
    setWindowTitle(QStringLiteral("修改记录"));
    saveButton_->setText(QStringLiteral("修改"));
}

void RecordEditor::labelClear()
{
    const QString key = box_.selectedKey();
    const QString kind = Vault::kindOf(key);
    if (kind == QLatin1String("22"))
        views_->setCaptions(Vault::networkCaptions());
    else if (kind == QLatin1String("23"))
        views_->setCaptions(Vault::bankCaptions());
    views_->showView(Vault::viewFor(key));
    views_->clear();
}

bool RecordEditor::LoadDate(const QString &key)
{
    const AppContext &context = box_.context();
    const qint64 id = box_.selectedKey() == key ? box_.selectedId() : 0;
    const std::optional<VaultRecord> record =
        context.prompt.onRecord(parentWidget(), QStringLiteral("信息"), QStringLiteral("要修改的记录已不存在！"),
                              [&] { return box_.vault().record(box_.accountSet(), key, id); });
    if (!record)
        return false;
    views_->fill(record->fields);
    id_ = record->id;
    return true;
}

void RecordEditor::save()
{
    const VaultView view = views_->view();
    const VaultFields fields = views_->fields(view);
    if (fields.t0.isEmpty()) {
        const bool network = Vault::kindOf(box_.selectedKey()) == QLatin1String("22");
        box_.context().prompt.information(this, QStringLiteral("信息"),
                                          view == VaultView::SixFields && !network
                                              ? QStringLiteral("请输入帐户名称！")
                                              : QStringLiteral("请输入标题名称！"));
        return;
    }
    if (modifying_)
        modify(view, fields);
    else
        add(view, fields);
}

void RecordEditor::add(VaultView view, const VaultFields &fields)
{
    const QString family = Vault::familyPrefix(box_.selectedPath().section(u'\\', 0, 0));
    const QString kind = Vault::kindOf(box_.selectedKey());
    if (!box_.context().prompt.attempt(this, [&] { box_.vault().add(box_.accountSet(), family, kind, view, fields); }))
        return;
    box_.LoadTreeView();
}

void RecordEditor::modify(VaultView view, const VaultFields &fields)
{
    bool saved = false;
    if (!box_.context().prompt.attempt(
            this, [&] { saved = id_ > 0 && box_.vault().modify(box_.accountSet(), id_, view, fields); }))
        return;
    if (!saved) {
        box_.context().prompt.information(this, QStringLiteral("信息"), QStringLiteral("要修改的记录已不存在！"));
        return;
    }
    box_.renameSelected(fields.t0);
}
