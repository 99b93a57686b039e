#include "contract/resources_contract.h"
#include "fakes/fake_resources.h"
#include "support/test_support.h"

namespace velk::test {

std::unique_ptr<Resources> MakeResources() {
    auto fake = std::make_unique<FakeResources>();
    fake->items[{ResourceType::Html, kContractHtmlId}] = ReadFile(DataFile("resources/page.html"));
    fake->items[{ResourceType::Png, kContractPngId}] = ReadFile(DataFile("resources/dot.png"));
    return fake;
}

}  // namespace velk::test
