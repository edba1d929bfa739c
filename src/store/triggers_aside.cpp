// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/triggers_aside.h"

#include "store/sqlite_db.h"

TriggersAside::TriggersAside(Database &db, const QString &condition) : db_(db)
{
    if (!db_.inTransaction())
        return;
    {
        Statement triggers =
            db_.prepare(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND ") + condition);
        while (triggers.step())
            aside_.push_back({triggers.text(0), triggers.text(1)});
    }
    for (const auto &[name, sql] : aside_)
        db_.execute(QStringLiteral("DROP TRIGGER \"%1\"").arg(name));
}

TriggersAside::~TriggersAside()
{
    // Gone without restore(): the transaction is about to be rolled back (which brings
    // them back too), but should it be committed, it keeps them.
    try {
        restore();
    } catch (const StoreError &) {
    }
}

void TriggersAside::restore()
{
    while (!aside_.empty() && db_.isOpen() && db_.inTransaction()) {
        db_.execute(aside_.back().second);
        aside_.pop_back();
    }
}
