#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "pages/html_list_dlg.h"
#include "tasks/packet.h"
#include "tasks/software_task.h"

namespace velk {

// The choice of what to install: every pending listed task, and for software
// offered in several variants one box (or, for "or", one radio button) per
// variant. Ticks go straight into the install plan.
class PacketSelectDlg final : public HtmlPage {
  public:
    PacketSelectDlg(HtmlDialogHost& host, InstallPlan& plan);

    bool nothingToDo() const { return nothingToDo_; }

    // The rows of the list; fills listedPackets as it goes.
    std::string BuildComponentList();

  private:
    void OnDocumentComplete() override;
    void OnOk() override;
    void OnBack() override;
    void OnCancel() override;
    void OnInput(const ElementClick& click) override;
    void RefreshState();

    // A packet offered with a box, and the radio group it belongs to (empty
    // for a check box).
    struct Offered {
        std::shared_ptr<const SoftwareTask> task;
        std::shared_ptr<const Packet> packet;
        std::string radioGroup;
    };

    InstallPlan& plan_;
    std::vector<Offered> offered_;
    bool nothingToDo_ = false;
    bool relabelled_ = false;
};

}  // namespace velk
