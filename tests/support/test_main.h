// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <QtTest>

#include <functional>
#include <vector>

// Every test folder is one test program; each test class in it registers itself with
// TALLYRA_TEST(Class) and the shared main() runs them all in turn.
namespace TestRegistry {

using Runner = std::function<int(int argc, char **argv)>;
void add(Runner runner);

template <typename T> struct Registration {
    Registration()
    {
        add([](int argc, char **argv) {
            T test;
            return QTest::qExec(&test, argc, argv);
        });
    }
};

} // namespace TestRegistry

#define TALLYRA_TEST(Class) static TestRegistry::Registration<Class> registration##Class;
