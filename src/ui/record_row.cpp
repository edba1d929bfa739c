// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record_row.h"

#include <QList>

#include <algorithm>

RecordRow::RecordRow(std::initializer_list<QStringView> cells, int icon) : icon(icon)
{
    qsizetype length = qsizetype(cells.size());
    for (QStringView cell : cells)
        length += cell.size();
    packed_.reserve(length);
    bool first = true;
    for (QStringView cell : cells) {
        if (!first)
            packed_.append(Separator);
        first = false;
        if (cell.contains(Separator))
            packed_.append(cell.toString().replace(Separator, u' '));
        else
            packed_.append(cell);
    }
}

RecordRow RecordRow::fromPacked(QString packed, int icon)
{
    RecordRow row;
    row.packed_ = std::move(packed);
    row.icon = icon;
    return row;
}

int RecordRow::cellCount() const { return int(packed_.count(Separator)) + 1; }

QStringView RecordRow::cell(int column) const
{
    qsizetype start = 0;
    for (int i = 0; i < column; ++i) {
        start = packed_.indexOf(Separator, start);
        if (start < 0)
            return {};
        ++start;
    }
    qsizetype end = packed_.indexOf(Separator, start);
    return QStringView(packed_).mid(start, end < 0 ? packed_.size() - start : end - start);
}

void RecordRow::setCell(int column, const QString &text)
{
    QList<QString> cells;
    int n = std::max(cellCount(), column + 1);
    for (int i = 0; i < n; ++i)
        cells << (i == column ? QString(text).replace(Separator, u' ') : cell(i).toString());
    packed_ = cells.join(Separator);
}
