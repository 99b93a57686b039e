#include "tasks/task_set.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "support/test_support.h"
#include "tasks/browser_software_task.h"
#include "tasks/browser_task.h"
#include "tasks/cert_task.h"
#include "tasks/copy_task.h"
#include "tasks/registry_task.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

// A kind that does what its component file says: Detect finds the status
// given by "status"; "fails" is "load" or "detect", where it throws: a
// runtime error with the text of "message", or with "exception: logic" or
// "exception: number" something that is not one.
class ScriptedTask : public InstallTask {
  public:
    explicit ScriptedTask(Platform& given) : platform(&given) {}

    void Load(YamlPairs given) override {
        pairs = std::move(given);
        if (FindValue(pairs, "fails") == "load") Fail();
    }
    void Detect() override {
        ++detections;
        if (FindValue(pairs, "fails") == "detect") Fail();
        status = static_cast<TaskStatus>(std::stoi(FindValue(pairs, "status")));
    }
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {}

    Platform* platform;
    YamlPairs pairs;
    int detections = 0;

  private:
    void Fail() const {
        const std::string exception = FindValue(pairs, "exception");
        if (exception == "logic") throw std::logic_error("logic");
        if (exception == "number") throw 42;
        throw std::runtime_error(FindValue(pairs, "message"));
    }
};

const TaskType kScriptedTypes[] = {
    {"scripted", TaskKind::Software, &CreateTask<ScriptedTask>},
    {"scripted_browser", TaskKind::Browser, &CreateTask<ScriptedTask>},
    {"scripted_registry", TaskKind::Registry, &CreateTask<ScriptedTask>},
};

// One component file: its type, the status Detect finds, further lines.
struct Component {
    Component(std::string componentName, std::string componentType, int detected = 3,
              std::string moreYaml = {})
        : name(std::move(componentName)),
          type(std::move(componentType)),
          status(detected),
          extra(std::move(moreYaml)) {}
    std::string name;
    std::string type;
    int status;
    std::string extra;
};

class TaskSetTest : public testing::Test {
  protected:
    TaskSetTest() { fakes.run.dataFolder = folder_.path().string(); }

    void Write(const Component& c) {
        folder_.Write(c.name + ".yaml", "type: " + c.type + "\nname: " + c.name + "\nstatus: " +
                                            std::to_string(c.status) + "\n" + c.extra);
    }
    void Write(const std::vector<Component>& components) {
        for (const auto& c : components) Write(c);
    }

    bool Load(const std::vector<std::string>& components) {
        return LoadTaskSet(Provider{"Name", components}, taskSet, fakes.platform, fakes.run,
                           kScriptedTypes);
    }
    std::shared_ptr<InstallTask> LoadFile(const std::string& name,
                                          std::span<const TaskType> types = kScriptedTypes) {
        return LoadComponentTask(ComponentPath(fakes.run, name), fakes.platform, fakes.run, types);
    }

    std::vector<std::string> TaskNames() const {
        std::vector<std::string> names;
        for (const auto& task : taskSet.tasks) names.push_back(task->name);
        return names;
    }
    ScriptedTask& Scripted(std::size_t index) {
        return dynamic_cast<ScriptedTask&>(*taskSet.tasks.at(index));
    }

    test::TempDir folder_;
    FakePlatform fakes;
    TaskSet taskSet;

  private:
};

TEST_F(TaskSetTest, TypeNamesMatchExactly) {
    const struct {
        std::string typeLine;
        bool created;
        TaskKind kind;
    } cases[] = {
        {"type: scripted\n", true, TaskKind::Software},
        {"type: scripted_browser\n", true, TaskKind::Browser},
        {"type: scripted_registry\n", true, TaskKind::Registry},
        {"type: Scripted\n", false, {}},
        {"type: 'scripted '\n", false, {}},
        {"type: scripte\n", false, {}},
        {"type: crl\n", false, {}},
        {"type: ''\n", false, {}},
        {"name: no type\n", false, {}},
        // The first "type" decides.
        {"type: crl\ntype: scripted\n", false, {}},
        {"type: scripted_browser\ntype: crl\n", true, TaskKind::Browser},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeLine);
        folder_.Write("c.yaml", c.typeLine);
        const auto task = LoadFile("c");
        ASSERT_EQ(task != nullptr, c.created);
        if (task) {
            EXPECT_EQ(task->kind, c.kind);
        }
    }
    EXPECT_EQ(LoadFile("missing"), nullptr);
}

