#include "platform/zone_pattern.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(ZonePattern, SplitsSchemeAndHostAndGivesBackTheListedForm) {
    const struct {
        std::u16string pattern, scheme, host, listed, domain, subdomain;
    } cases[] = {
        {u"https://www.example.ru", u"https", u"www.example.ru", u"https://www.example.ru",
         u"example.ru", u"www"},
        {u"http://example.ru//", u"http", u"example.ru", u"http://example.ru", u"example.ru", u""},
        {u"*.sign.example.ru", u"*", u"*.sign.example.ru", u"*.sign.example.ru", u"example.ru",
         u"*.sign"},
        {u"https://*.example.ru/", u"https", u"*.example.ru", u"https://*.example.ru",
         u"example.ru", u"*"},
        {u"intranet", u"*", u"intranet", u"intranet", u"intranet", u""},
        {u"http://a.b.c.портал.рф", u"http", u"a.b.c.портал.рф", u"http://a.b.c.портал.рф",
         u"портал.рф", u"a.b.c"},
    };
    for (const auto& item : cases) {
        const auto parsed = ParseZonePattern(item.pattern);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->scheme, item.scheme);
        EXPECT_EQ(parsed->host, item.host);
        EXPECT_EQ(FormatZonePattern(*parsed), item.listed);
        const ZoneMapLocation location = LocateInZoneMap(parsed->host);
        EXPECT_EQ(location.domain, item.domain);
        EXPECT_EQ(location.subdomain, item.subdomain);
    }
}

TEST(ZonePattern, RefusesWhatIsNotAHost) {
    for (const std::u16string pattern :
         {u"", u"/", u"https://", u"https:///", u"://example.ru", u"https://example.ru/path"}) {
        EXPECT_FALSE(ParseZonePattern(pattern)) << std::string(pattern.begin(), pattern.end());
    }
}

}  // namespace
}  // namespace velk
