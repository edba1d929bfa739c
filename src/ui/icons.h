// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPalette>
#include <QPixmap>

// The program's pictures, drawn by the program itself.
namespace Icons {

enum class Glyph {
    App,
    Folder,
    FolderOpen,
    Calendar,
    Page,
    Income,
    Expense,
    Logout,
    Settings,
    Add,
    Edit,
    Delete,
    Refresh,
    Import,
    Export,
    Print,
    Calculator,
    Backup,
    Home,
    Help,
    Exit,
    User,
    Key,
    Note,
    Book,
    Contact,
    Group,
    Star,
    Heart,
    Globe,
    Phone,
    Mail,
    Transfer,
};

QIcon icon(Glyph glyph);
QPixmap pixmap(Glyph glyph, int size);
// The same picture as an image, drawn without a display (for files made at build time).
QImage image(Glyph glyph, int size);
// Any glyph drawn on a coloured round tile, for icon sets that need many distinct pictures.
QIcon tile(Glyph glyph, const QColor &colour);

// A tree node's picture that changes to another when the node is selected.
QIcon nodeIcon(Glyph normal, Glyph selected);

// The main window's image list: 1 year, 2 month, 3 open folder, 4 selected node,
// 5 income entry, 6 expense entry, 7 transfer.
QList<QIcon> ledgerImages();

// The login window's background picture, in the colours of the given palette.
QPixmap loginBackground(const QSize &size, const QPalette &palette);

} // namespace Icons
