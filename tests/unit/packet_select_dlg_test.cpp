#include "pages/packet_select_dlg.h"

#include <gtest/gtest.h>

#include <regex>

#include "engine/install_plan.h"
#include "fakes/fake_dialog_host.h"
#include "fakes/fake_platform.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "tasks/software_task.h"
#include "tasks/task_set.h"

namespace velk {
namespace {

using Host = FakeDialogHost;

class HiddenTask : public InstallTask {
  public:
    HiddenTask() { kind = TaskKind::Registry; }
    bool IsListed() const override { return false; }
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {}
};

class PacketSelectDlgTest : public ::testing::Test {
  protected:
    std::shared_ptr<SoftwareTask> Software(const std::string& chooseType,
                                           std::vector<TaskStatus> statuses) {
        auto task = std::make_shared<SoftwareTask>(fake_.platform, fake_.run);
        task->name = "Soft";
        task->logo = "145";
        task->choose_type = chooseType;
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            auto packet = std::make_shared<Packet>();
            packet->name = "P" + std::to_string(i + 1);
            packet->title = "Title " + std::to_string(i + 1);
            packet->version = "1.0";
            packet->bits = "all";
            packet->status = statuses[i];
            task->packets.push_back(packet);
        }
        return task;
    }

    std::string ButtonLabel() const {
        std::string label = "(unchanged)";
        for (const auto& command : host_.commands) {
            if (command.op == "attr" && command.id == "ButtonOK")
                label = Cp1251ToUtf8(command.value);
        }
        return label;
    }

    FakePlatform fake_;
    Host host_;
};

constexpr auto kNot = TaskStatus::NotInstalled;
constexpr auto kDone = TaskStatus::Installed;

TEST_F(PacketSelectDlgTest, AnOrChoiceIsOneRadioGroupAndOnlyTheLastPickStays) {
    const auto task = Software("or", {kNot, kNot, kNot});
    InstallPlan plan = PlanWithDefaults({}, {task});
    PacketSelectDlg page(host_, plan);
    host_.steps = {Host::Click(PacketLabel(*task->packets[0]), "INPUT", true),
                   Host::Click(PacketLabel(*task->packets[1]), "INPUT", true),
                   Host::Click("ButtonOK", "INPUT")};
    EXPECT_EQ(page.DoModal(), kPageNext);
    EXPECT_FALSE(task->IsChosen(plan, *task->packets[0]));
    EXPECT_TRUE(task->IsChosen(plan, *task->packets[1]));
    EXPECT_FALSE(task->IsChosen(plan, *task->packets[2]));

    const std::string html = host_.Last("inner", "ComponentList");
    EXPECT_NE(html.find("<tr><td rowspan=\"4\"><IMG src=\"res:/PNG/#145\""), std::string::npos);
    const std::regex radio(
        "<input type=\"radio\" id=\"Title (\\d) 1\\.0 all\" name = \"([0-9A-F]{8}-[0-9A-F]{4}-"
        "[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})\"/> Title \\d</td><td></td></tr>");
    std::vector<std::string> groups;
    for (std::sregex_iterator it(html.begin(), html.end(), radio), end; it != end; ++it) {
        groups.push_back((*it)[2]);
    }
    ASSERT_EQ(groups.size(), 3u) << html;
    EXPECT_EQ(groups[0], groups[1]);
    EXPECT_EQ(groups[1], groups[2]);
    EXPECT_TRUE(html.ends_with("<tr><td colspan=\"3\">&nbsp;</td></tr></table>"));
}

TEST_F(PacketSelectDlgTest, InstalledPacketsAndChosenOnesGetNoBox) {
    const auto andTask = Software("and", {kDone, kNot, kNot});
    andTask->packets[2]->ToInstall = true;
    auto orTask = Software("or", {kDone, kNot});
    orTask->status = kDone;
    InstallPlan plan = PlanWithDefaults({}, {andTask, orTask});
    PacketSelectDlg page(host_, plan);
    const std::string html = page.BuildComponentList();
    EXPECT_EQ(html,
              "<table style=\"width: 100%; vertical-align: top;\">"
              "<tr><td rowspan=\"4\"><IMG src=\"res:/PNG/#145\" height=\"30px\" "
              "style=\"margin-bottom: 2px\"/></td><td style=\"color:#206020;\">Soft</td>"
              "<td></td></tr>"
              "<tr><td style=\"color:#206020;padding-left:15px\"><input type=\"checkbox\" "
              "id=\"Title 2 1.0 all\"/> Title 2</td><td></td></tr>"
              "<tr><td style=\"color:#206020;padding-left:15px\">Title 3</td><td></td></tr>"
              "<tr><td colspan=\"3\">&nbsp;</td></tr></table>");
}

TEST_F(PacketSelectDlgTest, NextSaysWhetherAnythingWillBeInstalled) {
    const auto task = Software("and", {kNot, kNot});
    InstallPlan plan = PlanWithDefaults({}, {task});
    {
        PacketSelectDlg page(host_, plan);
        host_.steps = {Host::Click("ButtonOK")};
        EXPECT_EQ(page.DoModal(), kPageExit);
        EXPECT_TRUE(page.nothingToDo());
        EXPECT_EQ(ButtonLabel(), "Далее");
    }
    {
        host_.Reset();
        PacketSelectDlg page(host_, plan);
        host_.steps = {Host::Click(PacketLabel(*task->packets[0]), "INPUT", true),
                       Host::Click("ButtonOK")};
        EXPECT_EQ(page.DoModal(), kPageNext);
        EXPECT_FALSE(page.nothingToDo());
        EXPECT_EQ(ButtonLabel(), "Установить");
    }
    {
        // A hidden pending task is always carried out.
        host_.Reset();
        InstallPlan withHidden = PlanWithDefaults({}, {task, std::make_shared<HiddenTask>()});
        PacketSelectDlg page(host_, withHidden);
        host_.steps = {Host::Click("ButtonOK")};
        EXPECT_EQ(page.DoModal(), kPageNext);
        EXPECT_EQ(ButtonLabel(), "(unchanged)");
        EXPECT_EQ(host_.Last("inner", "ComponentList").find("HiddenTask"), std::string::npos);
    }
}

}  // namespace
}  // namespace velk
