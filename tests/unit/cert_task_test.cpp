#include "tasks/cert_task.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "support/recording_page.h"
#include "support/test_certificates.h"
#include "support/test_support.h"
#include "tasks/task_factory.h"

namespace velk {
namespace {

using test::ErrorOf;
using test::LoadTestCertificate;
using test::RecordingPage;
using test::StampOf;
using test::TestCertificate;

class CertTaskTest : public ::testing::Test {
  protected:
    CertTaskTest() {
        fakes_.system.tempDirectory = temp_.path().string() + "/";
        task_.name = Utf8ToCp1251("Корневые сертификаты");
    }

    // A certificate of the task, served by the fake network at its own URL.
    Certificate& Add(const std::string& name, const std::string& store, const Bytes& served,
                     const std::string& stamp) {
        auto certificate = std::make_shared<Certificate>();
        certificate->name = name;
        certificate->store = store;
        certificate->stamp = stamp;
        certificate->SrcUrl = "http://127.0.0.1/certs/" + name + ".cer";
        fakes_.internet.responses[certificate->SrcUrl] =
            FakeInternet::Body(std::string(served.begin(), served.end()));
        task_.certificates.push_back(certificate);
        return *certificate;
    }
    Certificate& Add(const std::string& name, const std::string& store,
                     const TestCertificate& certificate) {
        return Add(name, store, certificate.der, StampOf(certificate.thumbprint));
    }

    bool Holds(const std::string& store, const TestCertificate& certificate) {
        const auto held = fakes_.certificates.Certificates(store);
        return std::find(held.begin(), held.end(), certificate.der) != held.end();
    }

    std::string Execute() {
        return ErrorOf([&] { task_.Execute({}, page_, cancel_); });
    }

