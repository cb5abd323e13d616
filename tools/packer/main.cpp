// packer: builds, lists, verifies and extracts setup data files.
#include "packer/commands.h"
#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    packer::Console console { std::cout, std::cerr, isatty(fileno(stderr)) != 0 };
    return packer::RunPacker(arguments, console);
}
