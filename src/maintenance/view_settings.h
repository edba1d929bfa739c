// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class DataFile;
class ProgramFolder;

// The appearance values of the settings row, as stored (texts).
struct ViewSettingsRow {
    QString font;        // 字体
    QString fontSize;    // 字号
    QString textColour;  // 字体颜色
    QString bold;        // 粗体
    QString italic;      // 斜体
    QString backColour;  // 背景颜色
    QString picture;     // 背景图像, relative to the program folder
    QString grid;        // 显示网格
    QString viewMode;    // 图标
    QString image2;
};

// The entry lists' appearance, kept in the single settings row.
class ViewSettings {
public:
    explicit ViewSettings(DataFile &data) : data_(data) {}

    ViewSettingsRow read();

    // The writes of the view menu; every value is stored as text.
    void setViewMode(int mode);
    void setGridLines(bool on);
    void setFont(const QString &name, bool bold, double pointSize, int colourNumber, bool italic);
    void setBackgroundColour(int colourNumber);
    void setBackgroundPicture(const QString &relativePath);
    // Font, size, colours and picture back to their first values; view mode and grid stay.
    void resetToDefaults();
    // Written back at start-up when the row asks for the second layout.
    void keepImage2();

    static QString image2Click() { return QStringLiteral("Image2_Click"); }
    // The picture dialog's filter.
    static QString pictureFilter();
    // Copies a chosen picture into Plug-Ins (replacing a file of that name) and returns the
    // path to store: "\Plug-Ins\" + file name. Throws StoreError when it cannot be copied.
    static QString copyPicture(const QString &source, const ProgramFolder &folder);

private:
    DataFile &data_;
};
