#pragma once

namespace velk {

class Registry;
class SystemInfo;
class Internet;
class Processes;
class Com;
class Ui;
class Zones;
class CertificateStores;
class Files;
class PrivateFiles;

// The operating system as the core sees it: one object per seam. The product
// binds the Win32 implementations, the native tests the fakes.
struct Platform {
    Registry& registry;
    SystemInfo& system;
    Internet& internet;
    Processes& processes;
    Com& com;
    Ui& ui;
    Zones& zones;
    CertificateStores& certificates;
    Files& files;
    PrivateFiles& privateFiles;
};

}  // namespace velk
