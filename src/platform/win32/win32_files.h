#pragma once

#include "platform/files.h"

namespace velk {

// Files over kernel32 and shlwapi.
class Win32Files final : public Files {
  public:
    long Copy(const std::string& from, const std::string& to) override;
    long SetAttributes(const std::string& path, std::uint32_t attributes) override;
    bool Exists(const std::string& path) override;
};

}  // namespace velk
