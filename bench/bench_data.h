// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/app_context.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QString>

#include <cstddef>
#include <functional>

// Generated data files for the benchmarks, made once and kept in the data folder
// (--data-dir, build/bench-data by default).
namespace BenchData {

// The folder given by --data-dir.
QString folder();
void setFolder(const QString &path);

// Entries per account set of the programs that measure one size: --per-set, else `fallback`.
int perSet(int fallback);
void setPerSet(int entries);

// A program folder of the data folder holding a data file that `fill` was given to fill
// after its creation (with the seed rows); made once, then kept.
QString generatedFolder(const QString &name, const std::function<void(DataFile &)> &fill);

// A program folder holding a data file with `accountSets` account sets (ids in
// firstAccountSet()..) of `perSet` ledger entries each, spread over ten years
// (2015 to 2024) in date order, the account sets' entries interleaved as two
// households would enter them. Returns the program folder.
QString ledgerFolder(int accountSets, int perSet);
// The same file as it was generated, before any sums were kept (every month stale).
QString generatedLedger(int accountSets, int perSet);
int firstAccountSet();

// A prompt that shows nothing and answers every question with its default.
class SilentPrompt : public Prompt {
public:
    int messages = 0;
    Answer message(QWidget *, Icon, const QString &, const QString &, Buttons, Answer defaultAnswer) override;
    QString openFile(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    std::optional<ListFont> chooseFont(QWidget *, const ListFont &) override { return std::nullopt; }
    std::optional<QColor> chooseColour(QWidget *, const QColor &) override { return std::nullopt; }
};

class NoLauncher : public Launcher {
public:
    bool startCalculator() override { return false; }
    bool openUrl(const QString &) override { return false; }
};

// What a window needs, on a generated program folder, logged in to the first account set.
struct BenchContext {
    explicit BenchContext(const QString &programFolder);
    ProgramFolder folder;
    DataFile data;
    Session session;
    SilentPrompt prompt;
    NoLauncher launcher;
    AppContext context;
};

// Children: a benchmark program started again as "--child NAME args..." runs the function
// registered under NAME (before any application object exists) and returns its status.
using ChildMain = int (*)(int argc, char **argv);
bool registerChild(const char *name, ChildMain main);
int runChild(const char *name, int argc, char **argv);

// Resident memory of this process in bytes (VmRSS), after returning freed memory.
std::size_t residentBytes();

} // namespace BenchData
