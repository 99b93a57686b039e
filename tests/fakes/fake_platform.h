#pragma once

#include "engine/run_context.h"
#include "fakes/fake_certificate_stores.h"
#include "fakes/fake_com.h"
#include "fakes/fake_files.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_private_files.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_system_info.h"
#include "fakes/fake_ui.h"
#include "fakes/fake_zones.h"
#include "platform/platform.h"

namespace velk {

// Every fake of the seam, bound together as the platform the core takes,
// and a run for the code that needs one. Set the fakes up through their
// members; hand `platform` (and `run`) to the code.
struct FakePlatform {
    explicit FakePlatform(bool is64BitSystem = true)
        : registry(is64BitSystem), system(is64BitSystem) {}
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeRegistry registry;
    FakeSystemInfo system;
    FakeInternet internet;
    FakeProcesses processes;
    FakeCom com;
    FakeUi ui;
    FakeZones zones;
    FakeCertificateStores certificates;
    FakeFiles files;
    FakePrivateFiles privateFiles;
    Platform platform{registry, system, internet,     processes, com,
                      ui,       zones,  certificates, files,     privateFiles};
    RunContext run;
};

}  // namespace velk
