#include "platform/registry_key.h"

#include <utility>
#include <vector>

#include "platform/system_errors.h"

namespace velk {

RegKey::RegKey(RegKey&& other) noexcept
    : registry_(other.registry_), handle_(std::exchange(other.handle_, 0)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        registry_ = other.registry_;
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

RegKey::~RegKey() { Close(); }

void RegKey::Close() {
    if (handle_ != 0) registry_->CloseKey(std::exchange(handle_, 0));
}

RegKey RegKey::Open(Registry& registry, RegHandle parent, const std::string& subKey,
                    std::uint32_t access, long* error) {
    RegHandle handle = 0;
    const long result = registry.OpenKey(parent, subKey, access, &handle);
    if (error != nullptr) *error = result;
    return result == kErrorSuccess ? RegKey(registry, handle) : RegKey();
}

RegKey RegKey::Create(Registry& registry, RegHandle parent, const std::string& subKey,
                      std::uint32_t access, long* error) {
    RegHandle handle = 0;
    const long result = registry.CreateKey(parent, subKey, access, &handle);
    if (error != nullptr) *error = result;
    return result == kErrorSuccess ? RegKey(registry, handle) : RegKey();
}

long RegKey::Query(const std::string& valueName, std::uint32_t capacity, std::uint32_t* type,
                   std::string* data) const {
    data->clear();
    std::vector<std::uint8_t> buffer(capacity);
    std::uint32_t size = capacity;
    const long result = registry_->QueryValue(handle_, valueName, type, buffer.data(), &size);
    if (result == kErrorSuccess) data->assign(buffer.begin(), buffer.begin() + size);
    return result;
}

std::optional<std::string> RegKey::QueryText(const std::string& valueName, std::uint32_t capacity,
                                             std::uint32_t* type) const {
    std::string data;
    if (Query(valueName, capacity, type, &data) != kErrorSuccess) return std::nullopt;
    return TextUpToNul(data);
}

long RegKey::Set(const std::string& valueName, std::uint32_t type, const std::string& data) const {
    return registry_->SetValue(handle_, valueName, type,
                               reinterpret_cast<const std::uint8_t*>(data.data()),
                               static_cast<std::uint32_t>(data.size()));
}

std::string TextUpToNul(const std::string& data) { return data.substr(0, data.find('\0')); }

}  // namespace velk
