#include "tasks/browser_software_task.h"

#include "config/machine.h"

namespace velk {

void BrowserSoftwareTask::Detect() {
    // Which packet's bounds would apply is unclear otherwise.
    if (packets.size() != 1) return;
    Packet& packet = *packets.front();
    detectedVersion = BrowserVersion(platform_.registry);
    // A machine without the browser reads as version 0: present, but too old.
    status = VersionRangeStatus(detectedVersion, packet.minVersion, packet.maxVersion);
    packet.installedText = packet.name + " " + detectedVersion;
    statusDetail = packet.installedText;
}

}  // namespace velk
