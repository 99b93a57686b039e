// velk-lint: checks a configuration for the traps of its format.
#include <iostream>
#include <string>
#include <vector>

#include "lint/lint_command.h"

int main(int argc, char** argv) {
    return velk::RunLint(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
