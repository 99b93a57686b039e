#include <memory>

#include "contract/internet_contract.h"
#include "contract/processes_contract.h"
#include "contract/registry_contract.h"
#include "contract/system_info_contract.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_system_info.h"
#include "support/test_server.h"

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

std::vector<ProcessesTarget> ProcessesTargets() {
    auto make = []() -> std::unique_ptr<Processes> {
        auto fake = std::make_unique<FakeProcesses>();
        fake->programs["cmd"] = CommandInterpreter();
        return fake;
    };
    auto copyInterpreter = [](Processes& processes, const std::string& path) {
        static_cast<FakeProcesses&>(processes).programs[path] = CommandInterpreter();
    };
    return {{"fake", make, copyInterpreter}};
}

std::vector<InternetTarget> InternetTargets() {
    auto on = [](std::string base) {
        return [base](const std::string& path) { return base + path; };
    };
    const UrlOf url = on("http://127.0.0.1:8080");
    const UrlOf tlsUrl = on("https://localhost:8443");
    const UrlOf wrongHostUrl = on("https://localhost:8444");
    const UrlOf untrustedUrl = on("https://localhost:8445");
    auto make = [=]() -> std::unique_ptr<Internet> {
        auto fake = std::make_unique<FakeInternet>();
        const std::string body = TestPattern(kContractBodySize);
        fake->responses[url(kContractBodyPath)] = FakeInternet::Body(body);
        fake->responses[tlsUrl(kContractBodyPath)] = FakeInternet::Body(body);
        fake->responses[url("/redirect?to=" + url(kContractBodyPath))] = FakeInternet::Body(body);
        fake->responses[url("/redirect?to=" + url(kContractBodyPath))].redirectedTo =
            url(kContractBodyPath);
        fake->responses[url(kContractChunkedPath)] = FakeInternet::BodyWithoutLength(body);
        auto dropped = FakeInternet::Body(TestPattern(kContractDroppedSize));
        dropped.contentLength = std::to_string(kContractBodySize);
        fake->responses[url(kContractDroppedPath)] = dropped;
        for (const int status : kContractErrorStatuses) {
            fake->responses[url(ContractStatusPath(status))] =
                FakeInternet::Status(status, ContractStatusPage(status));
        }
        fake->responses[wrongHostUrl(kContractBodyPath)].openError = kErrorInternetSecCertCnInvalid;
        fake->responses[untrustedUrl(kContractBodyPath)].openError = kErrorInternetInvalidCa;
        return fake;
    };
    return {{"fake", make, url, tlsUrl, wrongHostUrl, untrustedUrl}};
}

}  // namespace velk::test
