#include "config/version.h"

#include <gtest/gtest.h>

#include <climits>

namespace velk {
namespace {

TEST(ParseVersion, ReadsFourIntegersSeparatedByAnyCharacter) {
    struct Case {
        std::string text;
        std::array<int, 4> parts;
    };
    const Case cases[] = {
        {"3.6.7605.0", {3, 6, 7605, 0}},
        {"11.0.19041.1", {11, 0, 19041, 1}},
        {"3.6.7605", {3, 6, 7605, 0}},
        {"10", {10, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"1,2-3_4", {1, 2, 3, 4}},
        {"1.2.3.4.5", {1, 2, 3, 4}},
        // The read that fails and everything after it stay 0.
        {"4.0 beta", {4, 0, 0, 0}},
        {"R4.0", {0, 0, 0, 0}},
        {"1..2", {1, 0, 0, 0}},
        {"1.2.", {1, 2, 0, 0}},
        // Integers skip leading blanks and take a sign; separators do not skip.
        {"  7. 8.-9.+1", {7, 8, -9, 1}},
        {"1 .2", {1, 0, 0, 0}},
        // An integer too large for int reads as the limit and stops the reading.
        {"99999999999.5", {INT_MAX, 0, 0, 0}},
        {"1.-99999999999.5", {1, INT_MIN, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseVersion(c.text), c.parts) << '"' << c.text << '"';
}

TEST(VersionLess, ComparesTheIntegersInOrder) {
    struct Case {
        std::string a;
        std::string b;
        bool less;
    };
    const Case cases[] = {
        {"3.6.7605", "3.6.7605.0", false},
        {"3.6.7605.0", "3.6.7605", false},
        {"3.9", "3.10", true},
        {"3.10", "3.9", false},
        {"9.11", "10", true},
        {"10", "9.11", false},
        {"1.2.3.4", "1.2.3.5", true},
        {"1.2.3.4.9", "1.2.3.4", false},  // a fifth part does not count
        {"", "0.0.0.1", true},
        {"", "R4.0", false},
        {"-1", "0", true},  // signed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionLess(c.a, c.b), c.less) << '"' << c.a << "\" < \"" << c.b << '"';
    }
}

}  // namespace
}  // namespace velk
