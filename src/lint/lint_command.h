#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velk {

// velk-lint and velk.exe /lint:
//   [--sarif FILE] [--pin DIR] [--preview] [--html FILE] CONFIGURATION
// CONFIGURATION is a folder or a ZIP archive. Findings go to out, one per
// line, then a summary; --sarif also writes them as SARIF to FILE; --pin DIR
// first writes the Sha256 keys from the copies in DIR (folders only).
// --preview prints instead what every machine of every site would get,
// --html FILE writes that as a page. Returns 0 without errors, 1 with errors,
// 2 when the input cannot be read.
int RunLint(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace velk
