#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace velk {

// Owns one open registry key and closes it on every path.
class RegKey {
  public:
    RegKey() = default;
    RegKey(Registry& registry, RegHandle handle) : registry_(&registry), handle_(handle) {}
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey();

    // Opens or creates parent\subKey; an empty RegKey when that fails, with
    // the system's code in *error when error is given.
    static RegKey Open(Registry& registry, RegHandle parent, const std::string& subKey,
                       std::uint32_t access, long* error = nullptr);
    static RegKey Create(Registry& registry, RegHandle parent, const std::string& subKey,
                         std::uint32_t access, long* error = nullptr);

    explicit operator bool() const { return handle_ != 0; }
    RegHandle handle() const { return handle_; }

    // Reads a value into a buffer of `capacity` bytes, as the system call
    // does: a longer value is a failure (kErrorMoreData) and *data stays
    // empty. On success *data holds exactly the bytes returned.
    long Query(const std::string& valueName, std::uint32_t capacity, std::uint32_t* type,
               std::string* data) const;

    // The data of a value that fits `capacity` bytes, up to its first NUL as
    // C code reads a text; nothing when the query fails. *type, when given,
    // tells the value's type, which callers that want a REG_SZ check.
    std::optional<std::string> QueryText(const std::string& valueName, std::uint32_t capacity,
                                         std::uint32_t* type = nullptr) const;

    long Set(const std::string& valueName, std::uint32_t type, const std::string& data) const;

  private:
    void Close();

    Registry* registry_ = nullptr;
    RegHandle handle_ = 0;
};

// The text of a string value as C code reads it: up to the first NUL.
std::string TextUpToNul(const std::string& data);

}  // namespace velk
