#pragma once

#include "platform/shutdown.h"

namespace velk {

class Win32Shutdown final : public Shutdown {
  public:
    bool RestartComputer() override;
};

}  // namespace velk
