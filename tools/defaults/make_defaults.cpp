// Writes the default profile files and recoil patterns into a folder:
//     zelkar-make-defaults <folder>
// The repository keeps the result in defaults/; run it there after changing DefaultContent.h.
#include <cstdio>

#include "DefaultContent.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    if (!defaults::writeDefaultFiles(argv[1])) {
        std::fprintf(stderr, "%s: could not write every file into %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
