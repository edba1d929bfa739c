// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Where the program keeps its books and finds its own files.
//
// The data folder (path()) holds the data file vazuda.mdb and the writable Plug-Ins folder:
// automatic backups and copied background pictures. It is the per-user data folder
// ~/.local/share/Tallyra, unless the program's own folder already holds vazuda.mdb
// (portable use) or the command line names one with --data DIR.
//
// The installed files (the start page, the About animation, the manual) are read-only: they
// sit beside the executable in a build tree and under ../share/tallyra/ in an installation.
class ProgramFolder {
public:
    // path is the data folder. Installed files are looked up from programPath, the folder of
    // the executable; without one, the data folder is the program folder too (portable use).
    explicit ProgramFolder(const QString &path, const QString &programPath = QString());

    const QString &path() const { return path_; }
    QString dataFile() const;
    QString plugIns() const;
    // A path relative to the data folder; "\Plug-Ins\x.bmp" and "Plug-Ins/x.bmp" alike.
    QString file(const QString &relative) const;

    const QString &programPath() const { return programPath_; }
    // An installed read-only file such as "Plug-Ins/update.html", "vazuda.gif" or
    // "help/index.html": beside the executable, else under ../share/tallyra/; empty when
    // neither place has it.
    QString installed(const QString &relative) const;

    // How the data folder was chosen at start-up.
    enum class Source {
        CommandLine,    // --data DIR
        ProgramFolder,  // vazuda.mdb beside the executable
        PerUser,        // the per-user data folder
        OldPerUser,     // the old per-user folder .../Tallyra/Tallyra, its books could not be moved
        Refused,        // --data names no usable folder; error says why
    };
    struct Choice {
        QString path;       // the data folder; empty when refused
        Source source = Source::Refused;
        QString error;      // why --data was refused, in words for the user
        QString movedFrom;  // the old per-user folder whose books were moved into path
    };

    // Chooses the data folder. dataOption is the --data value (none when not given) and
    // perUser the per-user data folder. A --data folder is created when missing and must
    // be writable; nothing is created anywhere when it is refused. Books kept in the old
    // per-user folder perUser/Tallyra are moved up, Plug-Ins and all, when perUser has no
    // data file yet (and used where they are if they cannot be moved). Makes the chosen
    // folder's Plug-Ins folder when it can.
    static Choice chooseDataFolder(const QString &programPath, const std::optional<QString> &dataOption,
                                   const QString &perUser);
    // ~/.local/share/Tallyra (under $XDG_DATA_HOME when that is set).
    static QString perUserFolder();
    // The folder of the running executable; needs no application object.
    static QString executableFolder();

private:
    QString path_;
    QString programPath_;
};
