#include "tasks/packet.h"

#include <sstream>
#include <string_view>

namespace velk {
namespace {

constexpr std::string_view kPacketGroup = "package";

// Items between commas, verbatim: "Windows 7, Windows 8.1" keeps the blank of
// its second item, and a trailing comma adds nothing.
std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) items.push_back(item);
    return items;
}

}  // namespace

std::vector<std::shared_ptr<Packet>> ReadPackets(const YamlPairs& pairs) {
    return ReadGroups<Packet>(pairs, kPacketGroup, "name",
                              [](Packet& packet, std::string_view field, const std::string& value) {
                                  if (field == "name") {
                                      packet.name = value;
                                  } else if (field == "title") {
                                      packet.title = value;
                                  } else if (field == "version") {
                                      packet.version = value;
                                  } else if (field == "minVersion") {
                                      packet.minVersion = value;
                                  } else if (field == "maxVersion") {
                                      packet.maxVersion = value;
                                  } else if (field == "versionFilter") {
                                      packet.versionFilter = value;
                                  } else if (field == "bits") {
                                      packet.bits = value;
                                  } else if (field == "SrcUrl") {
                                      packet.SrcUrl = value;
                                  } else if (field == "CommandLine") {
                                      packet.CommandLine = value;
                                  } else if (field == "Sha256") {
                                      packet.Sha256 = value;
                                  } else if (field == "CheckRegKey") {
                                      packet.CheckRegKey = value;
                                  } else if (field == "CheckRegParam") {
                                      packet.CheckRegParam = value;
                                  } else if (field == "windows") {
                                      packet.windows = SplitAtCommas(value);
                                  } else if (field == "alias") {
                                      packet.alias.push_back(value);
                                  } else if (field == "DstUrl") {
                                      packet.DstUrl = value;
                                  } else if (field == "ToInstall") {
                                      packet.ToInstall = true;
                                  }
                              });
}

std::string PacketLabel(const Packet& packet) {
    const std::string& title = packet.title.empty() ? packet.name : packet.title;
    return title + " " + packet.version + " " + packet.bits;
}

std::string PacketStatusText(const Packet& packet) {
    return DownloadAwareStatusText(packet.status, packet.installedText, "не установлено",
                                   "установлено");
}

}  // namespace velk
