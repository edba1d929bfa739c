// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The wait cursor for as long as it lives: long work says that it works, and the cursor
// comes back however the work ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
