#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/yaml_pairs.h"
#include "engine/install_task.h"

namespace velk {

// One installer variant of a software component. Shared between the task, the
// pages and the worker thread; what the user chooses is kept in the install
// plan.
struct Packet {
    std::string title;
    std::string name;  // DisplayName as the uninstall list shows it
    std::string version;
    std::string minVersion;     // inclusive
    std::string maxVersion;     // exclusive
    std::string versionFilter;  // allowed first characters of an installed version
    std::vector<std::string> windows;
    std::string bits;  // "x32", "x64" or "all"
    std::string SrcUrl;
    std::string DstUrl;
    std::string CommandLine;  // "FILENAME" stands for DstUrl
    std::string Sha256;       // the installer's hash, hexadecimal; empty: not pinned
    std::string CheckRegKey;
    std::string CheckRegParam;
    // The component file's ToInstall: the packet is chosen before anybody
    // chooses (the plan holds the choices themselves).
    bool ToInstall = false;
    TaskStatus status = TaskStatus::NotInstalled;
    std::string installedText;
    std::vector<std::string> alias;
};

// The packets of a component file's "-package" groups, in file order; each
// group begins with "name". DstUrl is taken as written.
std::vector<std::shared_ptr<Packet>> ReadPackets(const YamlPairs& pairs);

// Title (or name), version and bits, each separated by a blank even when empty.
std::string PacketLabel(const Packet& packet);
std::string PacketStatusText(const Packet& packet);

}  // namespace velk
