// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QDialog;

// Acts on the next modal dialog once it is shown (waiting up to five seconds for it) and
// then rejects it, unless `close` is false and the act closes it itself. Call it before the
// command that opens the dialog.
void whenModal(std::function<void(QDialog *)> act, bool close = true);
