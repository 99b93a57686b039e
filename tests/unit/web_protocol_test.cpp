#include "platform/web/web_protocol.h"

#include <gtest/gtest.h>

namespace velk::web {
namespace {

TEST(WebProtocol, JsonStringsEscapeWhatWouldBreakThemOrTheScript) {
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("line\nnext\ttab\r"), "\"line\\nnext\\ttab\\r\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001f\"");
    EXPECT_EQ(JsonString("</script>"), "\"\\u003c/script>\"");
    EXPECT_EQ(JsonString("Сайт «Торги»"), "\"Сайт «Торги»\"");
}

TEST(WebProtocol, PictureLinksAndTheBridgeGoWhereTheBrowserFindsThem) {
    EXPECT_EQ(ResolvePictureLinks("url(res:/PNG/#200) <img src=\"res:/PNG/#142\">", "/t/"),
              "url(/t/png/200) <img src=\"/t/png/142\">");
    EXPECT_EQ(ResolvePictureLinks("res:/png/#1 res:/PNG/", "/t/"), "res:/png/#1 res:/PNG/");
    EXPECT_EQ(InjectBeforeBodyEnd("<body>a</body></body >", "S"), "<body>a</body>S</body >");
    EXPECT_EQ(InjectBeforeBodyEnd("<BODY>a</BODY>", "S"), "<BODY>aS</BODY>");
    EXPECT_EQ(InjectBeforeBodyEnd("<p>no body", "S"), "<p>no bodyS");
}

TEST(WebProtocol, OnlyThisServersOwnNamesPass) {
    EXPECT_TRUE(IsLocalHost("127.0.0.1:8080", 8080));
    EXPECT_TRUE(IsLocalHost("localhost:8080", 8080));
    for (const char* host : {"127.0.0.1:8081", "127.0.0.1", "evil.test:8080",
                             "localhost.evil.test:8080", "127.0.0.1:80800", ""}) {
        EXPECT_FALSE(IsLocalHost(host, 8080)) << host;
    }
    EXPECT_TRUE(IsLocalOrigin("", 8080));
    EXPECT_TRUE(IsLocalOrigin("http://127.0.0.1:8080", 8080));
    for (const char* origin : {"null", "https://127.0.0.1:8080", "http://evil.test",
                               "http://127.0.0.1:8080.evil.test"}) {
        EXPECT_FALSE(IsLocalOrigin(origin, 8080)) << origin;
    }
}

TEST(WebProtocol, TokensAreLongAndDifferent) {
    const std::string a = RandomToken(), b = RandomToken();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace velk::web
