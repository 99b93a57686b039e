#pragma once

#include "platform/registry.h"

namespace velk {

// Registry over advapi32's ANSI calls.
class Win32Registry final : public Registry {
  public:
    long OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                 RegHandle* result) override;
    long CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                   RegHandle* result) override;
    long EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
    long QueryValue(RegHandle key, const std::string& valueName, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* dataSize) override;
    long SetValue(RegHandle key, const std::string& valueName, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t dataSize) override;
    long CloseKey(RegHandle key) override;
};

}  // namespace velk
