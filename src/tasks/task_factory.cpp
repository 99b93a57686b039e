#include "tasks/task_factory.h"

#include <algorithm>
#include <array>

#include "config/yaml_pairs.h"
#include "platform/trace.h"
#include "tasks/browser_software_task.h"
#include "tasks/browser_task.h"
#include "tasks/cert_task.h"
#include "tasks/copy_task.h"
#include "tasks/registry_task.h"
#include "tasks/software_task.h"

namespace velk {
namespace {

// In the order software, browser, browser_setup, registry, certificate,
// copyfile. "crl" components are not installed by the wizard: like an unknown
// type, they give no task.
const std::array kTaskTypes = {
    TaskType{"software", TaskKind::Software, &CreateTask<SoftwareTask>},
    TaskType{"browser", TaskKind::Browser, &CreateTask<BrowserSoftwareTask>},
    TaskType{"browser_setup", TaskKind::BrowserSetup, &CreateTask<BrowserTask>},
    TaskType{"registry", TaskKind::Registry, &CreateTask<RegistryTask>},
    TaskType{"certificate", TaskKind::Certificate, &CreateTask<CertTask>},
    TaskType{"copyfile", TaskKind::CopyFile, &CreateTask<CopyTask>},
};

}  // namespace

std::span<const TaskType> KnownTaskTypes() { return kTaskTypes; }

std::shared_ptr<InstallTask> LoadComponentTask(const std::string& path, Platform& platform,
                                               RunContext& run, std::span<const TaskType> types) {
    YamlPairs pairs = ReadYamlPairs(path);
    if (TraceEnabled()) {
        for (const auto& [key, value] : pairs) Trace(key + " : " + value);
    }

    const std::string typeName = FindValue(pairs, "type");
    const auto type = std::find_if(types.begin(), types.end(),
                                   [&](const TaskType& t) { return t.name == typeName; });
    if (type == types.end()) return nullptr;

    std::shared_ptr<InstallTask> task = type->create(platform, run);
    task->kind = type->kind;
    task->name = FindValue(pairs, "name");
    task->logo = FindValue(pairs, "logo");
    task->Load(std::move(pairs));
    return task;
}

}  // namespace velk
