#include "pages/html_list_dlg.h"

#include <algorithm>

#include "config/machine.h"
#include "pages/component_html.h"
#include "pages/html_text.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "platform/shutdown.h"
#include "resource_ids.h"
#include "tasks/software_task.h"

namespace velk {

namespace {

constexpr char kRed[] = "red";

std::string Colour(TaskStatus status) {
    return status == TaskStatus::InstalledOtherVersion ? kRed : kGreen;
}

std::string OneRow(const InstallTask& task, const std::string& colour) {
    return "<tr><td>" + LogoHtml(task.logo) + "</td>" + GreenCellStart() + EscapeHtml(task.name) +
           "</td>" + StatusCell(colour, EscapeHtml(task.StatusText())) + "</tr>";
}

std::string SoftwareRows(const SoftwareTask& task) {
    const PacketList packets = task.ApplicablePackets();
    if (packets.size() < 2) return OneRow(task, Colour(task.status));
    std::string html = "<tr><td rowspan=\"" + std::to_string(packets.size() + 1) + "\">" +
                       LogoHtml(task.logo) + "</td>" + GreenCellStart() + EscapeHtml(task.name) +
                       "</td><td></td></tr>";
    for (const auto& packet : packets) {
        const std::string& title = packet->title.empty() ? packet->name : packet->title;
        html += "<tr>" + GreenCellStart(kIndent) + EscapeHtml(title) + "</td>" +
                StatusCell(Colour(packet->status), EscapeHtml(PacketStatusText(*packet))) + "</tr>";
    }
    return html + "<tr><td colspan=\"3\">&nbsp;</td></tr>";
}

}  // namespace

std::string BuildStatusList(const TaskList& tasks, SystemInfo& system) {
    std::string html =
        "<table style=\"width: 100%; vertical-align: top;\">"
        "<tr><td width=\"20%\"><IMG src=\"res:/PNG/#" +
        std::to_string(VELK_PICTURE_SYSTEM) +
        "\" height=\"40px\" "
        "style=\"margin-bottom: 5px;\"/></td>" +
        GreenCellStart("", "width=\"40%\"") + Utf8ToCp1251("Операционная система") +
        "</td><td width=\"40%\">" +
        StatusBox(kGreen, WindowsName(system) + " " + MachineBitness(system)) + "</td></tr>";
    for (const auto& task : tasks) {
        if (!task->IsListed()) continue;
        switch (task->kind) {
            case TaskKind::Software:
                html += SoftwareRows(static_cast<const SoftwareTask&>(*task));
                break;
            case TaskKind::Browser:
                if (task->status == TaskStatus::Installed) html += OneRow(*task, kGreen);
                break;
            default:
                html += OneRow(*task, kGreen);
        }
    }
    return html + "</table>";
}

HtmlListDlg::HtmlListDlg(HtmlDialogHost& host, TaskList tasks, SystemInfo& system,
                         Shutdown& shutdown, RunContext& run)
    : HtmlPage(host, VELK_PAGE_HTML_LIST),
      tasks_(std::move(tasks)),
      system_(system),
      shutdown_(shutdown),
      run_(run) {}

void HtmlListDlg::OnDocumentComplete() {
    const bool pending = std::any_of(tasks_.begin(), tasks_.end(), [](const auto& task) {
        return task->status != TaskStatus::Installed;
    });
    canContinue = canContinue && pending && !finalMode;
    // Without anything to go on to, closing the window ends the wizard at once.
    host().SetAskBeforeLeaving(canContinue);
    host().SetAttribute("ButtonCancel", "value",
                        Utf8ToCp1251(finalMode || canContinue ? "Выход" : "Далее"));
    if (!canContinue) {
        host().SetOuterHtml("ButtonOK", "");
        host().SetOuterHtml("ButtonBack", "");
    }
    host().SetInnerHtml("Titel", Utf8ToCp1251("Установка программного обеспечения и "
                                              "сертификатов.<BR/>В настоящий момент на Вашем "
                                              "компьютере установлены:"));
    host().SetInnerHtml("ComponentList", BuildStatusList(tasks_, system_));
}

void HtmlListDlg::OfferRestart() {
    if (!finalMode || !run_.rebootRequired) return;
    const int answer = host().MessageBox(
        kNoOwner,
        Utf8ToCp1251("Для завершения процесса установки требуется перезагрузка. Выполнить "
                     "перезагрузку сейчас?"),
        Utf8ToCp1251("ВЕЛК"), kMbYesNo, kMbIconQuestion);
    if (answer == kIdYes) restartStarted_ = shutdown_.RestartComputer();
}

void HtmlListDlg::OnOk() {
    OfferRestart();
    End(kPageNext);
}

void HtmlListDlg::OnBack() { End(kPageBack); }

void HtmlListDlg::OnCancel() {
    if (!canContinue) {
        // The final page's only way out, so the restart offer is made here.
        OfferRestart();
        End(kPageExit);
    } else if (ConfirmExit()) {
        End(kPageExit);
    }
}

}  // namespace velk
