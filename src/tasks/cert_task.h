#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/install_task.h"
#include "platform/platform.h"
#include "tasks/certificate.h"

namespace velk {

// Certificates of certification authorities that a site's signatures chain
// up to, put into the current user's system stores. Present when every one
// is found in its store by thumbprint.
class CertTask : public InstallTask {
  public:
    explicit CertTask(Platform& platform) : platform_(platform) {}

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
    void Execute(PageSink& page, const std::atomic<bool>& cancelFlag) override;

    std::vector<std::shared_ptr<Certificate>> certificates;

  private:
    bool IsInStore(const Certificate& certificate);
    void Import(Certificate& certificate);

    Platform& platform_;
};

}  // namespace velk
