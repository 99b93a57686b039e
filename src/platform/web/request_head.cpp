#include "platform/web/request_head.h"

namespace velk::web {

RequestHead::State RequestHead::Add(std::string_view bytes) {
    if (state_ != State::Reading) return state_;
    bytes_.append(bytes);
    for (; scanned_ < bytes_.size(); ++scanned_) {
        if (bytes_[scanned_] != '\n') continue;
        std::size_t length = scanned_ - lineStart_;
        if (length > 0 && bytes_[scanned_ - 1] == '\r') --length;
        lineStart_ = scanned_ + 1;
        if (length > kLineLimit) return state_ = State::TooLarge;
        if (length == 0) {
            ++scanned_;
            return state_ = lines_ == 0 ? State::Malformed : Finish();
        }
        if (++lines_ > kHeaderLimit + 1) return state_ = State::TooLarge;
    }
    if (scanned_ - lineStart_ > kLineLimit || bytes_.size() > kHeadLimit) {
        state_ = State::TooLarge;
    }
    return state_;
}

RequestHead::State RequestHead::Finish() {
    if (scanned_ > kHeadLimit) return State::TooLarge;
    // "METHOD TARGET VERSION"
    const std::string_view line(bytes_.data(), bytes_.find('\n'));
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos || second == first + 1) return State::Malformed;
    targetStart_ = first + 1;
    targetLength_ = second - first - 1;
    return State::Complete;
}

}  // namespace velk::web
