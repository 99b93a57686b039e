#include "contract/certificate_stores_contract.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_certificates.h"

namespace velk::test {
namespace {

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

class CertificateStoresContract : public ::testing::TestWithParam<CertificateStoresTarget> {
  protected:
    void SetUp() override {
        stores_ = GetParam().make();
        root_ = LoadTestCertificate("root");
        ca_ = LoadTestCertificate("ca");
        RemoveTestCertificates();
    }
    void TearDown() override { RemoveTestCertificates(); }

    void RemoveTestCertificates() {
        for (const char* store : {"ROOT", "CA"}) {
            for (const TestCertificate* certificate : {&root_, &ca_}) {
                GetParam().remove(store, certificate->thumbprint);
                GetParam().removeFromMachine(store, certificate->thumbprint);
            }
        }
    }

    // Opens the store, looks the thumbprint up and closes the store again,
    // checking that both the open and the close succeed.
    bool Holds(const std::string& store, const Bytes& thumbprint) {
        const CertStoreHandle handle = stores_->OpenSystemStore(store);
        EXPECT_NE(handle, 0u) << store;
        if (handle == 0) return false;
        const bool found = stores_->FindBySha1(handle, thumbprint);
        EXPECT_TRUE(stores_->CloseStore(handle)) << store;
        return found;
    }

    std::unique_ptr<CertificateStores> stores_;
    TestCertificate root_, ca_;
};

TEST_P(CertificateStoresContract, ThumbprintsAreTheSha1OfTheData) {
    const struct {
        Bytes data;
        std::string sha1;
    } cases[] = {
        {{}, "da 39 a3 ee 5e 6b 4b 0d 32 55 bf ef 95 60 18 90 af d8 07 09"},
        {TextBytes("abc"), "a9 99 3e 36 47 06 81 6a ba 3e 25 71 78 50 c2 6c 9c d0 d8 9d"},
        // Two blocks of the digest, since the padding no longer fits the first.
        {TextBytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
         "84 98 3e 44 1c 3b d2 6e ba ae 4a a1 f9 51 29 e5 e5 46 70 f1"},
        {root_.der, StampOf(root_.thumbprint)},
        {ca_.der, StampOf(ca_.thumbprint)},
    };
    for (const auto& c : cases) {
        Bytes thumbprint;
        ASSERT_TRUE(stores_->Sha1(c.data, &thumbprint)) << c.sha1;
        EXPECT_EQ(StampOf(thumbprint), c.sha1);
    }
}

TEST_P(CertificateStoresContract, AddedCertificatesAreFoundInTheirOwnStoreOnly) {
    ASSERT_FALSE(Holds("ROOT", root_.thumbprint));
    ASSERT_FALSE(Holds("CA", ca_.thumbprint));

    EXPECT_TRUE(stores_->AddEncodedToSystemStore("ROOT", root_.der));
    EXPECT_TRUE(stores_->AddEncodedToSystemStore("CA", ca_.der));
    // A certificate that is already there is no failure.
    EXPECT_TRUE(stores_->AddEncodedToSystemStore("ROOT", root_.der));

    EXPECT_TRUE(Holds("ROOT", root_.thumbprint));
    EXPECT_TRUE(Holds("CA", ca_.thumbprint));
    EXPECT_FALSE(Holds("CA", root_.thumbprint));
    EXPECT_FALSE(Holds("ROOT", ca_.thumbprint));
    EXPECT_FALSE(Holds("MY", root_.thumbprint));
    // Store names are registry key names: letter case does not matter.
    EXPECT_TRUE(Holds("root", root_.thumbprint));
}

// An unattended run puts roots into the machine's store, where nobody is asked;
// detection looks in the current user's, which must show them.
TEST_P(CertificateStoresContract, TheUsersRootStoreShowsTheMachinesRoots) {
    ASSERT_FALSE(Holds("ROOT", root_.thumbprint));
    EXPECT_TRUE(stores_->AddEncodedToMachineStore("ROOT", root_.der));
    EXPECT_TRUE(stores_->AddEncodedToMachineStore("ROOT", root_.der));
    EXPECT_FALSE(stores_->AddEncodedToMachineStore("ROOT", TextBytes("no certificate")));
    EXPECT_TRUE(Holds("ROOT", root_.thumbprint));
    EXPECT_FALSE(Holds("CA", root_.thumbprint));
}

TEST_P(CertificateStoresContract, OnlyTheWholeThumbprintFindsACertificate) {
    ASSERT_TRUE(stores_->AddEncodedToSystemStore("ROOT", root_.der));
    const Bytes& full = root_.thumbprint;
    Bytes otherLastByte = full;
    otherLastByte.back() ^= 0x01;
    for (const Bytes& thumbprint : {Bytes{}, Bytes(full.begin(), full.begin() + 3),
                                    Bytes(full.begin(), full.end() - 1), otherLastByte}) {
        EXPECT_FALSE(Holds("ROOT", thumbprint)) << StampOf(thumbprint);
    }
    EXPECT_TRUE(Holds("ROOT", full));
}

TEST_P(CertificateStoresContract, DataThatIsNoDerCertificateIsRefused) {
    const Bytes truncated(root_.der.begin(), root_.der.end() - 10);
    const struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"nothing", {}},
        {"text", TextBytes("not a certificate")},
        {"PEM text", root_.pem},
        {"truncated DER", truncated},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(stores_->AddEncodedToSystemStore("ROOT", c.data)) << c.what;
    }
    EXPECT_FALSE(Holds("ROOT", root_.thumbprint));
}

TEST_P(CertificateStoresContract, StoresOfAnyNameOpenAndStartEmpty) {
    for (const char* store : {"", "velk contract store never used"}) {
        EXPECT_FALSE(Holds(store, root_.thumbprint)) << "'" << store << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CertificateStoresContract,
                         ::testing::ValuesIn(CertificateStoresTargets()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace velk::test
