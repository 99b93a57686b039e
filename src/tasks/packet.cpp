#include "tasks/packet.h"

namespace velk {

std::string PacketLabel(const Packet& packet) {
    const std::string& title = packet.title.empty() ? packet.name : packet.title;
    return title + " " + packet.version + " " + packet.bits;
}

std::string PacketStatusText(const Packet& packet) {
    return DownloadAwareStatusText(packet.status, packet.installedText, "не установлено",
                                   "установлено");
}

}  // namespace velk
