#include "pages/html_list_dlg.h"

#include <gtest/gtest.h>

#include "engine/install_plan.h"
#include "engine/program_runner.h"
#include "fakes/fake_dialog_host.h"
#include "fakes/fake_platform.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "platform/shutdown.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

using Host = FakeDialogHost;

class ListedTask : public InstallTask {
  public:
    ListedTask(TaskKind taskKind, TaskStatus taskStatus, std::string taskName, bool listed = true)
        : listed_(listed) {
        kind = taskKind;
        status = taskStatus;
        name = Utf8ToCp1251(taskName);
    }
    std::string StatusText() const override { return "status-" + std::to_string(int(status)); }
    bool IsListed() const override { return listed_; }
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {}

  private:
    bool listed_;
};

struct CountingShutdown : Shutdown {
    bool RestartComputer() override {
        ++restarts;
        return true;
    }
    int restarts = 0;
};

class HtmlListDlgTest : public ::testing::Test {
  protected:
    std::shared_ptr<InstallTask> Task(TaskKind kind, TaskStatus status, const char* name,
                                      bool listed = true) {
        return std::make_shared<ListedTask>(kind, status, name, listed);
    }

    int Show(TaskList tasks, bool overview, std::vector<Host::Step> clicks) {
        HtmlListDlg page(host_, std::move(tasks), fake_.system, shutdown_, fake_.run);
        page.canContinue = overview;
        page.finalMode = !overview;
        host_.steps = std::move(clicks);
        return page.DoModal();
    }

    std::vector<std::string> Removed() const {
        std::vector<std::string> ids;
        for (const auto& command : host_.commands) {
            if (command.op == "outer" && command.value.empty()) ids.push_back(command.id);
        }
        return ids;
    }

    std::string CancelLabel() const {
        for (const auto& command : host_.commands) {
            if (command.op == "attr" && command.id == "ButtonCancel") {
                return Cp1251ToUtf8(command.value);
            }
        }
        return "(none)";
    }

    FakePlatform fake_;
    Host host_;
    CountingShutdown shutdown_;
};

TEST_F(HtmlListDlgTest, TheOverviewWithWorkPendingLeadsOnAndAsksBeforeLeaving) {
    // A hidden registry task still counts as pending.
    const TaskList tasks = {Task(TaskKind::Certificate, TaskStatus::Installed, "Cert"),
                            Task(TaskKind::Registry, TaskStatus::NotInstalled, "Reg", false)};
    host_.answers = {kIdNo};
    EXPECT_EQ(Show(tasks, true, {Host::Click("ButtonCancel"), Host::Click("ButtonOK")}), kPageNext);
    EXPECT_EQ(CancelLabel(), "Выход");
    EXPECT_TRUE(Removed().empty());
    EXPECT_TRUE(host_.askBeforeLeaving);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].text),
              "Вы действительно хотите завершить работу мастера установки?");
}

TEST_F(HtmlListDlgTest, WithNothingPendingOnlyAnExitWithoutQuestionIsLeft) {
    const TaskList tasks = {Task(TaskKind::Certificate, TaskStatus::Installed, "Cert")};
    for (const bool overview : {true, false}) {
        host_.Reset();
        EXPECT_EQ(Show(tasks, overview, {Host::Click("ButtonCancel")}), kPageExit);
        EXPECT_EQ(CancelLabel(), overview ? "Далее" : "Выход");
        EXPECT_EQ(Removed(), (std::vector<std::string>{"ButtonOK", "ButtonBack"}));
        EXPECT_FALSE(host_.askBeforeLeaving);
        EXPECT_TRUE(host_.boxes.empty());
    }
    EXPECT_EQ(shutdown_.restarts, 0);
}

