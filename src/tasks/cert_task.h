#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/install_task.h"
#include "engine/run_context.h"
#include "platform/platform.h"
#include "tasks/certificate.h"

namespace velk {

// Certificates of certification authorities that a site's signatures chain
// up to, put into the current user's system stores (the machine's, when the
// run says so). Present when every one is found by thumbprint in the current
// user's store, which shows the machine's of the same name too.
class CertTask : public InstallTask {
  public:
    CertTask(Platform& platform, RunContext& run) : platform_(platform), run_(run) {}

    // "не установлены" / "загружено" / "установлены"; statuses 1 and 2 show
    // no detail.
    std::string StatusText() const override;
    // Throws when a store cannot be opened; the certificates after it are
    // then not looked at.
    void Detect() override;
    void Load(YamlPairs pairs) override;
    // Downloads and imports the certificates in order. A file whose
    // thumbprint is not the configured one is never imported. A cancel during
    // a download ends the run at Downloaded with nothing more imported.
    void Execute(const InstallPlan& plan, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override;

    std::vector<std::shared_ptr<Certificate>> certificates;

  private:
    bool IsInStore(const Certificate& certificate);
    void Import(Certificate& certificate, Progress& progress);

    Platform& platform_;
    RunContext& run_;
};

}  // namespace velk
