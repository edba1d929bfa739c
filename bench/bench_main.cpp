// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_data.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <vector>

// Benchmarks run with a QApplication (offscreen) so that windows can be measured too.
// "--child NAME ..." runs a registered child instead (a benchmark that measures a whole
// process of its own, from its start).
int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return BenchData::runChild(argv[2], argc - 3, argv + 3);
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data-dir=", 11) == 0)
            BenchData::setFolder(QString::fromLocal8Bit(argv[i] + 11));
        else if (std::strncmp(argv[i], "--per-set=", 10) == 0)
            BenchData::setPerSet(std::atoi(argv[i] + 10));
        else
            args.push_back(argv[i]);
    }
    int count = int(args.size());
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(count, args.data());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
