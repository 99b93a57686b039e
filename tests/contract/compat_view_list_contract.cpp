// CompatViewList against the fake registry natively and the real one under
// Wine: stored UserFilter values read, extended and written back, compared
// byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "contract/registry_contract.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "tasks/compat_view_list.h"

namespace velk::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char kListKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData";

void Append32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A time stamp whose bytes count up from `low`, most significant byte `high`.
UserFilterTime Time(std::uint8_t low, std::uint8_t high) {
    UserFilterTime time{};
    for (std::uint8_t i = 0; i < 7; ++i) time[i] = static_cast<std::uint8_t>(low + i);
    time[7] = high;
    return time;
}

Bytes Entry(const UserFilterTime& time, const std::u16string& name) {
    Bytes bytes;
    Append32(bytes, 12);
    bytes.insert(bytes.end(), time.begin(), time.end());
    Append32(bytes, 1);
    bytes.push_back(static_cast<std::uint8_t>(name.size()));
    bytes.push_back(static_cast<std::uint8_t>(name.size() >> 8));
    for (const char16_t unit : name) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// A well-formed value of these entries, then `trailing` (counted in the length).
Bytes Value(const std::vector<Bytes>& entries, const Bytes& trailing = {}) {
    Bytes body;
    for (const Bytes& entry : entries) body.insert(body.end(), entry.begin(), entry.end());
    body.insert(body.end(), trailing.begin(), trailing.end());
    Bytes bytes = {0x41, 0x1F, 0x00, 0x00, 0x53, 0x08, 0xAD, 0xBA};
    Append32(bytes, static_cast<std::uint32_t>(entries.size()));
    Append32(bytes, static_cast<std::uint32_t>(24 + body.size() - 12));
    Append32(bytes, 1);
    Append32(bytes, static_cast<std::uint32_t>(entries.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes With(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes.at(offset) = value;
    return bytes;
}

// The layouts written out by hand: an empty list, and one host "abc".
const Bytes kEmptyList = {0x41, 0x1F, 0x00, 0x00, 0x53, 0x08, 0xAD, 0xBA, 0x00, 0x00, 0x00, 0x00,
                          0x0C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kOneHost = {0x41, 0x1F, 0x00, 0x00, 0x53, 0x08, 0xAD, 0xBA, 0x01, 0x00, 0x00, 0x00,
                        0x24, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                        0x0C, 0x00, 0x00, 0x00, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                        0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00};
// The time stamp's most significant byte of the first entry.
constexpr std::size_t kFirstTimeHighByte = 24 + 11;

// Many entries, more than 9 000 bytes in all, and their hosts.
struct LongList {
    std::vector<Bytes> stored, written;
    std::vector<std::string> hosts;
};
LongList MakeLongList() {
    LongList list;
    for (int i = 0; Value(list.stored).size() < 9000; ++i) {
        const std::string host = "host" + std::to_string(i) + ".example.ru";
        const std::u16string name(host.begin(), host.end());
        list.stored.push_back(Entry(Time(static_cast<std::uint8_t>(i), 0x7F), name));
        list.written.push_back(Entry(Time(static_cast<std::uint8_t>(i), 0x01), name));
        list.hosts.push_back(host);
    }
    return list;
}

class CompatViewListContract : public ::testing::TestWithParam<RegistryTarget> {
  protected:
    void SetUp() override {
        registry_ = GetParam().make();
        GetParam().removeTree(kHkeyCurrentUser, kListKey);
    }
    void TearDown() override { GetParam().removeTree(kHkeyCurrentUser, kListKey); }

    void Store(const Bytes& bytes, std::uint32_t type = kRegBinary) {
        const RegKey key = RegKey::Create(*registry_, kHkeyCurrentUser, kListKey, kKeyAllAccess);
        ASSERT_TRUE(key);
        ASSERT_EQ(registry_->SetValue(key.handle(), "UserFilter", type, bytes.data(),
                                      static_cast<std::uint32_t>(bytes.size())),
                  kErrorSuccess);
    }
    Bytes Stored() {
        const RegKey key = RegKey::Open(*registry_, kHkeyCurrentUser, kListKey, kKeyRead);
        std::uint32_t type = kRegNone;
        std::uint32_t size = 0;
        if (!key || registry_->QueryValue(key.handle(), "UserFilter", &type, nullptr, &size) !=
                        kErrorSuccess) {
            return {};
        }
        Bytes bytes(size);
        EXPECT_EQ(registry_->QueryValue(key.handle(), "UserFilter", &type, bytes.data(), &size),
                  kErrorSuccess);
        EXPECT_EQ(type, kRegBinary);
        return bytes;
    }
    std::vector<std::string> Cp1251(const std::vector<std::string>& utf8) {
        std::vector<std::string> texts;
        for (const auto& text : utf8) texts.push_back(Utf8ToCp1251(text));
        return texts;
    }

    std::unique_ptr<Registry> registry_;
};

TEST_P(CompatViewListContract, StoredListsAreDecodedAndWrittenBackWithTheTimeMarker) {
    const LongList longList = MakeLongList();
    const struct {
        const char* name;
        Bytes stored;
        std::vector<std::string> hosts;
        Bytes written;
    } cases[] = {
        {"empty list", kEmptyList, {}, kEmptyList},
        {"one three-letter host", kOneHost, {"abc"}, With(kOneHost, kFirstTimeHighByte, 0x01)},
        {"time marker already set",
         With(kOneHost, kFirstTimeHighByte, 0x01),
         {"abc"},
         With(kOneHost, kFirstTimeHighByte, 0x01)},
        {"Cyrillic host",
         Value({Entry(Time(1, 0), u"сайт.рф")}),
         {"сайт.рф"},
         Value({Entry(Time(1, 1), u"сайт.рф")})},
        {"characters without a Windows-1251 form",
         Value({Entry(Time(1, 1), u"日本.jp")}),
         {"??.jp"},
         Value({Entry(Time(1, 1), u"??.jp")})},
        {"no entries and trailing bytes", Value({}, {1, 2, 3, 4, 5}), {}, kEmptyList},
        {"entries and trailing bytes",
         Value({Entry(Time(9, 1), u"a.ru")}, {0xEE}),
         {"a.ru"},
         Value({Entry(Time(9, 1), u"a.ru")})},
        {"over 9000 bytes", Value(longList.stored), longList.hosts, Value(longList.written)},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Store(item.stored);
        CompatViewList list(*registry_);
        EXPECT_EQ(list.raw(), item.stored);
        EXPECT_EQ(list.ParseUserFilter(), Cp1251(item.hosts));
        list.WriteUserFilter();
        EXPECT_EQ(Stored(), item.written);
    }
}

TEST_P(CompatViewListContract, MalformedValuesAreRefusedAndKept) {
    const Bytes oneHost = kOneHost;
    const struct {
        const char* name;
        Bytes stored;
    } cases[] = {
        {"length field one too large", With(oneHost, 12, 0x25)},
        {"length field one too small", With(oneHost, 12, 0x23)},
        {"first signature", With(oneHost, 1, 0x1E)},
        {"second signature", With(oneHost, 7, 0xBB)},
        {"constant 1 of the header", With(oneHost, 16, 0x02)},
        {"second count differs", With(oneHost, 20, 0x02)},
        {"entry marker", With(oneHost, 24, 0x0D)},
        {"constant 1 of the entry", With(oneHost, 36, 0x00)},
        {"name runs past the end", With(oneHost, 40, 0x04)},
        {"entry runs past the end", With(kEmptyList, 8, 0x01)},
        {"shorter than the header", Bytes(kEmptyList.begin(), kEmptyList.begin() + 20)},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Store(item.stored);
        CompatViewList list(*registry_);
        try {
            list.ParseUserFilter();
            ADD_FAILURE() << "decoded";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Wrong format of UserFilter");
        }
        list.AddHost("new.example.ru");
        EXPECT_THROW(list.WriteUserFilter(), std::runtime_error);
        EXPECT_EQ(Stored(), item.stored);
    }
}

TEST_P(CompatViewListContract, AddedHostsFollowTheStoredOnesStampedWithTheCurrentTime) {
    Store(kOneHost);
    CompatViewList list(*registry_);
    ASSERT_EQ(list.ParseUserFilter(), Cp1251({"abc"}));
    const auto now = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    const auto before = now();
    list.AddHost("xyz");
    list.AddHost(Utf8ToCp1251("портал.рф"));
    const auto after = now();
    list.WriteUserFilter();

    const Bytes stored = Stored();
    const std::size_t secondEntry = kOneHost.size();
    const std::size_t thirdEntry = secondEntry + 18 + 2 * 3;
    ASSERT_GE(stored.size(), thirdEntry + 12);
    UserFilterTime added[2];
    for (int i = 0; i < 2; ++i) {
        const std::size_t at = (i == 0 ? secondEntry : thirdEntry) + 4;
        std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(at), 8, added[i].begin());
        EXPECT_EQ(added[i][7], 0x01);
        std::int64_t seconds = 0;
        for (int b = 6; b >= 0; --b) seconds = seconds << 8 | added[i][b];
        EXPECT_GE(seconds, before);
        EXPECT_LE(seconds, after);
    }
    const Bytes expected = Value(
        {Entry(Time(0x10, 0x01), u"abc"), Entry(added[0], u"xyz"), Entry(added[1], u"портал.рф")});
    EXPECT_EQ(stored, expected);

    CompatViewList again(*registry_);
    EXPECT_EQ(again.ParseUserFilter(), Cp1251({"abc", "xyz", "портал.рф"}));
}

TEST_P(CompatViewListContract, AbsentOrNonBinaryValuesAreEmptyListsAndGetReplaced) {
    for (const bool textValue : {false, true}) {
        SCOPED_TRACE(textValue ? "text value" : "no key");
        GetParam().removeTree(kHkeyCurrentUser, kListKey);
        if (textValue) Store({'a', 'b', 0}, kRegSz);
        CompatViewList list(*registry_);
        EXPECT_TRUE(list.raw().empty());
        EXPECT_TRUE(list.ParseUserFilter().empty());
        list.WriteUserFilter();
        EXPECT_EQ(Stored(), kEmptyList);
    }
}

INSTANTIATE_TEST_SUITE_P(Registries, CompatViewListContract,
                         ::testing::ValuesIn(RegistryTargets()));

}  // namespace
}  // namespace velk::test
