#pragma once

#include <memory>
#include <string>
#include <thread>

#include "config/provider_list.h"
#include "engine/progress.h"
#include "engine/run_context.h"
#include "pages/html_page.h"

namespace velk {

class Internet;
class SystemInfo;
class PrivateFiles;

// The rows of the provider page: one check box per provider, in file order.
std::string BuildProviderList(const ProviderList& providers);

// The site selection: fetches the configuration when the page has loaded,
// lists the providers and ends with the ticked ones in the order of ticking.
class ProviderListDlg final : public HtmlPage {
  public:
    // record, when given, hears the fetch's download (the run's log).
    ProviderListDlg(HtmlDialogHost& host, Internet& internet, SystemInfo& system,
                    PrivateFiles& files, RunContext& run, Progress* record = nullptr);
    ~ProviderListDlg() override;

    const ProviderList& chosen() const { return chosen_; }
    // Why the last fetch or reading of the configuration failed, for the
    // user (Windows-1251); empty when it did not.
    const std::string& failure() const { return failure_; }

  private:
    void OnDocumentComplete() override;
    void OnOk() override;
    void OnBack() override;
    void OnCancel() override;
    void OnInput(const ElementClick& click) override;

    // On the page's thread, once the fetch has ended.
    void ShowProviders(ProviderList providers, const std::string& error);

    Internet& internet_;
    SystemInfo& system_;
    PrivateFiles& files_;
    RunContext& run_;
    Progress* record_;
    std::string failure_;
    ProviderList all_;
    ProviderList chosen_;
    // The fetch runs beside the page so that the window stays responsive; a
    // page that ended before it finished ignores its outcome.
    std::thread fetch_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace velk
