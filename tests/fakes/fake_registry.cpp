#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/system_errors.h"

namespace velk {

namespace {

// Key and value names compare without case, for Latin and for Windows-1251
// Cyrillic letters alike.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а..я
    if (c == 0xB8) return 0xA8;                                  // ё
    return c;
}

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return FoldCase(static_cast<unsigned char>(x)) <
                                                       FoldCase(static_cast<unsigned char>(y));
                                            });
    }
};

bool SameName(const std::string& a, const std::string& b) {
    return !NameLess()(a, b) && !NameLess()(b, a);
}

constexpr char kWow64Node[] = "Wow6432Node";
constexpr char kSoftware[] = "SOFTWARE";

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool IsPredefined(RegHandle key) {
    return key == kHkeyClassesRoot || key == kHkeyCurrentUser || key == kHkeyLocalMachine ||
           key == kHkeyUsers;
}

}  // namespace

struct FakeRegistry::Key {
    std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys;
    struct Value {
        std::string name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    std::vector<Value> values;

    Value* FindValue(const std::string& name) {
        for (auto& value : values) {
            if (SameName(value.name, name)) return &value;
        }
        return nullptr;
    }
};

FakeRegistry::FakeRegistry(bool is64BitSystem) : is64BitSystem_(is64BitSystem) {
    for (const RegHandle root :
         {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
        roots_[root] = std::make_unique<Key>();
    }
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::FailBelow(RegHandle root, const std::string& path, long error) {
    failures_.push_back({root, SplitPath(path), error});
}

void FakeRegistry::FailSetValue(const std::string& valueName, long error) {
    valueFailures_[valueName] = error;
}

long FakeRegistry::InjectedFailure(RegHandle root, const std::vector<std::string>& path) const {
    for (const auto& failure : failures_) {
        if (failure.root != root || failure.path.size() > path.size()) continue;
        if (std::equal(failure.path.begin(), failure.path.end(), path.begin(), SameName)) {
            return failure.error;
        }
    }
    return kErrorSuccess;
}

const FakeRegistry::Handle* FakeRegistry::Find(RegHandle key, std::uint32_t access,
                                               long* error) const {
    const auto it = handles_.find(key);
    if (it == handles_.end()) {
        *error = kErrorInvalidHandle;
        return nullptr;
    }
    if ((it->second.access & access) != access) {
        *error = kErrorAccessDenied;
        return nullptr;
    }
    *error = InjectedFailure(it->second.root, it->second.path);
    return *error == kErrorSuccess ? &it->second : nullptr;
}

long FakeRegistry::Resolve(RegHandle parent, const std::string& subKey, std::uint32_t access,
                           bool create, RegHandle* result) {
    Handle start;
    if (IsPredefined(parent)) {
        start = {roots_.at(parent).get(), {}, parent, kKeyAllAccess};
    } else {
        const auto it = handles_.find(parent);
        if (it == handles_.end()) return kErrorInvalidHandle;
        start = it->second;
    }
    std::vector<std::string> path = start.path;
    for (auto& part : SplitPath(subKey)) path.push_back(std::move(part));

    // A 32-bit program sees HKLM\SOFTWARE\Wow6432Node as HKLM\SOFTWARE unless
    // it asks for the 64-bit view.
    const bool view32 = is64BitSystem_ && !(access & kKeyWow64_64Key);
    if (view32 && start.root == kHkeyLocalMachine && !path.empty() &&
        SameName(path[0], kSoftware) && (path.size() < 2 || !SameName(path[1], kWow64Node))) {
        path.insert(path.begin() + 1, kWow64Node);
    }
    if (const long error = InjectedFailure(start.root, path); error != kErrorSuccess) return error;

    Key* key = roots_.at(start.root).get();
    for (const auto& part : path) {
        if (part.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) {
            if (!create) return kErrorFileNotFound;
            it = key->subkeys.emplace(part, std::make_unique<Key>()).first;
        }
        key = it->second.get();
    }
    const RegHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = {key, std::move(path), start.root,
                        access & ~(kKeyWow64_64Key | kKeyWow64_32Key)};
    *result = handle;
    return kErrorSuccess;
}

long FakeRegistry::OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                           RegHandle* result) {
    return Resolve(parent, subKey, access, false, result);
}

long FakeRegistry::CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                             RegHandle* result) {
    return Resolve(parent, subKey, access, true, result);
}

long FakeRegistry::EnumKey(RegHandle key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize) {
    long error = kErrorSuccess;
    const Handle* handle = Find(key, kKeyEnumerateSubKeys, &error);
    if (handle == nullptr) return error;
    const auto& subkeys = handle->key->subkeys;
    if (index >= subkeys.size()) return kErrorNoMoreItems;
    const std::string& found = std::next(subkeys.begin(), index)->first;
    if (found.size() >= *nameSize) return kErrorMoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameSize = static_cast<std::uint32_t>(found.size());
    return kErrorSuccess;
}

long FakeRegistry::QueryValue(RegHandle key, const std::string& valueName, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* dataSize) {
    long error = kErrorSuccess;
    const Handle* handle = Find(key, kKeyQueryValue, &error);
    if (handle == nullptr) return error;
    const Key::Value* value = handle->key->FindValue(valueName);
    if (value == nullptr) return kErrorFileNotFound;
    if (type != nullptr) *type = value->type;
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && size > *dataSize) {
        *dataSize = size;
        return kErrorMoreData;
    }
    if (data != nullptr) std::copy(value->data.begin(), value->data.end(), data);
    *dataSize = size;
    return kErrorSuccess;
}

long FakeRegistry::SetValue(RegHandle key, const std::string& valueName, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t dataSize) {
    long error = kErrorSuccess;
    const Handle* handle = Find(key, kKeySetValue, &error);
    if (handle == nullptr) return error;
    if (const auto failure = valueFailures_.find(valueName); failure != valueFailures_.end()) {
        return failure->second;
    }
    std::vector<std::uint8_t> bytes(data, data + dataSize);
    if (Key::Value* value = handle->key->FindValue(valueName)) {
        value->type = type;
        value->data = std::move(bytes);
    } else {
        handle->key->values.push_back({valueName, type, std::move(bytes)});
    }
    return kErrorSuccess;
}

long FakeRegistry::CloseKey(RegHandle key) {
    if (IsPredefined(key)) return kErrorSuccess;
    return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace velk
