#pragma once

#include <gtest/gtest.h>

#include <string>

namespace velk::test {

// Makes the test server's CA (TestServerCaPath) trusted by the current user
// for the whole test program: added to the ROOT store before the first test,
// so that the program's first certificate check already sees it, and removed
// after the last. Register it with ::testing::AddGlobalTestEnvironment.
class TrustedTestCa : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;

  private:
    std::string encoded_;
};

}  // namespace velk::test
