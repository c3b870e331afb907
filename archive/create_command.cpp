#include "archive/create_command.h"

#include <cstdio>

int run_create_command(int, char**) {
    std::fputs("lzhtool: creating archives is not built yet\n", stderr);
    return 2;
}
