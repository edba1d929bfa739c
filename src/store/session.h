// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure_delay.h"

#include <QString>

// Program-wide state shared by the windows: who is logged in, the account set they
// work in, the ledger tree node last clicked and the entry open in the editor, and how
// long the next password must wait.
struct Session {
    QString CurrentUserName;
    int CurrentAccountSetId = 0;
    QString CurrentNodeKey = QStringLiteral("0_");
    qint64 EditEntryId = 0;
    // The growing waits after wrong user passwords and wrong data-file passphrases.
    FailureDelay passwordDelay;
    FailureDelay passphraseDelay;
};
