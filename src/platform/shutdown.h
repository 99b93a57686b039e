#pragma once

namespace velk {

// Restarting the computer after an installer asked for it.
class Shutdown {
  public:
    virtual ~Shutdown() = default;
    // Enables the shutdown privilege of this process and starts a forced,
    // planned restart for an operating-system upgrade; true when it started.
    virtual bool RestartComputer() = 0;
};

}  // namespace velk
