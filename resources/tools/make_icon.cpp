// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon as a PNG picture: make_icon <size> <path of the .png>
#include "ui/icons.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: make_icon <size 16..1024> <file.png>\n");
        return 2;
    }
    if (!Icons::image(Icons::Glyph::App, size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
