#pragma once

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

}  // namespace velk::web
