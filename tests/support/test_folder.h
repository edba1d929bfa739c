// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "support/fake_launcher.h"
#include "support/scripted_prompt.h"
#include "ui/app_context.h"

#include <QTemporaryDir>

// A program folder of its own for one test case: an empty temporary folder with a
// Plug-Ins folder, the data file created on first use, a scripted prompt and a fake
// launcher, and a session logged in to the seed account set as "admin".
// The SHA-256 of a file's bytes; empty when it cannot be read (so that a test can tell a
// file that was left alone from one that changed).
QByteArray fileHash(const QString &path);

class TestFolder {
    QTemporaryDir dir_;  // first: everything below lives in it

public:
    TestFolder();

    QString path() const { return dir_.path(); }
    ProgramFolder folder;
    DataFile data;
    Session session;
    ScriptedPrompt prompt;
    FakeLauncher launcher;
    AppContext context;

    // The clock of the session's waits after wrong passwords: by default every look at it
    // finds the longest wait over, so that no test waits; a test of the waits stops it and
    // moves it on by hand (sleeping moves it too).
    qint64 clockMs = 0;
    bool clockRuns = true;
    FailureDelay::Clock clock();

    // Logs the session in as the seed user (after the data file was created).
    void loginAsAdmin();
    // The id of the seed account set "默认账套".
    int defaultAccountSet();
    // Adds an account set and returns its id.
    int addAccountSet(const QString &name);
    // Adds one ledger entry directly; returns its id.
    qint64 addEntry(int accountSet, const QString &date, const QString &kind, const QString &amount,
                    const QString &item = QString(), const QString &summary = QString(),
                    const QString &method = QString(), const QString &handler = QString());
};
