#include "tasks/certificate.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace velk {
namespace {

TEST(ParseStampTest, EveryTokenGivesOneByte) {
    const struct {
        const char* stamp;
        Bytes bytes;
    } cases[] = {
        {"4f 1a 9c", {0x4f, 0x1a, 0x9c}},
        {"  4f   1a\t9c \r\n", {0x4f, 0x1a, 0x9c}},
        {"4F 1A 9C", {0x4f, 0x1a, 0x9c}},
        {"4f1a 9c", {0x1a, 0x9c}},
        {"1ff", {0xff}},
        {"123456789abcdef0123", {0x23}},
        {"0x1f 0X2e 0x0", {0x1f, 0x2e, 0x00}},
        {"f 0 00", {0x0f, 0x00, 0x00}},
        // Tokens that are no hexadecimal number keep their place as 0.
        {"zz 10", {0x00, 0x10}},
        {"1fz 0x 10", {0x00, 0x00, 0x10}},
        {"-1 +2 10", {0x00, 0x00, 0x10}},
        {"4f:1a", {0x00}},
        {"", {}},
        {" \t ", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseStamp(c.stamp), c.bytes) << "'" << c.stamp << "'";
    }
}

YamlPairs Pairs(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    YamlPairs result;
    for (const auto& [key, value] : pairs) result.emplace_back(key, value);
    return result;
}

TEST(ReadCertificatesTest, EachNameBeginsTheNextCertificate) {
    const auto certificates =
        ReadCertificates(ReadYamlPairsFromText("type: certificate\n"
                                               "name: Корневые сертификаты\n"
                                               "-certificate:\n"
                                               "    name: Головной УЦ\n"
                                               "    SrcUrl: http://127.0.0.1/root.cer\n"
                                               "    stamp: 4f 1a\n"
                                               "    store: ROOT\n"
                                               "-certificate:\n"
                                               "    name: Подчинённый УЦ\n"
                                               "    store: CA\n"));
    ASSERT_EQ(certificates.size(), 2u);
    EXPECT_EQ(certificates[0]->name, Utf8ToCp1251("Головной УЦ"));
    EXPECT_EQ(certificates[0]->SrcUrl, "http://127.0.0.1/root.cer");
    EXPECT_EQ(certificates[0]->stamp, "4f 1a");
    EXPECT_EQ(certificates[0]->store, "ROOT");
    EXPECT_EQ(certificates[1]->name, Utf8ToCp1251("Подчинённый УЦ"));
    EXPECT_EQ(certificates[1]->store, "CA");
    EXPECT_EQ(certificates[1]->SrcUrl, "");
    EXPECT_EQ(certificates[1]->stamp, "");
    for (const auto& certificate : certificates) {
        EXPECT_EQ(certificate->localPath, "");
        EXPECT_TRUE(certificate->bytes.empty());
    }
}

TEST(ReadCertificatesTest, KeysOutsideACertificateAreDropped) {
    const auto certificates = ReadCertificates(Pairs({
        {"certificate:store", "ROOT"},  // no certificate begun yet
        {"certificate:SrcUrl", "http://a/"},
        {"name", "task name"},
        {"certificate:name", "first"},
        {"certificate:SrcUrl", "http://b/"},
        {"certificate:SrcUrl", "http://c/"},  // the later one wins
        {"Certificate:store", "MY"},          // keys are case-sensitive
        {"certificates:store", "MY"},
        {"certificate:Store", "MY"},
        {"certificate:thumbprint", "00"},
        {"certificate", "x"},
        {"certificate:store", "CA"},
        {"certificate:name", "second"},
    }));
    ASSERT_EQ(certificates.size(), 2u);
    EXPECT_EQ(certificates[0]->name, "first");
    EXPECT_EQ(certificates[0]->SrcUrl, "http://c/");
    EXPECT_EQ(certificates[0]->store, "CA");
    EXPECT_EQ(certificates[0]->stamp, "");
    EXPECT_EQ(certificates[1]->name, "second");
    EXPECT_EQ(certificates[1]->store, "");
    EXPECT_EQ(certificates[1]->SrcUrl, "");
}

TEST(ReadCertificatesTest, AStoreBeforeTheNameOfItsGroupIsLost) {
    const auto certificates =
        ReadCertificates(ReadYamlPairsFromText("-certificate:\n"
                                               "    name: first\n"
                                               "    store: ROOT\n"
                                               "-certificate:\n"
                                               "    store: CA\n"
                                               "    name: second\n"));
    ASSERT_EQ(certificates.size(), 2u);
    // The misplaced store lands in the certificate begun before it.
    EXPECT_EQ(certificates[0]->store, "CA");
    EXPECT_EQ(certificates[1]->store, "");
}

}  // namespace
}  // namespace velk
