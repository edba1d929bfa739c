#pragma once

#include <QString>

// The folder the data file, the Plug-Ins folder and the About animation are found in:
// the program's own folder, or the per-user data folder when the program's folder
// cannot be written (an installed program).
class ProgramFolder {
public:
    explicit ProgramFolder(const QString &path);
    static ProgramFolder forExecutable();

    const QString &path() const { return path_; }
    QString dataFile() const;
    QString plugIns() const;
    // A path relative to the program folder; "\Plug-Ins\x.bmp" and "Plug-Ins/x.bmp" alike.
    QString file(const QString &relative) const;

private:
    QString path_;
};
