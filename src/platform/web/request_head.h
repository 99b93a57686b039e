#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velk::web {

// The head of one request, taken in as its bytes arrive and refused as soon
// as it passes a limit, so that no client makes the host hold more than a few
// kilobytes before its token is checked. The page's own heads are well under
// a kilobyte: its longest line is a poll's address with three numbers.
class RequestHead {
  public:
    static constexpr std::size_t kLineLimit = 4096;  // the request line and each header line
    static constexpr std::size_t kHeaderLimit = 64;
    static constexpr std::size_t kHeadLimit = 16 * 1024;

    enum class State { Reading, Complete, TooLarge, Malformed };

    // Adds bytes as they came; bytes after the head (the start of a body)
    // are kept too.
    State Add(std::string_view bytes);
    State state() const { return state_; }
    // Everything received so far.
    const std::string& bytes() const { return bytes_; }
    // The request line's target, once complete.
    std::string_view target() const {
        return std::string_view(bytes_).substr(targetStart_, targetLength_);
    }

  private:
    State Finish();

    std::string bytes_;
    std::size_t scanned_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t lines_ = 0;
    std::size_t targetStart_ = 0;
    std::size_t targetLength_ = 0;
    State state_ = State::Reading;
};

}  // namespace velk::web
