#include "config/machine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/fake_registry.h"
#include "fakes/fake_system_info.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {
namespace {

TEST(MachineBitness, FollowsWow64AndFailsWithTheUsersMessage) {
    FakeSystemInfo wow64(true);
    EXPECT_EQ(MachineBitness(wow64), "x64");
    FakeSystemInfo native(false);
    EXPECT_EQ(MachineBitness(native), "x32");

    FakeSystemInfo failing;
    failing.wow64Fails = true;
    try {
        MachineBitness(failing);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), Utf8ToCp1251("Ошибка определения версии Windows"));
    }
}

constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint8_t kDomainController = 2;
constexpr std::uint8_t kServer = 3;

TEST(WindowsName, NamesEveryKnownEdition) {
    struct Case {
        std::uint32_t major;
        std::uint32_t minor;
        std::uint8_t productType;
        std::string name;  // UTF-8
        int serverR2 = 0;
        std::uint16_t suiteMask = 0;
    };
    const std::string unknown = "ОС не определена";
    const Case cases[] = {
        {10, 0, kWorkstation, "Windows 10"},
        {10, 0, kServer, "Windows Server 2016 Technical preview"},
        {10, 0, kDomainController, "Windows Server 2016 Technical preview"},
        {10, 1, kWorkstation, unknown},
        {6, 3, kWorkstation, "Windows 8.1"},
        {6, 3, kServer, "Windows Server 2012 R2"},
        {6, 2, kServer, "Windows Server 2012"},
        {6, 1, kWorkstation, "Windows 7"},
        {6, 1, kServer, "Windows Server 2008 R2"},
        {6, 0, kWorkstation, "Windows Vista"},
        {6, 0, kDomainController, "Windows Server 2008"},
        {6, 4, kWorkstation, unknown},
        {5, 2, kServer, "Windows Server 2003 R2", 1},
        {5, 2, kServer, "Windows Home Server", 0, 0x8000},
        {5, 2, kServer, "Windows Server 2003 R2", 1, 0x8000},  // R2 is asked first
        {5, 2, kServer, "Windows Server 2003", 0, 0x7fff},
        {5, 2, kWorkstation, "Windows Server 2003"},  // 64-bit XP reports 5.2
        {5, 1, kWorkstation, "Windows XP"},
        {5, 0, kWorkstation, "Windows 2000"},
        {5, 1, kServer, unknown},
        {5, 0, kServer, unknown},
        {5, 3, kWorkstation, unknown},
        {4, 0, kWorkstation, unknown},
        {11, 0, kWorkstation, unknown},
    };
    for (const auto& c : cases) {
        FakeSystemInfo system;
        system.version.major = c.major;
        system.version.minor = c.minor;
        system.version.productType = c.productType;
        system.version.suiteMask = c.suiteMask;
        system.metrics[kSmServerR2] = c.serverR2;
        EXPECT_EQ(WindowsName(system), Utf8ToCp1251(c.name))
            << c.major << '.' << c.minor << " type " << int{c.productType};
    }
}

// A program without the 8.1 manifest entry sees 6.2 from the version query
// while the verification knows better.
class CappedVersion : public FakeSystemInfo {
  public:
    explicit CappedVersion(std::uint32_t realMinor) : realMinor_(realMinor) {
        version.major = 6;
        version.minor = 2;
    }
    bool VerifyVersionAtLeast(std::uint32_t major, std::uint32_t minor) override {
        asked = {major, minor};
        return std::tie(major, minor) <= std::tie(version.major, realMinor_);
    }

    std::pair<std::uint32_t, std::uint32_t> asked;

  private:
    std::uint32_t realMinor_;
};

