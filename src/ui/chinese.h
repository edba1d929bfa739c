// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program speaks Chinese (China) everywhere: Qt's own buttons and dialogs from its
// Chinese translation, and dates, calendars and numbers in the Chinese locale.
namespace Chinese {
// Call once, after the application object exists and before the first window.
void install();
}
