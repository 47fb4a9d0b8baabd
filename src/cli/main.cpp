#include <iostream>

#include "app/program_defaults.h"
#include "cli/convert.h"

int main(int argc, char** argv) {
    marquetta::InitProgramDefaults();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return marquetta::RunConvert(args, std::cout, std::cerr);
}
