// marquetta-convert: converts drawings between the formats the program knows, chosen
// by the file extensions.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace marquetta {

// Runs the tool on its arguments (without the program name). Returns the exit status:
// 0 done, 1 a file could not be read or written, 2 wrong usage.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace marquetta
