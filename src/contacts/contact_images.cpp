// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contact_images.h"

#include "contacts/address_book.h"
#include "ui/icons.h"

#include <QColor>

namespace ContactImages {

QList<QIcon> imageList()
{
    using Icons::Glyph;
    static const QList<QIcon> images = [] {
        // Each picture has its own glyph and its own tile colour, round the colour wheel.
        const Glyph glyphs[AddressBook::IconCount] = {
            Glyph::Folder,   Glyph::Group,   Glyph::Star,       Glyph::Heart,  Glyph::Home,
            Glyph::Globe,    Glyph::Phone,   Glyph::Mail,       Glyph::Key,    Glyph::Calendar,
            Glyph::Note,     Glyph::User,    Glyph::Settings,   Glyph::Calculator, Glyph::Backup,
            Glyph::Help,     Glyph::Page,    Glyph::Income,     Glyph::FolderOpen, Glyph::Print,
            Glyph::App,      Glyph::Contact, Glyph::Edit,       Glyph::Import, Glyph::Export,
            Glyph::Book};
        QList<QIcon> list;
        for (int i = 0; i < AddressBook::IconCount; ++i)
            list << Icons::tile(glyphs[i], QColor::fromHsv(i * 360 / AddressBook::IconCount, 60, 250));
        return list;
    }();
    return images;
}

QIcon image(int number)
{
    const QList<QIcon> &list = imageList();
    return number >= 1 && number <= list.size() ? list[number - 1] : QIcon();
}

} // namespace ContactImages
