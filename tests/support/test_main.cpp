// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "support/test_main.h"
#include "ui/chinese.h"

namespace TestRegistry {

static std::vector<Runner> &runners()
{
    static std::vector<Runner> list;
    return list;
}

void add(Runner runner) { runners().push_back(std::move(runner)); }

} // namespace TestRegistry

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Chinese::install();  // as the program does at start
    QTEST_SET_MAIN_SOURCE_PATH
    int failures = 0;
    for (const TestRegistry::Runner &run : TestRegistry::runners())
        failures += run(argc, argv);
    return failures == 0 ? 0 : 1;
}