TEST_F(TaskSetTest, CommonKeysAreSetAndTheKindGetsEveryPairAndThePlatform) {
    folder_.Write("c.yaml",
                  "type: scripted\nname: Имя\nlogo: logo.png\nstatus: 1\n-package:\n  name: p\n");
    const auto task = LoadFile("c");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(Cp1251ToUtf8(task->name), "Имя");
    EXPECT_EQ(task->logo, "logo.png");
    auto& scripted = dynamic_cast<ScriptedTask&>(*task);
    EXPECT_EQ(scripted.platform, &fakes.platform);
    EXPECT_EQ(scripted.pairs, ReadYamlPairs(ComponentPath(fakes.run, "c")));
    EXPECT_EQ(scripted.detections, 0);  // loading alone examines nothing

    folder_.Write("bare.yaml", "type: scripted\n");
    const auto bare = LoadFile("bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->name, "");
    EXPECT_EQ(bare->logo, "");
}

TEST_F(TaskSetTest, ComponentsLoadInOrderAndThoseWithoutTaskAreLeftOut) {
    Write({{"b", "scripted"}, {"a", "scripted_registry"}, {"c", "crl"}, {"d", "other"}});
    folder_.Write("e.yaml", "");
    taskSet.tasks.push_back(std::make_shared<ScriptedTask>(fakes.platform));  // from before

    ASSERT_TRUE(Load({"b", "c", "missing", "a", "d", "e", "b"}));
    // No merging here: a repeated name loads again.
    EXPECT_EQ(TaskNames(), (std::vector<std::string>{"b", "a", "b"}));
    for (std::size_t i = 0; i < taskSet.tasks.size(); ++i) EXPECT_EQ(Scripted(i).detections, 1);
    EXPECT_TRUE(fakes.ui.boxes.empty());
}

TEST_F(TaskSetTest, AllInstalledWhenEveryTaskButTheBrowserIsInstalled) {
    const struct {
        const char* what;
        std::vector<Component> components;
        bool allInstalled;
    } cases[] = {
        {"no tasks", {}, true},
        {"all installed", {{"a", "scripted"}, {"b", "scripted_registry"}}, true},
        {"the browser does not count",
         {{"a", "scripted"}, {"b", "scripted_browser", 1}, {"c", "scripted_browser", 6}},
         true},
        {"another version is not enough", {{"a", "scripted"}, {"b", "scripted", 4}}, false},
        {"downloaded is not installed", {{"a", "scripted_registry", 2}}, false},
        {"the first one missing", {{"a", "scripted", 1}, {"b", "scripted"}}, false},
        {"the last one failed", {{"a", "scripted"}, {"b", "scripted", 6}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> names;
        for (const auto& component : c.components) names.push_back(component.name);
        Write(c.components);
        taskSet.allInstalled = !c.allInstalled;

        ASSERT_TRUE(Load(names));
        EXPECT_EQ(taskSet.allInstalled, c.allInstalled);
        ASSERT_EQ(taskSet.tasks.size(), c.components.size());
        for (std::size_t i = 0; i < c.components.size(); ++i) {
            EXPECT_EQ(Scripted(i).detections, 1) << "every task is detected";
            EXPECT_EQ(static_cast<int>(taskSet.tasks[i]->status), c.components[i].status);
        }
    }
}

TEST_F(TaskSetTest, AFailureEndsTheLoadWithItsMessage) {
    const std::string unexpected = "Непредвиденная ошибка";
    const struct {
        const char* what;
        std::string failing;  // lines of component "b"
        std::string utf8Text;
        std::size_t tasksKept;
        int detectionsOfA;
    } cases[] = {
        {"a kind's own load error", "fails: load\nmessage: Нет ключа\n", "Нет ключа", 1, 0},
        {"a detection error", "fails: detect\nmessage: Сбой\n", "Сбой", 3, 1},
        {"a syntax error in the file", "title: \"open\n", "Неверный формат файла", 1, 0},
        {"a logic error is unexpected", "fails: load\nexception: logic\n", unexpected, 1, 0},
        {"an exception of no standard type", "fails: detect\nexception: number\n", unexpected, 3,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write({{"a", "scripted"}, {"b", "scripted", 3, c.failing}, {"c", "scripted"}});

        EXPECT_FALSE(Load({"a", "b", "c"}));
        EXPECT_EQ(Cp1251ToUtf8(taskSet.failure), c.utf8Text);
        EXPECT_TRUE(fakes.ui.boxes.empty()) << "the pages tell the user, not the tasks";
        // Loading and detecting stop at once; what was loaded stays.
        ASSERT_EQ(taskSet.tasks.size(), c.tasksKept);
        EXPECT_EQ(TaskNames().front(), "a");
        EXPECT_EQ(Scripted(0).detections, c.detectionsOfA);
        if (c.tasksKept == 3) {
            EXPECT_EQ(Scripted(2).detections, 0);
        }
    }
}

TEST_F(TaskSetTest, KnownTypesCreateTheirKinds) {
    fakes.run.dataFolder = test::DataFile("components").string();
    const struct {
        const char* component;
        TaskKind kind;
        std::type_index type;
    } cases[] = {
        {"zarnik_csp", TaskKind::Software, typeid(SoftwareTask)},
        {"browser", TaskKind::Browser, typeid(BrowserSoftwareTask)},
        {"lotos_torg_sites", TaskKind::BrowserSetup, typeid(BrowserTask)},
        {"zarnik_registry", TaskKind::Registry, typeid(RegistryTask)},
        {"lotos_torg_certificates", TaskKind::Certificate, typeid(CertTask)},
        {"ormeta_license", TaskKind::CopyFile, typeid(CopyTask)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.component);
        const auto task = LoadFile(c.component, KnownTaskTypes());
        ASSERT_NE(task, nullptr);
        EXPECT_EQ(task->kind, c.kind);
        EXPECT_EQ(std::type_index(typeid(*task)), c.type);
        EXPECT_EQ(task->name,
                  FindValue(ReadYamlPairs(ComponentPath(fakes.run, c.component)), "name"));
    }
    fakes.run.dataFolder = folder_.path().string();
    folder_.Write("revocation.yaml", "type: crl\nname: x\n");
    EXPECT_EQ(LoadFile("revocation", KnownTaskTypes()), nullptr);
}

}  // namespace
}  // namespace velk
