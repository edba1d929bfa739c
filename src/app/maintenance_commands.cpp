// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/maintenance_commands.h"

#include "app/main_window.h"
#include "ledger/ledger_pane.h"
#include "maintenance/data_file_maintenance.h"
#include "maintenance/passphrase_window.h"
#include "maintenance/settings_window.h"
#include "maintenance/view_settings.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/dialog_folders.h"
#include "ui/formats.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QLayout>
#include <QStandardPaths>

#include <cmath>

namespace {

const QString BackupFilter = QStringLiteral("备份文件|*.mdb");

// Text stands out from its background when their contrast (as WCAG measures it) is
// at least 1.6 to 1; black on the darkest desktop backgrounds is below that.
bool readable(const QColor &text, const QColor &background)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double a = luminance(text), b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 1.6;
}

// The view modes of RecordList, by number, as "查看(&C)" offers them.
const Command ViewModes[] = {Command::LargeIcons, Command::SmallIcons, Command::ListMode, Command::Details};

QString withCode(const QString &head, const StoreError &error)
{
    return head + QStringLiteral("\r\n") + error.description() + QStringLiteral("\r\n错误代码：") +
           QString::number(error.code());
}

} // namespace

MaintenanceCommands::MaintenanceCommands(MainWindow &window, const AppContext &context)
    : QObject(&window), window_(window), context_(context)
{
    Commands &commands = window.commands();
    commands.on(Command::Settings, this, &MaintenanceCommands::openSettings);
    commands.on(Command::Backup, this, &MaintenanceCommands::backup);
    commands.on(Command::Restore, this, &MaintenanceCommands::restore);
    commands.on(Command::Compact, this, &MaintenanceCommands::compact);
    commands.on(Command::Passphrase, this, &MaintenanceCommands::changePassphrase);
    connect(&window, &MainWindow::unloading, this, &MaintenanceCommands::automaticBackup);
    for (int mode = 0; mode < int(std::size(ViewModes)); ++mode)
        commands.on(ViewModes[mode], this, [this, mode] { setViewMode(mode); });
    commands.on(Command::GridLines, this, &MaintenanceCommands::toggleGridLines);
    commands.on(Command::ListFont, this, &MaintenanceCommands::chooseFont);
    commands.on(Command::BackgroundColour, this, &MaintenanceCommands::chooseBackgroundColour);
    commands.on(Command::BackgroundPicture, this, &MaintenanceCommands::chooseBackgroundPicture);
    commands.on(Command::DefaultAppearance, this, &MaintenanceCommands::resetAppearance);
}

RecordList *MaintenanceCommands::entryList() const { return window_.ledgerPane()->entryList(); }

RecordList *MaintenanceCommands::searchList() const { return window_.ledgerPane()->searchList(); }

void MaintenanceCommands::LoadShow()
{
    ViewSettingsRow row;
    try {
        row = ViewSettings(context_.data).read();
    } catch (const StoreError &) {
        return;
    }
    RecordList *entries = entryList();
    // A value that cannot be applied (a font that is not installed, a colour that is not
    // a decimal number such as "#000000", a picture that is no file such as "0") leaves
    // that attribute as it was; the others are still applied.
    for (RecordList *list : {entries, searchList()}) {
        if (auto grid = Formats::readFlag(row.grid))
            list->setGridLines(*grid);
        bool ok = false;
        const int mode = row.viewMode.trimmed().toInt(&ok);
        if (ok && mode >= RecordList::LargeIcons && mode <= RecordList::Details)
            list->setViewMode(mode);
        QFont font = list->listFont();
        if (!row.font.trimmed().isEmpty() && QFontDatabase::hasFamily(row.font.trimmed()))
            font.setFamily(row.font.trimmed());
        const double size = row.fontSize.trimmed().toDouble(&ok);
        if (ok && size > 0 && size <= 200)
            font.setPointSizeF(size);
        if (auto colour = Formats::colourFromNumber(row.textColour))
            list->setTextColour(*colour);
        if (auto bold = Formats::readFlag(row.bold))
            font.setBold(*bold);
        if (auto italic = Formats::readFlag(row.italic))
            font.setItalic(*italic);
        list->setListFont(font);
        // Only the entry list shows the picture.
        if (list == entries && !row.picture.trimmed().isEmpty()) {
            const QString picture = context_.folder.file(row.picture.trimmed());
            if (QFileInfo(picture).isFile())
                list->setBackgroundPicture(picture);
        }
        if (auto colour = Formats::colourFromNumber(row.backColour))
            list->setBackgroundColour(*colour);
    }
    if (row.image2 == ViewSettings::image2Click()) {
        if (QWidget *centre = window_.centralWidget(); centre && centre->layout())
            centre->layout()->activate();
        try {
            ViewSettings(context_.data).keepImage2();
        } catch (const StoreError &) {
            // Loading goes on without it.
        }
    }
    // Text that would vanish into its background (the same colour, or the stored black
    // text on a dark desktop's background): both go back to the desktop's own colours.
    for (RecordList *list : {entries, searchList()}) {
        if (!readable(list->textColour(), list->backgroundColour())) {
            list->setBackgroundColour(QColor());
            list->setTextColour(QColor());
        }
    }
    const int mode = entries->viewMode();
    if (mode >= 0 && mode < int(std::size(ViewModes)))
        window_.commands().action(ViewModes[mode])->setChecked(true);
    window_.commands().action(Command::GridLines)->setChecked(entries->gridLines());
}

