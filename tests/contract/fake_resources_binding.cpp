#include <fstream>
#include <sstream>

#include "contract/resources_contract.h"
#include "fakes/fake_resources.h"
#include "support/test_support.h"

namespace velk::test {

std::unique_ptr<Resources> MakeResources() {
    auto fake = std::make_unique<FakeResources>();
    const auto read = [](const char* name) {
        std::ifstream in(DataFile(std::string("resources/") + name), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    fake->items[{ResourceType::Html, kContractHtmlId}] = read("page.html");
    fake->items[{ResourceType::Png, kContractPngId}] = read("dot.png");
    return fake;
}

}  // namespace velk::test