    test::TempDir temp_;
    FakePlatform fakes_;
    CertTask task_{fakes_.platform, fakes_.run};
    RecordingPage page_;
    std::atomic<bool> cancel_{false};
    TestCertificate root_ = LoadTestCertificate("root");
    TestCertificate ca_ = LoadTestCertificate("ca");
    TestCertificate third_ = LoadTestCertificate("third");
};

TEST_F(CertTaskTest, CertificateComponentsBecomeListedCertificateTasks) {
    const auto task =
        LoadComponentTask(test::DataFile("components/lotos_torg_certificates.yaml").string(),
                          fakes_.platform, fakes_.run);
    const auto* certTask = dynamic_cast<const CertTask*>(task.get());
    ASSERT_NE(certTask, nullptr);
    EXPECT_EQ(task->kind, TaskKind::Certificate);
    EXPECT_TRUE(task->IsListed());
    ASSERT_EQ(certTask->certificates.size(), 2u);
    EXPECT_EQ(certTask->certificates[1]->store, "CA");
    EXPECT_EQ(ParseStamp(certTask->certificates[1]->stamp).size(), kSha1Length);
}

TEST_F(CertTaskTest, StatusWordsNeverShowTheDetailBeforeInstallation) {
    const struct {
        int status;
        const char* detail;
        const char* text;
    } cases[] = {
        {1, "", "не установлены"}, {1, "деталь", "не установлены"}, {2, "деталь", "загружено"},
        {3, "", "установлены"},    {3, "деталь", "деталь"},         {4, "", "установлены"},
        {6, "деталь", "ошибка"},   {0, "", "неизвестный статус"},   {5, "", "неизвестный статус"},
    };
    for (const auto& c : cases) {
        task_.status = static_cast<TaskStatus>(c.status);
        task_.statusDetail = Utf8ToCp1251(c.detail);
        EXPECT_EQ(Cp1251ToUtf8(task_.StatusText()), c.text) << c.status << " " << c.detail;
    }
}

TEST_F(CertTaskTest, IsInstalledOnlyWhenEveryCertificateIsInItsStore) {
    Add("root", "ROOT", root_);
    Add("ca", "CA", ca_);
    // Extra blanks and upper-case digits name the same thumbprint.
    std::string loose = StampOf(third_.thumbprint);
    for (char& c : loose) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Add("third", "CA", third_.der, "  " + loose + "   ");

    const struct {
        bool root, ca, third;
        TaskStatus status;
    } cases[] = {
        {false, false, false, TaskStatus::NotInstalled},
        {true, true, false, TaskStatus::NotInstalled},
        {true, false, true, TaskStatus::NotInstalled},
        {true, true, true, TaskStatus::Installed},
    };
    for (const auto& c : cases) {
        FakePlatform fresh;
        CertTask task(fresh.platform, fresh.run);
        task.certificates = task_.certificates;
        if (c.root) fresh.certificates.AddEncodedToSystemStore("ROOT", root_.der);
        if (c.ca) fresh.certificates.AddEncodedToSystemStore("CA", ca_.der);
        if (c.third) fresh.certificates.AddEncodedToSystemStore("ca", third_.der);
        task.Detect();
        EXPECT_EQ(task.status, c.status) << c.root << c.ca << c.third;
        EXPECT_EQ(fresh.certificates.OpenHandleCount(), 0u);
    }
}

TEST_F(CertTaskTest, NoCertificatesMeansInstalled) {
    task_.Load(ReadYamlPairsFromText("type: certificate\nname: x\n"));
    task_.Detect();
    EXPECT_EQ(task_.status, TaskStatus::Installed);

    task_.status = TaskStatus::NotInstalled;
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_.status, TaskStatus::Installed);
    ASSERT_EQ(page_.entries.size(), 1u);
    EXPECT_EQ(page_.entries[0].message, test::Step::TaskFinished);
    EXPECT_EQ(page_.entries[0].lParam, reinterpret_cast<std::intptr_t>(&task_));
}

TEST_F(CertTaskTest, AnUnattendedRunImportsIntoTheMachinesStoreWhichDetectionSees) {
    Add("root", "ROOT", root_);
    fakes_.run.machineCertificates = true;
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(fakes_.certificates.MachineCertificates("ROOT"), std::vector<Bytes>{root_.der});
    EXPECT_FALSE(Holds("ROOT", root_)) << "the user's own store stays as it was";
    task_.status = TaskStatus::NotInstalled;
    task_.Detect();
    EXPECT_EQ(task_.status, TaskStatus::Installed);
}

TEST_F(CertTaskTest, AStoreThatCannotBeOpenedStopsTheDetection) {
    Add("root", "ROOT", root_);
    Add("ca", "CA", ca_);
    fakes_.certificates.AddEncodedToSystemStore("ROOT", root_.der);
    fakes_.certificates.unavailable = {"CA"};
    task_.status = TaskStatus::Installed;
    EXPECT_EQ(ErrorOf([&] { task_.Detect(); }), "Ошибка при открытии хранилища сертификатов");
    EXPECT_EQ(task_.status, TaskStatus::Installed);
    EXPECT_EQ(fakes_.certificates.OpenHandleCount(), 0u);
}

TEST_F(CertTaskTest, ImportsEachCertificateIntoItsStoreAndReportsEachStep) {
    Add(Utf8ToCp1251("Головной УЦ"), "ROOT", root_);
    Add(Utf8ToCp1251("Подчинённый УЦ"), "CA", ca_);

    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_.status, TaskStatus::Installed);
    EXPECT_TRUE(Holds("ROOT", root_));
    EXPECT_TRUE(Holds("CA", ca_));
    EXPECT_FALSE(Holds("CA", root_));
    for (const auto& certificate : task_.certificates) {
        EXPECT_EQ(certificate->bytes, certificate == task_.certificates[0] ? root_.der : ca_.der);
        EXPECT_EQ(certificate->localPath.rfind(temp_.path().string(), 0), 0u)
            << certificate->localPath;
    }
    EXPECT_NE(task_.certificates[0]->localPath, task_.certificates[1]->localPath);

    const auto steps = page_.Steps();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].message, test::Step::InstallBegins);
    EXPECT_EQ(Cp1251ToUtf8(steps[0].text), "Головной УЦ");
    EXPECT_EQ(steps[1].message, test::Step::InstallBegins);
    EXPECT_EQ(Cp1251ToUtf8(steps[1].text), "Подчинённый УЦ");
    EXPECT_EQ(steps[2].message, test::Step::TaskFinished);
    EXPECT_EQ(steps[2].lParam, reinterpret_cast<std::intptr_t>(&task_));
    // Each download reported its progress before its certificate's step.
    EXPECT_EQ(page_.entries.front().message, test::Step::DownloadProgress);

    task_.Detect();
    EXPECT_EQ(task_.status, TaskStatus::Installed);
}

