// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the About box's animation: make_vazuda_gif <path of vazuda.gif>
#include "info/about_animation.h"

#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_vazuda_gif <file>\n");
        return 2;
    }
    if (!AboutAnimation::write(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "make_vazuda_gif: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
