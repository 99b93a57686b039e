#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "engine/install_task.h"
#include "engine/run_context.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "tasks/packet.h"

namespace velk {

using PacketList = std::vector<std::shared_ptr<Packet>>;

// One program a site needs, offered as one or more installer variants
// (packets) for different editions, bitness and versions. Detection reads the
// system's list of installed programs, or a registry value a packet names;
// Execute downloads and runs the installers of the chosen packets.
class SoftwareTask : public InstallTask {
  public:
    SoftwareTask(Platform& platform, RunContext& run);

    // Reads choose_type and the "-package" groups; a packet begins at its
    // "name" key.
    void Load(YamlPairs pairs) override;
    void Detect() override;
    // Installs the applicable packets that plan chose and that are missing; a
    // task with a single applicable packet installs it unasked.
    void Execute(const InstallPlan& plan, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override;

    // The packets meant for this machine's bitness and edition, in file
    // order. Throws the bitness error for the user.
    PacketList ApplicablePackets() const;
    // Where packet stands in packets, the name the plan knows it by.
    std::size_t PacketIndex(const Packet& packet) const;
    bool IsChosen(const InstallPlan& plan, const Packet& packet) const {
        return plan.IsChosen(*this, PacketIndex(packet));
    }

    PacketList packets;
    // "or": one installed packet is enough and the user picks one; anything
    // else: every applicable packet counts.
    std::string choose_type = "and";

  protected:
    Platform& platform_;
    RunContext& run_;

  private:
    void ScanUninstallList(const PacketList& list, std::uint32_t view);
    void CheckRegistryValue(Packet& packet);
    void TakeStatusFrom(const PacketList& list);
    std::string WindowsDirectory() const;
};

// Whether a packet is meant for a machine of this bitness ("x32", "x64") and
// edition (a name WindowsName gives).
bool PacketApplies(const Packet& packet, const std::string& bitness, const std::string& edition);

// How an installed version relates to the accepted range: below minVersion
// or not below maxVersion (when given) is another version; empty bounds read
// as 0.0.0.0 and as no upper bound.
TaskStatus VersionRangeStatus(const std::string& version, const std::string& minVersion,
                              const std::string& maxVersion);

}  // namespace velk
