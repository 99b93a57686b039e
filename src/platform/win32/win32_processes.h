#pragma once

#include "platform/processes.h"

namespace velk {

// Processes over kernel32.
class Win32Processes final : public Processes {
  public:
    ProcessRun Run(const std::string& commandLine) override;
};

}  // namespace velk
