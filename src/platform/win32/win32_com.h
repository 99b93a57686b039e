#pragma once

#include "platform/com.h"

namespace velk {

// Com over ole32's apartment-threaded initialisation.
class Win32Com final : public Com {
  public:
    std::int32_t Initialize() override;
    void Uninitialize() override;
};

}  // namespace velk
