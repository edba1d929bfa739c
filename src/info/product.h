// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The product's web site: the help commands, the About box and the diary's status bar
// all show this one address.
namespace Product {

inline QString webSite() { return QStringLiteral("https://www.tallyra.org/"); }

} // namespace Product
