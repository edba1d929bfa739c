#include "maintenance/view_settings.h"

#include "store/data_file.h"

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
