// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger_view.h"

// The ledger a report window is opened from, when nothing is listed: the benchmarks time
// the window alone.
class NoView : public LedgerView {
public:
    EntryQuery listOnShow() const override { return {}; }
    QString listCaption() const override { return {}; }
    QString accountSetName() const override { return {}; }
    void refresh() override {}
    void showSearch(const SearchRequest &) override {}
    QWidget *viewWindow() override { return nullptr; }
};
