#include "tasks/compat_view_list.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {
namespace {

constexpr char kKeyPath[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";
constexpr char kValueName[] = "UserFilter";

constexpr std::uint32_t kFirstSignature = 0x00001F41;
constexpr std::uint32_t kSecondSignature = 0xBAAD0853;
constexpr std::uint32_t kEntryMarker = 12;
constexpr std::uint32_t kOne = 1;
constexpr std::size_t kHeaderSize = 24;
// The length field counts the value from after the entry count.
constexpr std::size_t kLengthFieldOffset = 12;
constexpr std::size_t kEntryFixedSize = 18;

[[noreturn]] void ThrowWrongFormat() { throw std::runtime_error("Wrong format of UserFilter"); }

[[noreturn]] void ThrowValueNotStored() {
    throw std::runtime_error(Utf8ToCp1251("Ошибка при создании параметра реестра UserFilter"));
}

std::uint32_t ReadUint32(const std::vector<std::uint8_t>& raw, std::size_t offset) {
    return static_cast<std::uint32_t>(raw[offset]) |
           static_cast<std::uint32_t>(raw[offset + 1]) << 8 |
           static_cast<std::uint32_t>(raw[offset + 2]) << 16 |
           static_cast<std::uint32_t>(raw[offset + 3]) << 24;
}

std::uint16_t ReadUint16(const std::vector<std::uint8_t>& raw, std::size_t offset) {
    return static_cast<std::uint16_t>(raw[offset] | raw[offset + 1] << 8);
}

void AppendUint32(std::vector<std::uint8_t>& raw, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        raw.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendUint16(std::vector<std::uint8_t>& raw, std::uint16_t value) {
    raw.push_back(static_cast<std::uint8_t>(value));
    raw.push_back(static_cast<std::uint8_t>(value >> 8));
}

void StoreUint32(std::vector<std::uint8_t>& raw, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) raw[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

UserFilterTime CurrentTime() {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    UserFilterTime time{};
    for (std::size_t i = 0; i < time.size(); ++i) {
        time[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(seconds) >> (8 * i));
    }
    return time;
}

}  // namespace

void DecodeUserFilter(const std::vector<std::uint8_t>& raw, std::vector<UserFilterTime>& times,
                      std::vector<std::string>& hosts) {
    if (raw.empty()) return;
    if (raw.size() < kHeaderSize || ReadUint32(raw, 0) != kFirstSignature ||
        ReadUint32(raw, 4) != kSecondSignature ||
        ReadUint32(raw, kLengthFieldOffset) != raw.size() - kLengthFieldOffset ||
        ReadUint32(raw, 16) != kOne || ReadUint32(raw, 20) != ReadUint32(raw, 8)) {
        ThrowWrongFormat();
    }
    const std::uint32_t count = ReadUint32(raw, 8);
    std::vector<UserFilterTime> decodedTimes;
    std::vector<std::string> decodedHosts;
    std::size_t offset = kHeaderSize;
    for (std::uint32_t entry = 0; entry < count; ++entry) {
        if (raw.size() - offset < kEntryFixedSize || ReadUint32(raw, offset) != kEntryMarker ||
            ReadUint32(raw, offset + 12) != kOne) {
            ThrowWrongFormat();
        }
        UserFilterTime time;
        std::copy_n(raw.begin() + static_cast<std::ptrdiff_t>(offset + 4), time.size(),
                    time.begin());
        const std::size_t length = ReadUint16(raw, offset + 16);
        offset += kEntryFixedSize;
        if (raw.size() - offset < 2 * length) ThrowWrongFormat();
        std::u16string name(length, u'\0');
        for (std::size_t unit = 0; unit < length; ++unit) {
            name[unit] = static_cast<char16_t>(ReadUint16(raw, offset + 2 * unit));
        }
        offset += 2 * length;
        decodedTimes.push_back(time);
        decodedHosts.push_back(Utf16ToCp1251(name));
    }
    times.insert(times.end(), decodedTimes.begin(), decodedTimes.end());
    hosts.insert(hosts.end(), decodedHosts.begin(), decodedHosts.end());
}

std::vector<std::uint8_t> EncodeUserFilter(const std::vector<UserFilterTime>& times,
                                           const std::vector<std::string>& hosts) {
    const auto count = static_cast<std::uint32_t>(hosts.size());
    std::vector<std::uint8_t> raw;
    AppendUint32(raw, kFirstSignature);
    AppendUint32(raw, kSecondSignature);
    AppendUint32(raw, count);
    AppendUint32(raw, 0);
    AppendUint32(raw, kOne);
    AppendUint32(raw, count);
    for (std::size_t entry = 0; entry < hosts.size(); ++entry) {
        const std::u16string name = Cp1251ToUtf16(hosts[entry]);
        // The length has 16 bits; a longer name cannot be stored.
        if (name.size() > std::numeric_limits<std::uint16_t>::max()) ThrowValueNotStored();
        AppendUint32(raw, kEntryMarker);
        raw.insert(raw.end(), times[entry].begin(), times[entry].end() - 1);
        raw.push_back(0x01);
        AppendUint32(raw, kOne);
        AppendUint16(raw, static_cast<std::uint16_t>(name.size()));
        for (const char16_t unit : name) AppendUint16(raw, unit);
    }
    StoreUint32(raw, kLengthFieldOffset,
                static_cast<std::uint32_t>(raw.size() - kLengthFieldOffset));
    return raw;
}

CompatViewList::CompatViewList(Registry& registry) : registry_(registry) { ReadUserFilter(); }

void CompatViewList::ReadUserFilter() {
    const RegKey key = RegKey::Open(registry_, kHkeyCurrentUser, kKeyPath, kKeyRead);
    if (!key) return;
    // Ask for the size first so that a value of any length is read whole; a
    // value that grows between the two calls is asked for again.
    for (;;) {
        std::uint32_t type = kRegNone;
        std::uint32_t size = 0;
        if (registry_.QueryValue(key.handle(), kValueName, &type, nullptr, &size) !=
                kErrorSuccess ||
            type != kRegBinary || size == 0) {
            return;
        }
        std::vector<std::uint8_t> data(size);
        const long result =
            registry_.QueryValue(key.handle(), kValueName, &type, data.data(), &size);
        if (result == kErrorMoreData) continue;
        if (result == kErrorSuccess && type == kRegBinary) {
            data.resize(size);
            raw_ = std::move(data);
        }
        return;
    }
}

std::vector<std::string> CompatViewList::ParseUserFilter() {
    DecodeUserFilter(raw_, times_, hosts_);
    decoded_ = true;
    return hosts_;
}

void CompatViewList::AddHost(const std::string& host) {
    times_.push_back(CurrentTime());
    hosts_.push_back(host);
}

void CompatViewList::WriteUserFilter() {
    if (!raw_.empty() && !decoded_) ThrowWrongFormat();
    raw_ = EncodeUserFilter(times_, hosts_);
    RegKey key = RegKey::Open(registry_, kHkeyCurrentUser, kKeyPath, kKeyWrite);
    if (!key) key = RegKey::Create(registry_, kHkeyCurrentUser, kKeyPath, kKeyAllAccess);
    if (!key) {
        throw std::runtime_error(
            Utf8ToCp1251("Ошибка при создании ключа реестра ClearableListData"));
    }
    if (registry_.SetValue(key.handle(), kValueName, kRegBinary, raw_.data(),
                           static_cast<std::uint32_t>(raw_.size())) != kErrorSuccess) {
        ThrowValueNotStored();
    }
}

}  // namespace velk
