#include "pages/install_dlg.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "fakes/fake_com.h"
#include "fakes/fake_dialog_host.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "support/recording_page.h"

namespace velk {
namespace {

using Host = FakeDialogHost;

// A certificate-like task (run in the first pass) that reports its steps and
// then succeeds, fails, or waits for the cancel flag.
class ReportingTask : public InstallTask {
  public:
    enum class Outcome { Succeed, Fail, WaitForCancel };
    explicit ReportingTask(Outcome outcome) : outcome_(outcome) {
        kind = TaskKind::Certificate;
        name = "Root CA";
    }
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress& progress,
                 const std::atomic<bool>& cancelFlag) override {
        progress.DownloadBegins(name);
        progress.DownloadStarted("http://127.0.0.1/root.cer", 1000);
        progress.DownloadAdvanced(40, 400);
        if (outcome_ == Outcome::WaitForCancel) {
            // A download polls the flag between its blocks.
            while (!cancelFlag) std::this_thread::yield();
            // The block that was under way when the flag was set.
            progress.DownloadAdvanced(70, 700);
            throw std::runtime_error(Utf8ToCp1251("Отменено пользователем"));
        }
        progress.InstallBegins(name);
        if (outcome_ == Outcome::Fail) throw std::runtime_error("boom");
        status = TaskStatus::Installed;
        progress.TaskFinished(*this);
    }

  private:
    Outcome outcome_;
};

class InstallDlgTest : public ::testing::Test {
  protected:
    int Show(TaskList tasks, std::vector<Host::Step> steps) {
        InstallDlg page(host_, InstallPlan({}, std::move(tasks)), com_, &record_);
        host_.steps = std::move(steps);
        const int result = page.DoModal();
        outcome_ = page.outcome();
        return result;
    }
    std::string Status() const { return Cp1251ToUtf8(host_.Last("text", "Status")); }
    std::string Buttons() const { return Cp1251ToUtf8(host_.Last("inner", "buttons")); }
    std::shared_ptr<InstallTask> Task(ReportingTask::Outcome outcome) {
        return std::make_shared<ReportingTask>(outcome);
    }

    Host host_;
    FakeCom com_;
    test::RecordingPage record_;
    InstallDlg::Outcome outcome_ = InstallDlg::Outcome::None;
};

TEST_F(InstallDlgTest, WithNothingToInstallNoWorkerStartsAndBackOrNextAreOffered) {
    auto installed = Task(ReportingTask::Outcome::Fail);
    installed->status = TaskStatus::Installed;
    EXPECT_EQ(Show({installed}, {Host::Click("ButtonOK")}), kPageNext);
    EXPECT_EQ(Status(), "Все компоненты либо установлены, либо не выбраны для инсталляции!");
    EXPECT_EQ(Buttons(),
              "<input id=\"ButtonBack\" type=\"button\" value=\"Назад\" /> <input "
              "id=\"ButtonOK\" type=\"button\" value=\"Далее\" />");
    EXPECT_FALSE(host_.askBeforeLeaving);
    EXPECT_EQ(host_.shown, std::vector<int>{114});
}

TEST_F(InstallDlgTest, TheWorkersReportsBecomeStatusProgressAndTheFinalButton) {
    EXPECT_EQ(Show({Task(ReportingTask::Outcome::Succeed)},
                   {Host::AwaitCommand("Установка успешно"), Host::Click("ButtonOK")}),
              kPageNext);
    std::vector<std::string> trail;
    for (const auto& command : host_.commands) {
        if (command.op == "text" || command.op == "progress") {
            trail.push_back(command.op + ":" + command.name + ":" + Cp1251ToUtf8(command.value));
        }
    }
    EXPECT_EQ(trail, (std::vector<std::string>{
                         "progress:hidden:0", "text::Загрузка Root CA...", "progress:shown:0",
                         "progress:shown:40", "text::Установка Root CA...", "progress:hidden:0",
                         "text::Установка успешно произведена! Нажмите кнопку «Далее»"}));
    EXPECT_EQ(Buttons(), "<input id=\"ButtonOK\" type=\"button\" value=\"Далее\" />");
    EXPECT_EQ(outcome_, InstallDlg::Outcome::Done);
    // The run's log heard the same reports, the URL and the end included.
    std::vector<test::Step> heard;
    for (const auto& entry : record_.Steps()) heard.push_back(entry.message);
    EXPECT_EQ(heard, (std::vector<test::Step>{test::Step::DownloadBegins, test::Step::InstallBegins,
                                              test::Step::TaskFinished, test::Step::RunFinished}));
    EXPECT_EQ(record_.urls, std::vector<std::string>{"http://127.0.0.1/root.cer"});
}

TEST_F(InstallDlgTest, AFailedTaskEndsTheRunWithItsMessage) {
    EXPECT_EQ(Show({Task(ReportingTask::Outcome::Fail)}, {Host::AwaitCommand("Ошибка в процессе")}),
              kPageNone);
    EXPECT_EQ(Status(), "Ошибка в процессе установки: boom");
    EXPECT_EQ(outcome_, InstallDlg::Outcome::Failed);
    EXPECT_EQ(Buttons(), "<input id=\"ButtonOK\" type=\"button\" value=\"Далее\" />");
    // Once stopped, the window's cancel code ends the page without a question
    // (the installation stage takes anything but Next as Exit).
    host_.Reset();
    EXPECT_EQ(Show({Task(ReportingTask::Outcome::Fail)},
                   {Host::AwaitCommand("Ошибка в процессе"), Host::Click("ButtonCancel")}),
              kPageExit);
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(InstallDlgTest, ACancelledRunKeepsReportingUntilTheWorkerEnds) {
    host_.answers = {kIdNo, kIdYes};
    EXPECT_EQ(Show({Task(ReportingTask::Outcome::WaitForCancel)},
                   {Host::AwaitCommand("Загрузка"), Host::Click("ButtonCancel"),
                    Host::Click("ButtonCancel"), Host::AwaitCommand("Отменено"),
                    Host::Click("ButtonOK")}),
              kPageNext);
    ASSERT_EQ(host_.boxes.size(), 2u);
    bool interrupted = false;
    bool shownAfterwards = false;
    for (const auto& command : host_.commands) {
        interrupted |= Cp1251ToUtf8(command.value) == "Установка прервана пользователем";
        shownAfterwards |= interrupted && command.op == "progress" && command.name == "shown";
    }
    EXPECT_TRUE(interrupted);
    EXPECT_FALSE(shownAfterwards) << "a late report showed the hidden progress bar again";
    EXPECT_EQ(Status(), "Ошибка в процессе установки: Отменено пользователем");
    EXPECT_EQ(outcome_, InstallDlg::Outcome::Cancelled);
}

TEST_F(InstallDlgTest, APageThatEndsDuringTheRunStopsAndAwaitsItsWorker) {
    // The window goes away while the worker waits: the page must cancel it
    // and wait, and nothing may touch the page afterwards.
    EXPECT_EQ(Show({Task(ReportingTask::Outcome::WaitForCancel)}, {Host::AwaitCommand("Загрузка")}),
              kPageNone);
    EXPECT_EQ(Status(), "Загрузка Root CA...");
}

}  // namespace
}  // namespace velk
