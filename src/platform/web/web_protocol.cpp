#include "platform/web/web_protocol.h"

#include <charconv>
#include <cstdio>
#include <random>

#include "platform/codepage.h"

namespace velk::web {

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                // '<' too, so that a text can never close a script element.
                if (byte < 0x20 || c == '<') {
                    char escaped[8];
                    std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string ResolvePictureLinks(std::string_view html, std::string_view base) {
    static constexpr std::string_view kLink = "res:/PNG/#";
    std::string out;
    std::size_t start = 0;
    for (std::size_t at; (at = html.find(kLink, start)) != std::string_view::npos;) {
        out.append(html.substr(start, at - start)).append(base).append("png/");
        start = at + kLink.size();
    }
    return out.append(html.substr(start));
}

std::string InjectBeforeBodyEnd(std::string_view html, std::string_view script) {
    const std::size_t at = AsciiLower(html).rfind("</body");
    std::string out(html);
    out.insert(at == std::string::npos ? out.size() : at, script);
    return out;
}

bool IsLocalHost(std::string_view host, int port) {
    const std::string suffix = ":" + std::to_string(port);
    return host == "127.0.0.1" + suffix || host == "localhost" + suffix;
}

bool IsLocalOrigin(std::string_view origin, int port) {
    if (origin.empty()) return true;
    constexpr std::string_view kScheme = "http://";
    return origin.starts_with(kScheme) && IsLocalHost(origin.substr(kScheme.size()), port);
}

bool HasToken(std::string_view path, std::string_view token) {
    if (path.size() < token.size() + 2 || path[0] != '/' || path[token.size() + 1] != '/') {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < token.size(); ++i) {
        difference |= static_cast<unsigned char>(path[i + 1] ^ token[i]);
    }
    return difference == 0;
}

std::optional<int> PictureId(std::string_view digits) {
    int id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size() || id > 0xFFFF) {
        return std::nullopt;
    }
    return id;
}

std::string RandomToken() {
    std::random_device source;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof(part), "%08x", static_cast<unsigned>(source()));
        token += part;
    }
    return token;
}

std::string PagePolicy(std::string_view nonce) {
    constexpr std::string_view scripts = "script-src 'self'";
    std::string policy(kContentSecurityPolicy);
    policy.insert(policy.find(scripts) + scripts.size(), " 'nonce-" + std::string(nonce) + "'");
    return policy;
}

}  // namespace velk::web
