#pragma once

#include <ostream>
#include <vector>

#include "lint/finding.h"

namespace velk {

// One line per finding as compilers write them,
// "FILE:LINE:COLUMN: error|warning: text [rule]", then the summary line.
void WriteFindings(const std::vector<Finding>& findings, std::ostream& out);

// The findings as a SARIF 2.1.0 log for code-review tools.
void WriteSarif(const std::vector<Finding>& findings, std::ostream& out);

bool HasErrors(const std::vector<Finding>& findings);

}  // namespace velk
