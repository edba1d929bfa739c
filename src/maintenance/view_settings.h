#pragma once

#include <QString>

class DataFile;

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

private:
    DataFile &data_;
};
