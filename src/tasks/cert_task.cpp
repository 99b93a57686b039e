#include "tasks/cert_task.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "engine/download.h"
#include "engine/job_context.h"
#include "platform/codepage.h"
#include "platform/private_files.h"

namespace velk {
namespace {

constexpr std::string_view kStoreError = "Ошибка при открытии хранилища сертификатов";
constexpr std::string_view kImportError = "Ошибка импорта сертификата";
constexpr std::string_view kThumbprintError =
    "Отпечаток загруженного сертификата не совпадает с указанным: ";

// A file that cannot be read counts as empty, which no store accepts.
Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::string CertTask::StatusText() const {
    return DownloadAwareStatusText(status, statusDetail, "не установлены", "установлены");
}

void CertTask::Load(YamlPairs pairs) { certificates = ReadCertificates(pairs); }

bool CertTask::IsInStore(const Certificate& certificate) {
    CertificateStores& stores = platform_.certificates;
    const CertStore store(stores.OpenSystemStore(certificate.store), {&stores});
    if (!store) throw std::runtime_error(Utf8ToCp1251(kStoreError));
    return stores.FindBySha1(store.get(), ParseStamp(certificate.stamp));
}

void CertTask::Detect() {
    bool allPresent = true;
    for (const auto& certificate : certificates) {
        if (!IsInStore(*certificate)) allPresent = false;
    }
    status = allPresent ? TaskStatus::Installed : TaskStatus::NotInstalled;
}

void CertTask::Import(Certificate& certificate, Progress& progress) {
    CertificateStores& stores = platform_.certificates;
    certificate.bytes = ReadWholeFile(certificate.localPath);
    // Only the thumbprint of the configuration vouches for a downloaded
    // certificate: a file changed on the server or on the way must never
    // become a trusted root.
    Bytes thumbprint;
    if (!stores.Sha1(certificate.bytes, &thumbprint)) {
        throw std::runtime_error(Utf8ToCp1251(kImportError));
    }
    if (thumbprint != ParseStamp(certificate.stamp)) {
        throw std::runtime_error(Utf8ToCp1251(kThumbprintError) + certificate.name);
    }
    const bool added = run_.machineCertificates
                           ? stores.AddEncodedToMachineStore(certificate.store, certificate.bytes)
                           : stores.AddEncodedToSystemStore(certificate.store, certificate.bytes);
    if (!added) throw std::runtime_error(Utf8ToCp1251(kImportError));
    progress.Changed(Change::Certificate, certificate.stamp + " " + certificate.store);
}

void CertTask::Execute(const InstallPlan&, Progress& progress,
                       const std::atomic<bool>& cancelFlag) {
    for (const auto& certificate : certificates) {
        JobContext context{"", &cancelFlag, &progress, certificate->Sha256};
        // Held open until imported, so that nobody swaps it after the check.
        PrivateFile file({}, {&platform_.privateFiles});
        if (!DownloadFile(platform_.internet, platform_.system, platform_.privateFiles, context,
                          certificate->localPath, certificate->SrcUrl, &file)) {
            throw std::runtime_error(context.message);
        }
        status = TaskStatus::Downloaded;
        // A cancelled download leaves a partial file, which is no certificate.
        if (cancelFlag) return;
        progress.InstallBegins(certificate->name);
        Import(*certificate, progress);
    }
    status = TaskStatus::Installed;
    progress.TaskFinished(*this);
}

}  // namespace velk