TEST(WindowsName, SixTwoWorkstationAsksTheVerification) {
    CappedVersion windows81(3);
    EXPECT_EQ(WindowsName(windows81), "Windows 8.1");
    EXPECT_EQ(windows81.asked, std::make_pair(6u, 3u));

    CappedVersion windows8(2);
    EXPECT_EQ(WindowsName(windows8), "Windows 8");
    EXPECT_EQ(windows8.asked, std::make_pair(6u, 3u));

    CappedVersion server(3);
    server.version.productType = kServer;
    EXPECT_EQ(WindowsName(server), "Windows Server 2012");
}

TEST(WindowsName, UnknownWhenTheVersionQueryFails) {
    FakeSystemInfo system;
    system.versionFails = true;
    EXPECT_EQ(WindowsName(system), Utf8ToCp1251("ОС не определена"));
}

struct BrowserValue {
    std::string name;
    std::uint32_t type;
    std::string data;
};

// A REG_SZ as the system stores it, with its NUL.
BrowserValue Text(const std::string& name, const std::string& text) {
    return {name, kRegSz, text + '\0'};
}

TEST(BrowserVersion, ReadsVersionAndTheServiceVersionBehindNine) {
    struct Case {
        const char* what;
        std::vector<BrowserValue> values;
        std::string version;
    };
    const std::string fits(255, '7');     // 256 bytes with the NUL
    const std::string tooLong(256, '7');  // one more than the buffer
    const Case cases[] = {
        {"no values", {}, ""},
        {"8 stays",
         {Text("Version", "8.0.7601.17514"), Text("svcVersion", "11.0")},
         "8.0.7601.17514"},
        {"11",
         {Text("Version", "9.11.19041.0"), Text("svcVersion", "11.0.19041.1")},
         "11.0.19041.1"},
        {"10 without svcVersion", {Text("Version", "9.10.9200.16384")}, "9.10.9200.16384"},
        {"exactly 9.", {Text("Version", "9."), Text("svcVersion", "11.0")}, "9."},
        {"9 alone", {Text("Version", "9"), Text("svcVersion", "11.0")}, "9"},
        {"9.0 is above 9.", {Text("Version", "9.0"), Text("svcVersion", "11.0")}, "11.0"},
        {"90 is above 9.", {Text("Version", "90"), Text("svcVersion", "11.0")}, "11.0"},
        {"10 is below 9.", {Text("Version", "10.0"), Text("svcVersion", "11.0")}, "10.0"},
        {"svcVersion alone", {Text("svcVersion", "11.0")}, ""},
        {"text up to the NUL",
         {{"Version", kRegSz, std::string("9.11\0x", 6)},
          {"svcVersion", kRegSz, std::string("11.0\0y", 6)}},
         "11.0"},
        {"Version not REG_SZ",
         {{"Version", kRegExpandSz, std::string("8.0", 4)}, Text("svcVersion", "11.0")},
         ""},
        {"svcVersion not REG_SZ",
         {Text("Version", "9.11"), {"svcVersion", kRegBinary, std::string("11.0", 5)}},
         "9.11"},
        {"Version fills the buffer", {Text("Version", fits)}, fits},
        {"Version too long", {Text("Version", tooLong), Text("svcVersion", "11.0")}, ""},
        {"svcVersion fills the buffer", {Text("Version", "9.11"), Text("svcVersion", fits)}, fits},
        {"svcVersion too long", {Text("Version", "9.11"), Text("svcVersion", tooLong)}, "9.11"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        {
            const RegKey key =
                RegKey::Create(registry, kHkeyLocalMachine,
                               "SOFTWARE\\Microsoft\\Internet Explorer", kKeyAllAccess);
            ASSERT_TRUE(key);
            for (const auto& value : c.values) {
                ASSERT_EQ(key.Set(value.name, value.type, value.data), kErrorSuccess) << c.what;
            }
        }
        EXPECT_EQ(BrowserVersion(registry), c.version) << c.what;
        EXPECT_EQ(registry.OpenHandleCount(), 0u) << c.what;
    }
}

TEST(BrowserVersion, EmptyWithoutTheBrowsersKey) {
    FakeRegistry registry;
    EXPECT_EQ(BrowserVersion(registry), "");
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace velk
