// The certificate task over the real certificate stores, temporary folder and
// file reading; the network is the scripted one, since the test server serves
// no files of this build.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/digest.h"
#include "platform/win32/win32_certificate_stores.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_certificates.h"
#include "support/win32_cleanup.h"
#include "tasks/cert_task.h"

namespace velk {
namespace {

using test::LoadTestCertificate;
using test::StampOf;
using test::TestCertificate;

class CertTaskIntegrationTest : public ::testing::Test {
  protected:
    void SetUp() override { RemoveTestCertificates(); }
    void TearDown() override { RemoveTestCertificates(); }

    void RemoveTestCertificates() {
        for (const char* store : {"ROOT", "CA"}) {
            for (const TestCertificate* certificate : {&root_, &ca_}) {
                test::RemoveUserCertificate(store, certificate->thumbprint);
            }
        }
    }

    std::shared_ptr<CertTask> MakeTask() { return std::make_shared<CertTask>(platform_, run_); }

    void Serve(CertTask& task, const std::string& name, const std::string& store,
               const Bytes& served, const Bytes& thumbprint) {
        auto certificate = std::make_shared<Certificate>();
        certificate->name = name;
        certificate->store = store;
        certificate->stamp = StampOf(thumbprint);
        certificate->SrcUrl = "http://127.0.0.1/" + name + ".cer";
        fakes_.internet.responses[certificate->SrcUrl] =
            FakeInternet::Body(std::string(served.begin(), served.end()));
        task.certificates.push_back(certificate);
    }

    std::string Execute(CertTask& task) {
        std::string error;
        try {
            task.Execute({}, page_, cancel_);
        } catch (const std::runtime_error& failure) {
            error = Cp1251ToUtf8(failure.what());
        }
        // The downloads went to new files of the temporary folder.
        for (const auto& certificate : task.certificates) {
            std::remove(certificate->localPath.c_str());
        }
        return error;
    }

    TaskStatus Detected(const CertTask& configured) {
        CertTask task(platform_, run_);
        task.certificates = configured.certificates;
        task.Detect();
        return task.status;
    }

    FakePlatform fakes_;
    Win32SystemInfo system_;
    Win32CertificateStores stores_;
    Win32PrivateFiles privateFiles_;
    RunContext& run_ = fakes_.run;
    Platform platform_{fakes_.registry, system_,      fakes_.internet, fakes_.processes,
                       fakes_.com,      fakes_.ui,    fakes_.zones,    stores_,
                       fakes_.files,    privateFiles_};
    test::RecordingPage page_;
    std::atomic<bool> cancel_{false};
    TestCertificate root_ = LoadTestCertificate("root");
    TestCertificate ca_ = LoadTestCertificate("ca");
};

TEST_F(CertTaskIntegrationTest, ImportedCertificatesAreFoundAgainByThumbprint) {
    const auto task = MakeTask();
    Serve(*task, "root", "ROOT", root_.der, root_.thumbprint);
    Serve(*task, "ca", "CA", ca_.der, ca_.thumbprint);
    EXPECT_EQ(Detected(*task), TaskStatus::NotInstalled);

    EXPECT_EQ(Execute(*task), "");
    EXPECT_EQ(task->status, TaskStatus::Installed);
    EXPECT_EQ(Detected(*task), TaskStatus::Installed);

    // Each is in its own store only.
    const auto swapped = MakeTask();
    Serve(*swapped, "root", "CA", root_.der, root_.thumbprint);
    EXPECT_EQ(Detected(*swapped), TaskStatus::NotInstalled);
}

TEST_F(CertTaskIntegrationTest, AFileWithAnotherThumbprintIsRefused) {
    const auto task = MakeTask();
    Serve(*task, "root", "ROOT", ca_.der, root_.thumbprint);
    EXPECT_EQ(Execute(*task), "Отпечаток загруженного сертификата не совпадает с указанным: root");
    EXPECT_EQ(task->status, TaskStatus::Downloaded);

    const auto lookup = MakeTask();
    Serve(*lookup, "ca", "ROOT", ca_.der, ca_.thumbprint);
    EXPECT_EQ(Detected(*lookup), TaskStatus::NotInstalled);
}

TEST_F(CertTaskIntegrationTest, AFileThatIsNoDerCertificateIsRefusedByTheStore) {
    Bytes pemThumbprint;
    ASSERT_TRUE(stores_.Sha1(root_.pem, &pemThumbprint));
    const auto task = MakeTask();
    Serve(*task, "root", "ROOT", root_.pem, pemThumbprint);
    EXPECT_EQ(Execute(*task), "Ошибка импорта сертификата");
    EXPECT_EQ(task->status, TaskStatus::Downloaded);
    EXPECT_EQ(Detected(*task), TaskStatus::NotInstalled);
}

TEST_F(CertTaskIntegrationTest, APinnedFileWithAnotherHashIsRemovedAndNeverImported) {
    const auto task = MakeTask();
    Serve(*task, "root", "ROOT", root_.der, root_.thumbprint);
    const std::string wrong(64, '0');
    task->certificates[0]->Sha256 = wrong;
    const std::string served(root_.der.begin(), root_.der.end());
    EXPECT_EQ(Execute(*task),
              "Загруженный файл не совпадает с указанным в конфигурации и удалён: ожидался "
              "SHA-256 " +
                  wrong + ", получен " + DigestHex(DigestKind::Sha256, served));
    EXPECT_FALSE(std::filesystem::exists(task->certificates[0]->localPath));
    EXPECT_EQ(Detected(*task), TaskStatus::NotInstalled);
}

}  // namespace
}  // namespace velk
