// The packer's commands, callable in-process: build, list, verify, extract.
#pragma once
#include "packer/code_page.h"
#include <ostream>
#include <string>
#include <vector>

namespace packer {

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool progress; // stderr is a terminal: show a running counter there
};

void PrintUsage(std::ostream& out);

// arguments: everything after the program name. Returns the exit code, 0 or 1.
int RunPacker(const std::vector<std::string>& arguments, Console& console);

// codePage: the ANSI code page setup reads names and labels in (UTF-8 on the packer's side).
int BuildDataFile(const std::string& manifestPath, const std::string& outputPath, Console& console,
                  int codePage = DefaultCodePage);
int ListDataFile(const std::string& path, Console& console, int codePage = DefaultCodePage);
int VerifyDataFile(const std::string& path, Console& console);
int ExtractDataFile(const std::string& path, const std::string& folder, Console& console,
                    int codePage = DefaultCodePage);

} // namespace packer
