// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

// A column of a record list: its title and its width in twips (0 hides it). A column is
// never narrower than its widest expected text (the whole of "2008年01月05日", an amount
// of 12345678.99) in the list's font; amounts are right-aligned.
struct RecordColumn {
    RecordColumn(QString title = {}, int twips = 0, QString widest = {},
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
        : title(std::move(title)), twips(twips), widest(std::move(widest)), alignment(alignment)
    {
    }
    QString title;
    int twips = 0;
    QString widest;
    Qt::Alignment alignment;
};

// One row of a record list. Its cells live in a single string, so a list of a hundred
// thousand rows costs one allocation per row.
class RecordRow {
public:
    RecordRow() = default;
    RecordRow(std::initializer_list<QStringView> cells, int icon = 0);
    // Takes cells already joined by RecordRow::Separator.
    static RecordRow fromPacked(QString packed, int icon = 0);
    static constexpr QChar Separator = QChar(0x1F);

    int cellCount() const;
    QStringView cell(int column) const;
    void setCell(int column, const QString &text);

    int icon = 0;          // 1-based number in the list's image list; 0 for none
    bool checked = false;  // the row's check box, where the list has them

private:
    QString packed_;
};
