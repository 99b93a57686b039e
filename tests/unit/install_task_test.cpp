#include "engine/install_task.h"

#include <gtest/gtest.h>

#include "engine/install_plan.h"
#include "platform/codepage.h"

namespace velk {
namespace {

class PlainTask : public InstallTask {
  public:
    void Detect() override {}
    void Load(YamlPairs) override {}
    void Execute(const InstallPlan&, Progress&, const std::atomic<bool>&) override {}
};

TaskStatus Status(int value) { return static_cast<TaskStatus>(value); }

struct StatusCase {
    int status;
    const char* detail;
    const char* base;           // InstallTask::StatusText
    const char* downloadAware;  // with the words "не установлены" / "установлены"
};

const StatusCase kStatusCases[] = {
    {1, "", "не установлено", "не установлены"},
    {1, "Продукт 1.0", "Продукт 1.0", "не установлены"},
    {2, "", "не установлено", "загружено"},
    {2, "Продукт 1.0", "Продукт 1.0", "загружено"},
    {3, "", "установлено", "установлены"},
    {3, "Продукт 2.0", "Продукт 2.0", "Продукт 2.0"},
    {4, "", "установлено", "установлены"},
    {4, "Продукт 0.9", "Продукт 0.9", "Продукт 0.9"},
    {6, "Продукт", "ошибка", "ошибка"},
    {0, "", "неизвестный статус", "неизвестный статус"},
    {5, "Продукт", "неизвестный статус", "неизвестный статус"},
    {7, "", "неизвестный статус", "неизвестный статус"},
};

TEST(InstallTaskStatusText, BaseAndDownloadAwareWordsForEveryStatus) {
    for (const auto& c : kStatusCases) {
        PlainTask task;
        task.status = Status(c.status);
        task.statusDetail = Utf8ToCp1251(c.detail);
        EXPECT_EQ(Cp1251ToUtf8(task.StatusText()), c.base) << "status " << c.status;
        EXPECT_EQ(Cp1251ToUtf8(DownloadAwareStatusText(task.status, task.statusDetail,
                                                       "не установлены", "установлены")),
                  c.downloadAware)
            << "status " << c.status;
    }
}

}  // namespace
}  // namespace velk