TEST_F(HtmlListDlgTest, LeavingTheFinalPageOffersTheRestartAnInstallerAskedFor) {
    fake_.run.rebootRequired = true;
    const TaskList tasks = {Task(TaskKind::Certificate, TaskStatus::Installed, "Cert")};
    host_.answers = {kIdNo};
    EXPECT_EQ(Show(tasks, false, {Host::Click("ButtonCancel")}), kPageExit);
    EXPECT_EQ(shutdown_.restarts, 0);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].caption), "ВЕЛК");
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].text),
              "Для завершения процесса установки требуется перезагрузка. Выполнить перезагрузку "
              "сейчас?");

    host_.Reset();
    host_.answers = {kIdYes};
    EXPECT_EQ(Show(tasks, false, {Host::Click("ButtonCancel")}), kPageExit);
    EXPECT_EQ(shutdown_.restarts, 1);
}

TEST_F(HtmlListDlgTest, TheListShowsTheSystemListedTasksAndPacketsOfChoices) {
    auto software = std::make_shared<SoftwareTask>(fake_.platform, fake_.run);
    software->name = "CSP";
    software->logo = "142 143";
    const char* titles[] = {"Edition A", "", "Edition C"};
    const TaskStatus statuses[] = {TaskStatus::Installed, TaskStatus::InstalledOtherVersion,
                                   TaskStatus::NotInstalled};
    for (int i = 0; i < 3; ++i) {
        auto packet = std::make_shared<Packet>();
        packet->title = titles[i];
        packet->name = "Pkg <" + std::to_string(i) + ">";
        packet->bits = "all";
        packet->status = statuses[i];
        software->packets.push_back(packet);
    }
    const TaskList tasks = {software, Task(TaskKind::Browser, TaskStatus::NotInstalled, "IE old"),
                            Task(TaskKind::Browser, TaskStatus::Installed, "IE"),
                            Task(TaskKind::Registry, TaskStatus::NotInstalled, "Reg", false),
                            Task(TaskKind::Certificate, TaskStatus::InstalledOtherVersion, "Cert")};
    Show(tasks, true, {});
    const std::string cell =
        "<td><p style=\"padding-left: 2px; border: 1px solid; background-color:white;color:";
    const std::string expected =
        "<table style=\"width: 100%; vertical-align: top;\">"
        "<tr><td width=\"20%\"><IMG src=\"res:/PNG/#144\" height=\"40px\" style=\"margin-bottom: "
        "5px;\"/></td><td width=\"40%\" style=\"color:#206020;\">Операционная система</td>"
        "<td width=\"40%\"><p style=\"padding-left: 2px; border: 1px solid; "
        "background-color:white;color:#206020;\">Windows 7 x64</p></td></tr>"
        "<tr><td rowspan=\"4\"><IMG src=\"res:/PNG/#142\" height=\"30px\" style=\"margin-bottom: "
        "2px\"/><br/><IMG src=\"res:/PNG/#143\" height=\"30px\" style=\"margin-bottom: 2px\"/>"
        "</td><td style=\"color:#206020;\">CSP</td><td></td></tr>"
        "<tr><td style=\"color:#206020;padding-left:15px\">Edition A</td>" +
        cell + "#206020;\">" + Cp1251ToUtf8(PacketStatusText(*software->packets[0])) +
        "</p></td></tr>"
        "<tr><td style=\"color:#206020;padding-left:15px\">Pkg &lt;1&gt;</td>" +
        cell + "red;\">" + Cp1251ToUtf8(PacketStatusText(*software->packets[1])) +
        "</p></td></tr>"
        "<tr><td style=\"color:#206020;padding-left:15px\">Edition C</td>" +
        cell + "#206020;\">" + Cp1251ToUtf8(PacketStatusText(*software->packets[2])) +
        "</p></td></tr><tr><td colspan=\"3\">&nbsp;</td></tr>"
        "<tr><td></td><td style=\"color:#206020;\">IE</td>" +
        cell +
        "#206020;\">status-3</p></td></tr>"
        "<tr><td></td><td style=\"color:#206020;\">Cert</td>" +
        cell + "#206020;\">status-4</p></td></tr></table>";
    EXPECT_EQ(Cp1251ToUtf8(host_.Last("inner", "ComponentList")), expected);
}

}  // namespace
}  // namespace velk
