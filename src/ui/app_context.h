// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class DataFile;
class Launcher;
class ProgramFolder;
class Prompt;
struct Session;

// What every window is handed: the data file, the program-wide state, and the ways of
// asking the user and starting other programs.
struct AppContext {
    const ProgramFolder &folder;
    DataFile &data;
    Session &session;
    Prompt &prompt;
    Launcher &launcher;
};
