// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "ui/chinese.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Exit statuses: 0 done, 1 the data folder cannot be used or there is no display, 2 the
// command line is wrong.
enum Status { Done = 0, BadDataFolder = 1, NoDisplay = 1, BadCommandLine = 2 };

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The options of the toolkit itself (-platform, -style, ...) are taken by the application
// object; they are accepted here and not shown.
void acceptToolkitOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet", "session",
                             "name", "title"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString usage(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    // Without an application object the parser does not know the program's name; its
    // headings are the toolkit's English ones.
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("tallyra"));
    text.replace(QStringLiteral("Usage: "), QStringLiteral("用法："));
    text.replace(QStringLiteral("[options]"), QStringLiteral("[选项]"));
    text.replace(QStringLiteral("Options:"), QStringLiteral("选项："));
    return text;
}

// While the application object connects to the display. Without a display the toolkit ends
// the program with a fatal message (and a core dump); the program says why in one line and
// ends with status 1 instead. The toolkit's own lines about its window system are dropped.
QtMessageHandler toolkitHandler = nullptr;

void whileConnecting(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        const bool named = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
        print(stderr, named ? QStringLiteral("tallyra: 无法打开窗口：连接不上显示器，或缺少 Qt 的窗口系统插件（qt6-qpa-plugins）。\n")
                            : QStringLiteral("tallyra: 无法打开窗口：没有图形桌面（没有设置 DISPLAY 或 WAYLAND_DISPLAY）。\n"));
        std::_Exit(NoDisplay);
    }
    if (context.category && QByteArrayView(context.category).startsWith("qt.qpa"))
        return;
    if (toolkitHandler)
        toolkitHandler(type, context, message);
    else
        print(stderr, qFormatLogMessage(type, context, message) + u'\n');
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Tallyra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLYRA_VERSION));

    // The command line is read before any application object exists: --help and --version
    // need no display and touch no file, and a wrong --data is refused before anything opens.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Tallyra：个人和家庭记账程序。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示这段说明后退出。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本后退出。"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("账本放在文件夹 DIR 中（不存在时新建）。不给出时，程序文件夹中已有 "
                                                 "vazuda.mdb 就用它，否则用 ~/.local/share/Tallyra。"),
                                  QStringLiteral("DIR"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(data);
    acceptToolkitOptions(parser);

    if (!parser.parse(arguments)) {
        QString problem;
        if (!parser.unknownOptionNames().isEmpty())
            problem = QStringLiteral("未知的选项：%1").arg(parser.unknownOptionNames().join(QStringLiteral(", ")));
        else if (parser.errorText().startsWith(QStringLiteral("Missing value")))
            problem = QStringLiteral("--data 后面要写数据文件夹的路径。");
        else if (parser.errorText().startsWith(QStringLiteral("Unexpected value after")))
            problem = QStringLiteral("选项 %1 后面不带值。").arg(parser.errorText().section(u'\'', 1, 1));
        else
            problem = QStringLiteral("命令行有误（%1）").arg(parser.errorText());
        print(stderr, QStringLiteral("tallyra: %1\n\n").arg(problem) + usage(parser));
        return BadCommandLine;
    }
    if (parser.isSet(help)) {
        print(stdout, usage(parser));
        return Done;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Tallyra %1\n").arg(QCoreApplication::applicationVersion()));
        return Done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("tallyra: 多余的参数：%1\n\n").arg(parser.positionalArguments().join(u' '))
                          + usage(parser));
        return BadCommandLine;
    }

    const QString programFolder = ProgramFolder::executableFolder();
    std::optional<QString> dataOption;
    if (parser.isSet(data))
        dataOption = parser.value(data);
    const ProgramFolder::Choice choice =
        ProgramFolder::chooseDataFolder(programFolder, dataOption, ProgramFolder::perUserFolder());
    if (choice.path.isEmpty()) {
        print(stderr, QStringLiteral("tallyra: %1\n").arg(choice.error));
        return BadDataFolder;
    }
    if (!choice.movedFrom.isEmpty())
        print(stderr, QStringLiteral("tallyra: 账本已从“%1”移到“%2”。\n")
                          .arg(QDir::toNativeSeparators(choice.movedFrom), QDir::toNativeSeparators(choice.path)));

    toolkitHandler = qInstallMessageHandler(whileConnecting);
    QApplication app(argc, argv);
    qInstallMessageHandler(toolkitHandler);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setDesktopFileName(QStringLiteral("org.tallyra.Tallyra"));

    Chinese::install();

    QtPrompt prompt;
    DesktopLauncher launcher;
    Application tallyra(ProgramFolder(choice.path, programFolder), prompt, launcher);
    QObject::connect(&tallyra, &Application::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    tallyra.start();
    return app.exec();
}
