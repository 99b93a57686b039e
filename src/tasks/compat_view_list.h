#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velk {

// Eight bytes of an entry's time stamp, kept as read.
using UserFilterTime = std::array<std::uint8_t, 8>;

// The browser's compatibility-view host list of the current user, kept in the
// binary value UserFilter. The list is read once, decoded, extended and
// written back whole; texts are Windows-1251.
class CompatViewList {
  public:
    // Reads the stored value whatever its size; a missing key or value, or a
    // value that is not binary, is an empty list.
    explicit CompatViewList(Registry& registry);

    // Decodes the value read into the entries and returns their hosts. Throws
    // std::runtime_error "Wrong format of UserFilter" for a malformed value.
    std::vector<std::string> ParseUserFilter();

    // Appends an entry stamped with the current time; no duplicate check.
    void AddHost(const std::string& host);

    // Encodes every entry and stores the value, creating the key if needed.
    // A stored value that did not decode is never replaced.
    void WriteUserFilter();

    const std::vector<std::uint8_t>& raw() const { return raw_; }
    const std::vector<UserFilterTime>& times() const { return times_; }

  private:
    void ReadUserFilter();

    Registry& registry_;
    std::vector<std::uint8_t> raw_;
    std::vector<UserFilterTime> times_;
    std::vector<std::string> hosts_;
    bool decoded_ = false;
};

// The value format on its own. Decoding appends nothing when it throws.
void DecodeUserFilter(const std::vector<std::uint8_t>& raw, std::vector<UserFilterTime>& times,
                      std::vector<std::string>& hosts);
// Each time stamp is written with 0x01 as its most significant byte. Throws
// std::runtime_error for a host too long for its 16-bit length.
std::vector<std::uint8_t> EncodeUserFilter(const std::vector<UserFilterTime>& times,
                                           const std::vector<std::string>& hosts);

}  // namespace velk