TEST_F(CertTaskTest, ASecondRunDownloadsIntoTheSameFile) {
    Certificate& certificate = Add("root", "ROOT", root_);
    ASSERT_EQ(Execute(), "");
    const std::string first = certificate.localPath;
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(Execute(), "");
    EXPECT_EQ(certificate.localPath, first);
}

TEST_F(CertTaskTest, RefusesAFileWhoseThumbprintIsNotTheConfiguredOne) {
    // The server hands out another authority's certificate under the name.
    Add(Utf8ToCp1251("Головной УЦ"), "ROOT", ca_.der, StampOf(root_.thumbprint));
    EXPECT_EQ(Execute(),
              "Отпечаток загруженного сертификата не совпадает с указанным: Головной УЦ");
    EXPECT_TRUE(fakes_.certificates.Certificates("ROOT").empty());
    EXPECT_EQ(task_.status, TaskStatus::Downloaded);
}

TEST_F(CertTaskTest, ABadStampRefusesEvenTheRightFile) {
    const std::string right = StampOf(root_.thumbprint);
    for (const std::string& stamp : {std::string(), right.substr(0, right.size() - 3),
                                     right + " 00", "zz" + right.substr(2)}) {
        task_.certificates.clear();
        Add("root", "ROOT", root_.der, stamp);
        EXPECT_EQ(Execute(), "Отпечаток загруженного сертификата не совпадает с указанным: root")
            << stamp;
    }
    EXPECT_TRUE(fakes_.certificates.Certificates("ROOT").empty());
}

TEST_F(CertTaskTest, AFileThatIsNoDerCertificateIsNotImported) {
    // Its stamp matches the file, so only the store can refuse it.
    Bytes thumbprint;
    fakes_.certificates.Sha1(root_.pem, &thumbprint);
    Add("root", "ROOT", root_.pem, StampOf(thumbprint));
    EXPECT_EQ(Execute(), "Ошибка импорта сертификата");
    EXPECT_TRUE(fakes_.certificates.Certificates("ROOT").empty());
    EXPECT_EQ(task_.status, TaskStatus::Downloaded);
}

TEST_F(CertTaskTest, AFailureLeavesTheCertificatesBeforeItImported) {
    Add("root", "ROOT", root_);
    Add("ca", "CA", ca_.der, StampOf(third_.thumbprint));
    Add("third", "CA", third_);
    EXPECT_EQ(Execute(), "Отпечаток загруженного сертификата не совпадает с указанным: ca");
    EXPECT_TRUE(Holds("ROOT", root_));
    EXPECT_TRUE(fakes_.certificates.Certificates("CA").empty());
    EXPECT_EQ(task_.status, TaskStatus::Downloaded);
    // Nothing tells the page the task ended: the processor does on failure.
    EXPECT_EQ(page_.Steps().back().message, test::Step::InstallBegins);
}

TEST_F(CertTaskTest, AFailedDownloadFailsWithItsMessage) {
    Add("root", "ROOT", root_);
    Add("ca", "CA", ca_);
    fakes_.internet.responses.erase(task_.certificates[1]->SrcUrl);
    const std::string error = Execute();
    EXPECT_NE(error, "");
    EXPECT_EQ(error, Cp1251ToUtf8(fakes_.internet.ErrorText(kErrorInternetCannotConnect)));
    EXPECT_TRUE(Holds("ROOT", root_));
    EXPECT_EQ(task_.status, TaskStatus::Downloaded);
}

TEST_F(CertTaskTest, ACancelDuringADownloadImportsNothingMore) {
    Add("root", "ROOT", root_);
    Add("ca", "CA", ca_);
    // The user cancels while the second file comes in.
    int downloads = 0;
    page_.onMessage = [&](const RecordingPage::Entry& entry) {
        if (entry.message == test::Step::DownloadProgress && entry.wParam == 0 &&
            ++downloads == 2) {
            cancel_ = true;
        }
    };
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_.status, TaskStatus::Downloaded);
    EXPECT_TRUE(Holds("ROOT", root_));
    EXPECT_TRUE(fakes_.certificates.Certificates("CA").empty());
    const auto steps = page_.Steps();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].message, test::Step::InstallBegins);
}

}  // namespace
}  // namespace velk
