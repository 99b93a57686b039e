#include "contract/resources_contract.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/test_support.h"

namespace velk::test {
namespace {

std::string FileBytes(const std::string& name) {
    std::ifstream in(DataFile("resources/" + name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The test program carries tests/data/resources/page.html as HTML resource
// kContractHtmlId and dot.png as PNG resource kContractPngId.
TEST(ResourcesContract, ResourcesComeBackByteForByteAndMissingOnesAreNone) {
    const auto resources = MakeResources();
    const auto page = resources->Load(ResourceType::Html, kContractHtmlId);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, FileBytes("page.html"));
    const auto picture = resources->Load(ResourceType::Png, kContractPngId);
    ASSERT_TRUE(picture);
    EXPECT_EQ(*picture, FileBytes("dot.png"));

    EXPECT_FALSE(resources->Load(ResourceType::Png, kContractHtmlId));
    EXPECT_FALSE(resources->Load(ResourceType::Html, kContractPngId));
    EXPECT_FALSE(resources->Load(ResourceType::Html, 9999));
}

}  // namespace
}  // namespace velk::test
