// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/settings_window.h"

#include "maintenance/data_file_maintenance.h"
#include "store/data_file.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("SettingsWindow"));
    setWindowTitle(QStringLiteral("系统设置"));
    setModal(true);

    auto *frame = new QGroupBox(QStringLiteral("系统设置"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    autoBackup_ = new QCheckBox(QStringLiteral("启动数据自动备份"), frame);
    autoBackup_->setObjectName(QStringLiteral("Check1"));
    auto *folder = new QLabel(QStringLiteral("备份目录Plug-Ins"), frame);
    folder->setObjectName(QStringLiteral("Label1"));
    auto *inner = new QVBoxLayout(frame);
    inner->addWidget(autoBackup_);
    inner->addWidget(folder);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    // The designed size, or what a larger font needs.
    setMinimumSize(4000 / 15, 1800 / 15);

    bool on = false;
    try {
        on = DataFileMaintenance(context_.data, context_.folder).autoBackup();
    } catch (const StoreError &) {
        on = false;
    }
    autoBackup_->setChecked(on);
    // Connected after the box shows the stored state: opening the window writes nothing.
    connect(autoBackup_, &QCheckBox::toggled, this, &SettingsWindow::store);
}

void SettingsWindow::store(bool on)
{
    DataFileMaintenance maintenance(context_.data, context_.folder);
    if (!context_.prompt.attempt(this, [&] { maintenance.setAutoBackup(on); })) {
        // The box shows what is stored.
        QSignalBlocker quiet(autoBackup_);
        autoBackup_->setChecked(!on);
    }
}
