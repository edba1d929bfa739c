#include "maintenance/maintenance_commands.h"

#include "ledger/main_window.h"
#include "maintenance/data_file_maintenance.h"
#include "maintenance/passphrase_window.h"
#include "maintenance/settings_window.h"
#include "maintenance/view_settings.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/formats.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace {

const QString BackupFilter = QStringLiteral("备份文件|*.mdb");

QString withCode(const QString &head, const StoreError &error)
{
    return head + QStringLiteral("\r\n") + error.description() + QStringLiteral("\r\n错误代码：") +
           QString::number(error.code());
}

} // namespace

MaintenanceCommands::MaintenanceCommands(MainWindow &window, const AppContext &context)
    : QObject(&window), window_(window), context_(context)
{
}

void MaintenanceCommands::backup()
{
    Prompt &prompt = context_.prompt;
    const QString target = prompt.saveFile(&window_, QStringLiteral("备份数据"), BackupFilter,
                                           DataFileMaintenance::backupName(QDate::currentDate()));
    if (target.isEmpty())
        return;
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
    const QString file = prompt.openFile(&window_, QStringLiteral("还原数据"), BackupFilter);
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
    prompt.message(&window_, Prompt::Icon::Warning, QStringLiteral("注意"),
                   QStringLiteral("还原成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。"));
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
    try {
        if (!maintenance.compactIntoScratch())
            return;
    } catch (const StoreError &error) {
        prompt.reportError(&window_, error);
        return;
    }
    prompt.message(&window_, Prompt::Icon::Warning, QStringLiteral("注意"),
                   QStringLiteral("压缩成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。"));
    try {
        maintenance.replaceWithScratch();
    } catch (const StoreError &error) {
        prompt.reportError(&window_, error);
    }
}

void MaintenanceCommands::openSettings()
{
    SettingsWindow settings(context_, &window_);
    settings.exec();
}

void MaintenanceCommands::changePassphrase()
{
    try {
        context_.data.OpenDataFile();
        if (context_.data.isReadOnly())
            throw context_.data.readOnlyError();
    } catch (const StoreError &error) {
        context_.prompt.reportError(&window_, error);
        return;
    }
    PassphraseWindow window(context_, &window_);
    window.exec();
}

void MaintenanceCommands::automaticBackup()
{
    DataFileMaintenance(context_.data, context_.folder).automaticBackup();
}

template <typename Write> void MaintenanceCommands::store(Write write)
{
    try {
        ViewSettings settings(context_.data);
        write(settings);
    } catch (const StoreError &error) {
        context_.prompt.reportError(&window_, error);
    }
}

void MaintenanceCommands::setViewMode(int mode)
{
    RecordList *entries = window_.entryList();
    entries->setViewMode(mode);
    window_.searchList()->setViewMode(mode);
    const QString captions[] = {QStringLiteral("大图标"), QStringLiteral("小图标"), QStringLiteral("列表"),
                                QStringLiteral("详细信息")};
    if (QAction *item = window_.command(captions[entries->viewMode()]))
        item->setChecked(true);
    store([&](ViewSettings &settings) { settings.setViewMode(entries->viewMode()); });
}

void MaintenanceCommands::toggleGridLines()
{
    RecordList *entries = window_.entryList();
    const bool on = !entries->gridLines();
    entries->setGridLines(on);
    window_.searchList()->setGridLines(on);
    if (QAction *item = window_.command(QStringLiteral("显示网格")))
        item->setChecked(on);
    store([&](ViewSettings &settings) { settings.setGridLines(entries->gridLines()); });
}

void MaintenanceCommands::chooseFont()
{
    RecordList *entries = window_.entryList();
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
    RecordList *entries = window_.entryList();
    const std::optional<QColor> chosen = context_.prompt.chooseColour(&window_, entries->backgroundColour());
    if (chosen)
        entries->setBackgroundColour(*chosen);
    // After a cancel the unchanged colour is stored.
    const int number = Formats::colourNumber(chosen ? *chosen : entries->backgroundColour());
    store([&](ViewSettings &settings) { settings.setBackgroundColour(number); });
}

void MaintenanceCommands::chooseBackgroundPicture()
{
    const QString file = context_.prompt.openFile(&window_, QStringLiteral("背景图像"), ViewSettings::pictureFilter());
    if (file.isEmpty())
        return;
    QString stored;
    try {
        stored = ViewSettings::copyPicture(file, context_.folder);
    } catch (const StoreError &error) {
        context_.prompt.message(&window_, Prompt::Icon::Critical, QStringLiteral("Tallyra"), error.description());
        return;
    }
    const QString copied = context_.folder.file(stored);
    if (!window_.entryList()->setBackgroundPicture(copied)) {
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
