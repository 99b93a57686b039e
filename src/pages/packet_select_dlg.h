#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/html_list_dlg.h"
#include "tasks/packet.h"

namespace velk {

// The choice of what to install: every pending listed task, and for software
// offered in several variants one box (or, for "or", one radio button) per
// variant. Ticks go straight into the shared packets.
class PacketSelectDlg final : public HtmlPage {
  public:
    PacketSelectDlg(HtmlDialogHost& host, TaskList tasks);

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

    TaskList tasks_;
    std::vector<std::weak_ptr<Packet>> listedPackets_;
    bool nothingToDo_ = false;
    bool relabelled_ = false;
};

}  // namespace velk
