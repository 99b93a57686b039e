#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velk {

// An in-memory registry that behaves like the system's for a 32-bit program:
// on a 64-bit system HKEY_LOCAL_MACHINE\SOFTWARE has a separate 32-bit view
// below SOFTWARE\Wow6432Node, which is also the view used without a view
// flag; on a 32-bit system there is one view and the flags are ignored.
// Handles carry their access rights, which every call checks.
class FakeRegistry : public Registry {
  public:
    explicit FakeRegistry(bool is64BitSystem = true);
    ~FakeRegistry() override;

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

    // Keys opened and not yet closed: tests check that nothing leaks.
    std::size_t OpenHandleCount() const { return handles_.size(); }

    // Makes every later call on keys at or below root\path (as the 64-bit
    // view names them) fail with the given code, as an unreadable key would.
    void FailBelow(RegHandle root, const std::string& path, long error);

    // Makes every later SetValue of a value with this name fail with the
    // given code, while its key still opens.
    void FailSetValue(const std::string& valueName, long error);

    struct Key;

  private:
    struct Handle {
        Key* key;
        std::vector<std::string> path;  // physical path below the root
        RegHandle root;
        std::uint32_t access;
    };

    long Resolve(RegHandle parent, const std::string& subKey, std::uint32_t access, bool create,
                 RegHandle* result);
    const Handle* Find(RegHandle key, std::uint32_t access, long* error) const;
    long InjectedFailure(RegHandle root, const std::vector<std::string>& path) const;

    bool is64BitSystem_;
    std::map<RegHandle, std::unique_ptr<Key>> roots_;
    std::map<RegHandle, Handle> handles_;
    RegHandle nextHandle_ = 0x1000;
    struct Failure {
        RegHandle root;
        std::vector<std::string> path;
        long error;
    };
    std::vector<Failure> failures_;
    std::map<std::string, long> valueFailures_;
};

}  // namespace velk
