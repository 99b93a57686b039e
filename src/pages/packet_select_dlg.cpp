#include "pages/packet_select_dlg.h"

#include <cstdio>
#include <random>

#include "pages/component_html.h"
#include "pages/html_text.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "resource_ids.h"
#include "tasks/software_task.h"

namespace velk {

namespace {

// A name shared by the radio buttons of one block, unique on the page; it
// has the form of a GUID.
std::string NewGroupName() {
    std::random_device source;
    const auto word = [&source] { return static_cast<unsigned>(source()); };
    const unsigned a = word(), b = word(), c = word(), d = word();
    char text[40];
    std::snprintf(text, sizeof(text), "%08X-%04X-%04X-%04X-%04X%08X", a, b & 0xFFFF, b >> 16,
                  c & 0xFFFF, c >> 16, d);
    return text;
}

std::string Green(const std::string& text) { return GreenCellStart() + EscapeHtml(text) + "</td>"; }

bool AllInstalled(const PacketList& packets) {
    for (const auto& packet : packets) {
        if (packet->status != TaskStatus::Installed) return false;
    }
    return true;
}

}  // namespace

PacketSelectDlg::PacketSelectDlg(HtmlDialogHost& host, InstallPlan& plan)
    : HtmlPage(host, VELK_PAGE_PACKET_SELECT), plan_(plan) {}

std::string PacketSelectDlg::BuildComponentList() {
    std::string html = "<table style=\"width: 100%; vertical-align: top;\">";
    offered_.clear();
    for (const auto& task : plan_.tasks) {
        if (!task->IsListed()) continue;
        if (task->kind != TaskKind::Software) {
            if (task->kind == TaskKind::Browser || task->status == TaskStatus::Installed) continue;
            html += "<tr><td></td>" + Green(task->name) + "<td></td></tr>";
            continue;
        }
        const auto software = std::static_pointer_cast<const SoftwareTask>(task);
        const std::string logo = LogoHtml(software->logo);
        const PacketList packets = software->ApplicablePackets();
        if (task->status == TaskStatus::Installed &&
            (AllInstalled(packets) || software->choose_type == "or")) {
            continue;
        }
        if (packets.size() <= 1) {
            // A task without any variant for this machine is listed by name.
            const std::string box =
                packets.empty()
                    ? "<td></td>"
                    : StatusCell(kGreen, EscapeHtml(packets[0]->name + " " + packets[0]->version));
            html += "<tr><td>" + logo + "</td>" + Green(task->name) + box + "</tr>";
            continue;
        }
        html += "<tr><td rowspan=\"" + std::to_string(packets.size() + 1) + "\">" + logo + "</td>" +
                Green(task->name) + "<td></td></tr>";
        const std::string group = NewGroupName();
        for (const auto& packet : packets) {
            if (packet->status == TaskStatus::Installed) continue;
            html += "<tr>" + GreenCellStart(kIndent);
            const std::string id = EscapeHtml(PacketLabel(*packet));
            const bool chosen = software->IsChosen(plan_, *packet);
            const bool radio = !chosen && software->choose_type == "or";
            if (radio) {
                html += "<input type=\"radio\" id=\"" + id + "\" name = \"" + group + "\"/> ";
            } else if (!chosen) {
                html += "<input type=\"checkbox\" id=\"" + id + "\"/> ";
            }
            html += EscapeHtml(packet->title.empty() ? packet->name : packet->title) +
                    "</td><td></td></tr>";
            offered_.push_back({software, packet, radio ? group : std::string()});
        }
        html += "<tr><td colspan=\"3\">&nbsp;</td></tr>";
    }
    return html + "</table>";
}

void PacketSelectDlg::OnDocumentComplete() {
    host().SetInnerHtml("ComponentList", BuildComponentList());
    RefreshState();
}

void PacketSelectDlg::OnInput(const ElementClick& click) {
    for (std::size_t i = 0; i < offered_.size(); ++i) {
        const Offered& clicked = offered_[i];
        if (PacketLabel(*clicked.packet) != click.id) continue;
        plan_.Choose(*clicked.task, clicked.task->PacketIndex(*clicked.packet), click.checked);
        if (clicked.radioGroup.empty()) continue;
        for (std::size_t j = 0; j < offered_.size(); ++j) {
            const Offered& other = offered_[j];
            if (j != i && other.radioGroup == clicked.radioGroup) {
                plan_.Choose(*other.task, other.task->PacketIndex(*other.packet), false);
            }
        }
    }
    RefreshState();
}

void PacketSelectDlg::RefreshState() {
    nothingToDo_ = NothingToInstall(plan_);
    // The button says what it will do: install, or just go on.
    if (nothingToDo_ != relabelled_) {
        host().SetAttribute("ButtonOK", "value",
                            Utf8ToCp1251(nothingToDo_ ? "Далее" : "Установить"));
        relabelled_ = nothingToDo_;
    }
}

void PacketSelectDlg::OnOk() { End(nothingToDo_ ? kPageExit : kPageNext); }

void PacketSelectDlg::OnBack() { End(kPageBack); }

void PacketSelectDlg::OnCancel() {
    if (ConfirmExit()) End(kPageExit);
}

}  // namespace velk
