// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QList>

// The address book's 26 pictures (its image list): groups choose among all of them;
// picture 22 marks a contact and picture 26 the all-contacts node.
namespace ContactImages {

QList<QIcon> imageList();
// Picture number n (1..26); an empty icon for any other number.
QIcon image(int number);

} // namespace ContactImages
