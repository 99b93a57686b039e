#include "contract/resources_contract.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace velk::test {
namespace {

// The test program carries tests/data/resources/page.html as HTML resource
// kContractHtmlId and dot.png as PNG resource kContractPngId.
TEST(ResourcesContract, ResourcesComeBackByteForByteAndMissingOnesAreNone) {
    const auto resources = MakeResources();
    const auto page = resources->Load(ResourceType::Html, kContractHtmlId);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, ReadFile(DataFile("resources/page.html")));
    const auto picture = resources->Load(ResourceType::Png, kContractPngId);
    ASSERT_TRUE(picture);
    EXPECT_EQ(*picture, ReadFile(DataFile("resources/dot.png")));

    EXPECT_FALSE(resources->Load(ResourceType::Png, kContractHtmlId));
    EXPECT_FALSE(resources->Load(ResourceType::Html, kContractPngId));
    EXPECT_FALSE(resources->Load(ResourceType::Html, 9999));
}

}  // namespace
}  // namespace velk::test
