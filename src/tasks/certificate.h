#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/yaml_pairs.h"
#include "platform/certificate_stores.h"

namespace velk {

// One certificate a component puts into a system store of the current user.
struct Certificate {
    std::string store;  // the system's store name, e.g. "ROOT"
    std::string name;   // shown while it is imported
    std::string SrcUrl;
    // The downloaded copy: a new temporary file at the first download, kept
    // for later ones.
    std::string localPath;
    std::string stamp;   // the SHA-1 thumbprint as hexadecimal byte values
    std::string Sha256;  // the file's hash, hexadecimal; empty: not pinned
    Bytes bytes;         // the file as last read for the import
};

// A stamp's bytes: one per token between white space, the low byte of the
// token read as an unsigned hexadecimal number (with or without "0x"). A
// token that is no such number still takes its place, as a 0.
Bytes ParseStamp(const std::string& stamp);

// The certificates of a component file's "-certificate" groups, in file
// order. Each group must begin with "name", which starts a new certificate;
// the other keys of a group fill the certificate begun last, and any before
// the first "name" are dropped.
std::vector<std::shared_ptr<Certificate>> ReadCertificates(const YamlPairs& pairs);

}  // namespace velk