void MaintenanceCommands::backup()
{
    Prompt &prompt = context_.prompt;
    const QString target =
        prompt.saveFile(&window_, QStringLiteral("备份数据"), BackupFilter,
                        DialogFolders::start(context_.data, QStringLiteral("备份"),
                                             DataFileMaintenance::backupName(QDate::currentDate())));
    if (target.isEmpty())
        return;
    DialogFolders::remember(context_.data, QStringLiteral("备份"), target);
    if (QFileInfo::exists(target) &&
        prompt.message(&window_, Prompt::Icon::Question, QStringLiteral("Tallyra"),
                       QStringLiteral("当前日期已经备份了，确实要再次备份吗？"), Prompt::Buttons::YesNo,
                       Prompt::Answer::Yes) != Prompt::Answer::Yes)
        return;
    try {
        DataFileMaintenance(context_.data, context_.folder).backup(target);
    } catch (const StoreError &error) {
        prompt.message(&window_, Prompt::Icon::Critical, QStringLiteral("错误"),
                       withCode(QStringLiteral("发现错误备份失败！"), error));
        return;
    }
    prompt.message(&window_, Prompt::Icon::Information, QStringLiteral("恭喜您"), QStringLiteral("备份成功！"));
}

void MaintenanceCommands::restore()
{
    Prompt &prompt = context_.prompt;
    // Where the automatic backups, and the copies earlier restores kept, are.
    QDir().mkpath(context_.folder.plugIns());
    const QString file = prompt.openFile(&window_, QStringLiteral("还原数据"), BackupFilter, context_.folder.plugIns());
    if (file.isEmpty())
        return;
    const QString question =
        QStringLiteral("请您确认“") + QDir::toNativeSeparators(file) +
        QStringLiteral("”是您以前备份的文件，否则可能出现不可想像的错误。如果发生了错误，请你参见联机帮助的解决办法，"
                       "建议您先对当前数据库进行备份。而且还原后，在您备份以后的数据都将丢失。您真的要还原这个数据库吗？");
    if (prompt.message(&window_, Prompt::Icon::Question, QStringLiteral("问题"), question, Prompt::Buttons::YesNo,
                       Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    // A backup made while the file had another passphrase opens only with that one; each
    // wrong one makes the next try wait longer.
    FailureDelay &delay = context_.session.passphraseDelay;
    auto askPassphrase = [&](bool again) {
        if (again)
            delay.failed();
        std::optional<QString> typed =
            prompt.askText(&window_, QStringLiteral("数据文件密码"),
                           (again ? QStringLiteral("密码不对。请重新输入“%1”的数据文件密码：")
                                  : QStringLiteral("“%1”设置了另一个数据文件密码，请输入它的密码："))
                               .arg(QDir::toNativeSeparators(file)),
                           true);
        delay.waitOut();
        return typed;
    };
    DataFileMaintenance::Restored restored;
    try {
        restored = DataFileMaintenance(context_.data, context_.folder).restore(file, askPassphrase);
    } catch (const StoreError &error) {
        prompt.reportError(&window_, error);
        return;
    }
    QString done = QStringLiteral("还原成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。");
    if (!restored.keptCopy.isEmpty())
        done += QStringLiteral("\r\n还原前的数据已保存为“%1”。").arg(QDir::toNativeSeparators(restored.keptCopy));
    prompt.message(&window_, Prompt::Icon::Warning, QStringLiteral("注意"), done);
    if (restored.keptPassphrase)
        prompt.information(&window_, QStringLiteral("信息"),
                           QStringLiteral("这个备份没有使用现在的数据文件密码。还原后的数据文件仍然用现在的数据文件密码保护。"));
    window_.loadEverything();
}

void MaintenanceCommands::compact()
{
    Prompt &prompt = context_.prompt;
    if (prompt.message(&window_, Prompt::Icon::Question, QStringLiteral("问题"),
                       QStringLiteral("请您确认压缩您现在使用的数据文件？，否则可能出现不可想像的错误。如果发生了错误，"
                                      "请你参见联机帮助的解决办法，建议您先对当前数据库进行备份。而且压缩后，"
                                      "文件数据体积会变小。您真的要压缩这个数据库吗？"),
                       Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    DataFileMaintenance maintenance(context_.data, context_.folder);
    const std::optional<bool> compacted = prompt.attempt(&window_, [&] { return maintenance.compactIntoScratch(); });
    if (!compacted || !*compacted)
        return;
    prompt.message(&window_, Prompt::Icon::Warning, QStringLiteral("注意"),
                   QStringLiteral("压缩成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。"));
    prompt.attempt(&window_, [&] { maintenance.replaceWithScratch(); });
}

void MaintenanceCommands::openSettings()
{
    SettingsWindow settings(context_, &window_);
    settings.exec();
}

void MaintenanceCommands::changePassphrase()
{
    if (!context_.prompt.attempt(&window_, [this] {
            context_.data.OpenDataFile();
            if (context_.data.isReadOnly())
                throw context_.data.readOnlyError();
        }))
        return;
    PassphraseWindow window(context_, &window_);
    window.exec();
}

void MaintenanceCommands::automaticBackup()
{
    DataFileMaintenance(context_.data, context_.folder).automaticBackup();
}

template <typename Write> void MaintenanceCommands::store(Write write)
{
    context_.prompt.attempt(&window_, [&] {
        ViewSettings settings(context_.data);
        write(settings);
    });
}

void MaintenanceCommands::setViewMode(int mode)
{
    RecordList *entries = entryList();
    entries->setViewMode(mode);
    searchList()->setViewMode(mode);
    window_.commands().action(ViewModes[entries->viewMode()])->setChecked(true);
    store([&](ViewSettings &settings) { settings.setViewMode(entries->viewMode()); });
}

void MaintenanceCommands::toggleGridLines()
{
    RecordList *entries = entryList();
    const bool on = !entries->gridLines();
    entries->setGridLines(on);
    searchList()->setGridLines(on);
    window_.commands().action(Command::GridLines)->setChecked(on);
    store([&](ViewSettings &settings) { settings.setGridLines(entries->gridLines()); });
}

void MaintenanceCommands::chooseFont()
{
    RecordList *entries = entryList();
    const QFont current = entries->listFont();
    Prompt::ListFont initial{current.family(), current.pointSizeF(), current.bold(), current.italic(),
                             entries->textColour()};
    const std::optional<Prompt::ListFont> chosen = context_.prompt.chooseFont(&window_, initial);
    if (!chosen)
        return;
    QFont font = current;
    if (chosen->pointSize > 0)
        font.setPointSizeF(chosen->pointSize);
    font.setItalic(chosen->italic);
    font.setBold(chosen->bold);
    if (!chosen->family.isEmpty())
        font.setFamily(chosen->family);
    entries->setListFont(font);
    entries->setTextColour(chosen->colour);
    store([&](ViewSettings &settings) {
        settings.setFont(font.family(), font.bold(), font.pointSizeF(), Formats::colourNumber(chosen->colour),
                         font.italic());
    });
}

void MaintenanceCommands::chooseBackgroundColour()
{
    RecordList *entries = entryList();
    const std::optional<QColor> chosen = context_.prompt.chooseColour(&window_, entries->backgroundColour());
    if (chosen)
        entries->setBackgroundColour(*chosen);
    // After a cancel the unchanged colour is stored.
    const int number = Formats::colourNumber(chosen ? *chosen : entries->backgroundColour());
    store([&](ViewSettings &settings) { settings.setBackgroundColour(number); });
}

void MaintenanceCommands::chooseBackgroundPicture()
{
    const QString file = context_.prompt.openFile(
        &window_, QStringLiteral("背景图像"), ViewSettings::pictureFilter(),
        DialogFolders::start(context_.data, QStringLiteral("背景图像"), QString(),
                             QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)));
    if (file.isEmpty())
        return;
    DialogFolders::remember(context_.data, QStringLiteral("背景图像"), file);
    QString stored;
    try {
        stored = ViewSettings::copyPicture(file, context_.folder);
    } catch (const StoreError &error) {
        context_.prompt.message(&window_, Prompt::Icon::Critical, QStringLiteral("Tallyra"), error.description());
        return;
    }
    const QString copied = context_.folder.file(stored);
    if (!entryList()->setBackgroundPicture(copied)) {
        QImageReader reader(copied);
        reader.read();
        const QString reason = reader.errorString();
        context_.prompt.message(&window_, Prompt::Icon::Critical, QStringLiteral("Tallyra"),
                                QStringLiteral("无法把“%1”用作背景图像：%2")
                                    .arg(QDir::toNativeSeparators(file), reason));
        return;
    }
    store([&](ViewSettings &settings) { settings.setBackgroundPicture(stored); });
}

void MaintenanceCommands::resetAppearance()
{
    store([](ViewSettings &settings) { settings.resetToDefaults(); });
}
