#include "pages/provider_list_dlg.h"

#include <algorithm>
#include <stdexcept>

#include "engine/configuration_fetch.h"
#include "pages/component_html.h"
#include "pages/html_text.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "resource_ids.h"
#include "tasks/task_set.h"

namespace velk {

namespace {

constexpr char kCheckBoxSuffix[] = "_chbox";

}  // namespace

std::string BuildProviderList(const ProviderList& providers) {
    std::string html = "<table style=\"width: 100%; vertical-align: top;\">";
    for (const auto& provider : providers) {
        const std::string name = EscapeHtml(provider->name);
        html += "<tr>" + GreenCellStart() + "<input type=\"checkbox\" id=\"" + name +
                kCheckBoxSuffix + "\"/> <label for=\"" + name + kCheckBoxSuffix + "\">" + name +
                "</label></td></tr>";
    }
    return html + "</table>";
}

ProviderListDlg::ProviderListDlg(HtmlDialogHost& host, Internet& internet, SystemInfo& system,
                                 PrivateFiles& files, RunContext& run, Progress* record)
    : HtmlPage(host, VELK_PAGE_PROVIDER_LIST),
      internet_(internet),
      system_(system),
      files_(files),
      run_(run),
      record_(record) {}

ProviderListDlg::~ProviderListDlg() {
    *alive_ = false;
    if (fetch_.joinable()) fetch_.join();
}

void ProviderListDlg::OnDocumentComplete() {
    fetch_ = std::thread([this, alive = alive_] {
        ProviderList providers;
        std::string error;
        try {
            FetchConfiguration(internet_, system_, files_, run_, record_);
            providers = ReadProviderList(ProviderListPath(run_));
            TraceProviders(providers);
        } catch (const std::runtime_error& e) {
            error = e.what();
        } catch (...) {
            error = Utf8ToCp1251("Непредвиденная ошибка");
        }
        host().Post([this, alive, providers = std::move(providers), error]() mutable {
            if (*alive) ShowProviders(std::move(providers), error);
        });
    });
}

void ProviderListDlg::ShowProviders(ProviderList providers, const std::string& error) {
    failure_ = error;
    if (!error.empty()) {
        host().SetInnerHtml("ProviderList",
                            "<p style=\"color: red;\">" + EscapeHtml(error) + "</p>");
        return;
    }
    all_ = std::move(providers);
    host().SetInnerHtml(
        "Titel", Utf8ToCp1251("Выберите из списка сайты, для которых требуется осуществить "
                              "настройку компьютера для работы с электронно-цифровой подписью, "
                              "и нажмите кнопку «Далее»"));
    host().SetInnerHtml("ProviderList", BuildProviderList(all_));
}

void ProviderListDlg::OnInput(const ElementClick& click) {
    // Every provider of that name toggles: equal names share one check box id.
    for (const auto& provider : all_) {
        if (provider->name + kCheckBoxSuffix != click.id) continue;
        const auto at = std::find(chosen_.begin(), chosen_.end(), provider);
        if (at != chosen_.end()) {
            chosen_.erase(at);
        } else {
            chosen_.push_back(provider);
        }
    }
}

void ProviderListDlg::OnOk() {
    if (!chosen_.empty()) {
        End(kPageNext);
    } else if (Ask(Utf8ToCp1251(
                   "Не выбрано ни одного сайта из списка. Завершить работу мастера установки?"))) {
        End(kPageExit);
    }
}

void ProviderListDlg::OnBack() { End(kPageBack); }

void ProviderListDlg::OnCancel() {
    if (ConfirmExit()) End(kPageExit);
}

}  // namespace velk
