#include "tasks/record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "platform/codepage.h"

namespace velk {
namespace {

TEST(RecordNames, RootsAndTypesAreExactCaseSensitiveNames) {
    const struct {
        const char* name;
        RegHandle root;
    } roots[] = {
        {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
        {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
        {"HKEY_CURRENT_USER", kHkeyCurrentUser},
        {"HKEY_USERS", kHkeyUsers},
        {"hkey_local_machine", 0},
        {"HKLM", 0},
        {"HKEY_CURRENT_CONFIG", 0},
        {"HKEY_USERS ", 0},
        {"", 0},
    };
    for (const auto& c : roots) EXPECT_EQ(RegistryRoot(c.name), c.root) << c.name;

    const struct {
        const char* name;
        std::uint32_t type;
    } types[] = {
        {"REG_SZ", kRegSz},
        {"REG_EXPAND_SZ", kRegExpandSz},
        {"REG_BINARY", kRegBinary},
        {"REG_DWORD", kRegDword},
        {"REG_QWORD", kRegQword},
        {"REG_MULTI_SZ", kRegNone},
        {"reg_dword", kRegNone},
        {"DWORD", kRegNone},
        {"", kRegNone},
    };
    for (const auto& c : types) EXPECT_EQ(RegistryValueType(c.name), c.type) << c.name;
}

TEST(RecordTextForms, NumbersAreHexadecimalUpToTheFirstOtherCharacter) {
    const struct {
        const char* text;
        std::uint32_t dword;
        std::int64_t qword;
    } cases[] = {
        {"10", 16, 16},
        {"ff", 255, 255},
        {"0000ffff", 0xffff, 0xffff},
        {"ffffffff", 0xffffffff, 0xffffffff},
        {"  1A", 26, 26},
        {"1g", 1, 1},
        {"zz", 0, 0},
        {"", 0, 0},
        {"100000000", 0xffffffff, 0x100000000},  // too large for 32 bits: the largest
        {"-1", 0xffffffff, -1},
        // A signed read: the largest number stands for anything beyond it.
        {"ffffffffffffffff", 0xffffffff, std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseHexDword(c.text), c.dword) << c.text;
        EXPECT_EQ(ParseHexQword(c.text), c.qword) << c.text;
    }
}

TEST(RecordTextForms, BytesAreReadItemByItemUntilOneFails) {
    const struct {
        const char* text;
        std::string bytes;
    } cases[] = {
        {"03,00,00,00,ff", std::string("\x03\0\0\0\xff", 5)},
        {"03, 00", std::string("\x03\0", 2)},
        {"03 00", std::string("\x03\0", 2)},
        {"03,,00", "\x03"},
        {"1,2,3", "\x01\x02\x03"},
        {"1ff", "\xff"},
        {"01;02", "\x01"},
        {"03,", "\x03"},
        {"zz,01", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexBytes(c.text), c.bytes) << c.text;
}

TEST(RecordTextForms, DataAsTheRegistryHoldsIt) {
    const struct {
        std::uint32_t type;
        const char* value;
        std::optional<std::string> data;
    } cases[] = {
        {kRegSz, "C:\\x", std::string("C:\\x\0", 5)},
        {kRegSz, "", std::string("\0", 1)},
        {kRegExpandSz, "%TEMP%", std::string("%TEMP%\0", 7)},
        {kRegBinary, "03,,00", "\x03"},
        {kRegDword, "10", std::string("\x10\0\0\0", 4)},
        {kRegDword, "12345678", "\x78\x56\x34\x12"},
        {kRegQword, "-2", "\xfe\xff\xff\xff\xff\xff\xff\xff"},
        {kRegQword, "102", std::string("\x02\x01\0\0\0\0\0\0", 8)},
        {kRegNone, "1", std::nullopt},
        {kRegMultiSz, "a", std::nullopt},
    };
    for (const auto& c : cases) {
        Record record;
        record.type = c.type;
        record.value = c.value;
        EXPECT_EQ(RecordData(record), c.data) << c.type << ' ' << c.value;
    }
}

TEST(ReadRecords, GroupsBecomeRecordsStartedByBits) {
    const auto records = ReadRecords(
        ReadYamlPairsFromText("type: registry\n"
                              "name: Настройки\n"
                              "-record:\n"
                              "    key: HKEY_CURRENT_USER\\Lost\n"  // no record begun yet
                              "    value: lost\n"
                              "    bits: all\n"
                              "    key: HKEY_CURRENT_USER\\Software\\Зона\\2\n"
                              "    type: REG_DWORD\n"
                              "    name: 1201\n"
                              "    value: 0\n"
                              "-record:\n"
                              "    type: REG_BINARY\n"  // before bits: still the first record's
                              "    bits: x64\n"
                              "    key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\n"
                              "    name: Flags\n"
                              "    value: 03,00\n"
                              "    other: ignored\n"
                              "-record:\n"
                              "    bits: x32\n"
                              "    key: NoBackslash\n"
                              "    type: REG_WORD\n"
                              "-record:\n"
                              "    bits: all\n"
                              "    key: HKLM\\SOFTWARE\\Short\n"
                              "-records:\n"
                              "    bits: x64\n"));
    ASSERT_EQ(records.size(), 4u);

    const Record& zone = *records[0];
    EXPECT_EQ(zone.bits, "all");
    EXPECT_EQ(zone.root, kHkeyCurrentUser);
    EXPECT_EQ(zone.subkey, Utf8ToCp1251("Software\\Зона\\2"));
    EXPECT_EQ(zone.type, kRegBinary);
    EXPECT_EQ(zone.name, "1201");
    EXPECT_EQ(zone.value, "0");

    const Record& flags = *records[1];
    EXPECT_EQ(flags.bits, "x64");
    EXPECT_EQ(flags.root, kHkeyLocalMachine);
    EXPECT_EQ(flags.subkey, "SOFTWARE\\Example");
    EXPECT_EQ(flags.type, kRegNone);
    EXPECT_EQ(flags.name, "Flags");
    EXPECT_EQ(flags.value, "03,00");

    EXPECT_EQ(records[2]->root, 0u);
    EXPECT_EQ(records[2]->subkey, "NoBackslash");
    EXPECT_EQ(records[2]->type, kRegNone);
    EXPECT_EQ(records[3]->root, 0u);
    EXPECT_EQ(records[3]->subkey, "SOFTWARE\\Short");
}

}  // namespace
}  // namespace velk
