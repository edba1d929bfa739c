// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's look: the Fusion style and the program's style sheet for every window.
namespace Skin {
void attach();
}
