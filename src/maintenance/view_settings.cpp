// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/view_settings.h"

#include "maintenance/staged_copy.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "ui/formats.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

ViewSettingsRow ViewSettings::read()
{
    Statement st = data_.query(QStringLiteral(
        "select 字体, 字号, 字体颜色, 粗体, 斜体, 背景颜色, 背景图像, 显示网格, 图标, image2 from 系统设置 where id=1"));
    ViewSettingsRow row;
    if (st.step())
        row = {st.text(0), st.text(1), st.text(2), st.text(3), st.text(4),
               st.text(5), st.text(6), st.text(7), st.text(8), st.text(9)};
    return row;
}

void ViewSettings::setViewMode(int mode)
{
    data_.exec(QStringLiteral("update 系统设置 set 图标=? where id=1"), {QString::number(mode)});
}

void ViewSettings::setGridLines(bool on)
{
    data_.exec(QStringLiteral("update 系统设置 set 显示网格=? where id=1"), {Formats::flagText(on)});
}

void ViewSettings::setFont(const QString &name, bool bold, double pointSize, int colourNumber, bool italic)
{
    data_.exec(QStringLiteral("update 系统设置 set 字体=?,粗体=?,字号=?,字体颜色=?,斜体=? where id=1"),
               {name, Formats::flagText(bold), QString::number(pointSize), QString::number(colourNumber),
                Formats::flagText(italic)});
}

void ViewSettings::setBackgroundColour(int colourNumber)
{
    data_.exec(QStringLiteral("update 系统设置 set 背景颜色=? where id=1"), {QString::number(colourNumber)});
}

void ViewSettings::setBackgroundPicture(const QString &relativePath)
{
    data_.exec(QStringLiteral("update 系统设置 set 背景图像=? where id=1"), {relativePath});
}

void ViewSettings::resetToDefaults()
{
    data_.exec(QStringLiteral("update 系统设置 set 字体='字体',字号='9',字体颜色='0',粗体='0',斜体='0',"
                              "背景颜色='#000000',背景图像='0' where id=1"));
}

void ViewSettings::keepImage2()
{
    data_.exec(QStringLiteral("update 系统设置 set image2=? where id=1"), {image2Click()});
}

QString ViewSettings::pictureFilter()
{
    return QStringLiteral("所有图型文件|*.dib;*.bmp;*.wmf;*.emf;*.gif;*.jpg|"
                          "位图文件(*.bmp,*.dib)|*.bmp;*.dib|"
                          "GIF图像(*.gif)|*.gif|"
                          "JPEG图像(*.jpg)|*.jpg|"
                          "元文件(*.wmf,*.emf)|*.wmf;*.emf|"
                          "图标文件(*.ico,*.cur|*.ico;*.cur|");
}

QString ViewSettings::copyPicture(const QString &source, const ProgramFolder &folder)
{
    const QString name = QFileInfo(source).fileName();
    const QString target = folder.plugIns() + u'/' + name;
    // A picture chosen from Plug-Ins itself is already where it belongs.
    if (!StagedCopy::sameFile(source, target)) {
        if (!QFileInfo(folder.plugIns()).isDir())
            throw StoreError(QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(folder.plugIns())), ENOENT);
        StagedCopy copy(target);
        copy.append(source);
        copy.commit();
    }
    return QStringLiteral("\\Plug-Ins\\") + name;
}
