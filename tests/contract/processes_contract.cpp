#include "contract/processes_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "support/test_support.h"

namespace velk::test {
namespace {

class ProcessesContract : public ::testing::TestWithParam<ProcessesTarget> {
  protected:
    void SetUp() override { processes_ = GetParam().make(); }

    ProcessRun Run(const std::string& commandLine) { return processes_->Run(commandLine); }

    std::unique_ptr<Processes> processes_;
};

TEST_P(ProcessesContract, ExitCodesComeBackAsUnsignedNumbers) {
    struct Case {
        const char* exitArgument;
        std::uint32_t code;
    };
    for (const Case c : {Case{"0", 0}, Case{"1", 1}, Case{"1603", 1603}, Case{"3010", 3010},
                         Case{"-1073741819", 3221225477u}, Case{"-1", 4294967295u}}) {
        const ProcessRun run = Run(std::string("cmd /c exit ") + c.exitArgument);
        EXPECT_EQ(run.outcome, ProcessOutcome::kExited) << c.exitArgument;
        EXPECT_EQ(run.exitCode, c.code) << c.exitArgument;
    }
}

TEST_P(ProcessesContract, MissingProgramsDoNotStart) {
    for (const char* line :
         {"", "velk_no_such_program_4711.exe /S", "\"C:\\velk no such folder\\setup.exe\" /S"}) {
        EXPECT_EQ(Run(line).outcome, ProcessOutcome::kNotStarted) << "'" << line << "'";
    }
}

TEST_P(ProcessesContract, AQuotedProgramPathMayHoldBlanks) {
    const TempDir dir;
    const auto folder = dir.path() / "folder with blanks";
    std::filesystem::create_directory(folder);
    const std::string program = (folder / "command copy.exe").string();
    GetParam().copyInterpreter(*processes_, program);

    const ProcessRun run = Run("\"" + program + "\" /c exit 1641");
    EXPECT_EQ(run.outcome, ProcessOutcome::kExited);
    EXPECT_EQ(run.exitCode, 1641u);
}

INSTANTIATE_TEST_SUITE_P(Targets, ProcessesContract, ::testing::ValuesIn(ProcessesTargets()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace velk::test
