#include <memory>

#include "contract/registry_contract.h"
#include "contract/system_info_contract.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_system_info.h"

namespace velk::test {

std::vector<SystemInfoTarget> SystemInfoTargets() {
    auto fake = [](bool is64BitSystem) {
        return [is64BitSystem]() -> std::unique_ptr<SystemInfo> {
            return std::make_unique<FakeSystemInfo>(is64BitSystem);
        };
    };
    return {{"win64", fake(true)}, {"win32", fake(false)}};
}

std::vector<RegistryTarget> RegistryTargets() {
    auto fake = [](bool is64BitSystem) {
        return [is64BitSystem]() -> std::unique_ptr<Registry> {
            return std::make_unique<FakeRegistry>(is64BitSystem);
        };
    };
    // Each test gets a fresh fake, so there is nothing to remove.
    auto keep = [](RegHandle, const std::string&) {};
    return {{"win64", fake(true), keep}, {"win32", fake(false), keep}};
}

}  // namespace velk::test
