#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velk::web {

// A JSON string literal for UTF-8 text, quotes included.
std::string JsonString(std::string_view utf8);

// The page as the browser gets it: links to the program's pictures
// ("res:/PNG/#N") point at the host's picture route below base, and the
// bridge's start-up script goes before the end of the body (or at the very
// end when the template has no body end).
std::string ResolvePictureLinks(std::string_view html, std::string_view base);
std::string InjectBeforeBodyEnd(std::string_view html, std::string_view script);

// Whether a request's Host header names this server (127.0.0.1 or localhost
// on its port). Anything else may be a page of another site reaching the
// wizard through a name that resolves to the loopback address.
bool IsLocalHost(std::string_view host, int port);

// Whether a request's Origin header, when it has one, is this server. Absent
// origins (navigations, the bridge's own GET requests) pass.
bool IsLocalOrigin(std::string_view origin, int port);

// A secret of hexadecimal digits from the system's random source.
std::string RandomToken();

// Whether a request's path starts with "/TOKEN/"; compared in a time that does
// not tell how much of a guess was right.
bool HasToken(std::string_view path, std::string_view token);

// The resource number of a picture address's digits; nothing when they name
// no number a resource can have.
std::optional<int> PictureId(std::string_view digits);

// The pages' content security policy: their own scripts, styles and pictures
// only, no frames around them, nothing sent elsewhere. Inline styles stay
// allowed: the templates and the lists are written with them. No inline
// script runs, so markup slipped into a list cannot run any.
inline constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; "
    "img-src 'self'; connect-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

// The policy of a page document: as above, but its own inline start-up script,
// which carries the nonce, runs too.
std::string PagePolicy(std::string_view nonce);

// What every answer carries, refusals included: nothing is cached (but the
// pictures, kept privately), sniffed or framed, and no link of the page tells
// another site the address with the token.
inline constexpr std::array<std::array<std::string_view, 2>, 5> kSafetyHeaders = {{
    {"Cache-Control", "no-store"},
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
    {"Content-Security-Policy", kContentSecurityPolicy},
}};

}  // namespace velk::web
