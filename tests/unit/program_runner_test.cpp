#include "engine/program_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <string>

#include "fakes/fake_processes.h"
#include "platform/codepage.h"

namespace velk {
namespace {

class ProgramRunnerTest : public ::testing::Test {
  protected:
    bool Run(const std::string& commandLine, const std::string& dstUrl = "C:\\Temp\\setup.exe") {
        context_ = JobContext{};
        context_.rebootRequired = &rebootRequired_;
        return RunPacketCommand(processes_, commandLine, dstUrl, context_);
    }
    std::string Message() const { return Cp1251ToUtf8(context_.message); }

    FakeProcesses processes_;
    JobContext context_;
    std::atomic<bool> rebootRequired_{false};
};

struct Substitution {
    const char* commandLine;
    const char* dstUrl;
    const char* expected;
};

TEST_F(ProgramRunnerTest, PutsTheDownloadInPlaceOfTheFirstPlaceholderOnly) {
    const Substitution cases[] = {
        {"msiexec /i FILENAME /qn", "C:\\Temp\\setup.msi", "msiexec /i C:\\Temp\\setup.msi /qn"},
        {"setup.exe /S", "C:\\Temp\\setup.exe", "setup.exe /S"},
        {"FILENAME", "C:\\Temp\\vel1a2b.tmp", "C:\\Temp\\vel1a2b.tmp"},
        {"\"FILENAME\" /quiet", "C:\\Documents and Settings\\x.exe",
         "\"C:\\Documents and Settings\\x.exe\" /quiet"},
        {"FILENAME /log FILENAME.log", "a.exe", "a.exe /log FILENAME.log"},
        {"run {FILENAME}", "b.exe", "run {b.exe}"},
        {"filename FILENAM", "c.exe", "filename FILENAM"},
        {"msiexec /i FILENAME", "", "msiexec /i "},
        // A user name with a blank puts one in the temporary path.
        {"msiexec /i FILENAME /qn", "C:\\Users\\Ivan Petrov\\vel1.tmp",
         "msiexec /i \"C:\\Users\\Ivan Petrov\\vel1.tmp\" /qn"},
        {"FILENAME /S", "C:\\a b\\x.exe", "\"C:\\a b\\x.exe\" /S"},
        {"run \"FILENAME /S", "C:\\a b\\x.exe", "run \"\"C:\\a b\\x.exe\" /S"},
    };
    for (const auto& c : cases) {
        Run(c.commandLine, c.dstUrl);
        ASSERT_FALSE(processes_.commandLines.empty());
        EXPECT_EQ(processes_.commandLines.back(), c.expected) << c.commandLine;
    }
    EXPECT_EQ(processes_.commandLines.size(), std::size(cases));
}

struct Outcome {
    FakeProcesses::Program program;
    bool succeeds;
    const char* message;
};

TEST_F(ProgramRunnerTest, JudgesHowTheProgramEnded) {
    const Outcome cases[] = {
        {ExitsWith(0), true, ""},
        {ExitsWith(3010), true, ""},
        {ExitsWith(1), false, "Программа вернула значение отличное от нуля. Код ошибки: 1"},
        {ExitsWith(1603), false, "Программа вернула значение отличное от нуля. Код ошибки: 1603"},
        {ExitsWith(0xC0000005u), false,
         "Программа вернула значение отличное от нуля. Код ошибки: 3221225477"},
        {ExitsWith(0xFFFFFFFFu), false,
         "Программа вернула значение отличное от нуля. Код ошибки: 4294967295"},
        {ExitCodeUnreadable(), false, "Ошибка при  выполнение программы"},
        {nullptr, false, "Ошибка при запуске программы"},
    };
    for (const auto& c : cases) {
        processes_.programs.clear();
        if (c.program) processes_.programs["setup.exe"] = c.program;
        EXPECT_EQ(Run("setup.exe /S"), c.succeeds) << c.message;
        EXPECT_EQ(Message(), c.message);
    }
    EXPECT_FALSE(Run(""));
    EXPECT_EQ(Message(), "Ошибка при запуске программы");
}

TEST_F(ProgramRunnerTest, ARestartRequestLastsForTheRun) {
    processes_.programs["ok.exe"] = ExitsWith(0);
    processes_.programs["fails.exe"] = ExitsWith(1603);
    processes_.programs["restart.exe"] = ExitsWith(3010);
    processes_.programs["broken.exe"] = ExitCodeUnreadable();

    for (const char* program : {"ok.exe", "fails.exe", "broken.exe", "missing.exe"}) {
        Run(program);
        EXPECT_FALSE(rebootRequired_) << program;
    }
    EXPECT_TRUE(Run("restart.exe"));
    EXPECT_TRUE(rebootRequired_);
    for (const char* program : {"ok.exe", "fails.exe", "broken.exe", "missing.exe"}) {
        Run(program);
        EXPECT_TRUE(rebootRequired_) << program;
    }
}

}  // namespace
}  // namespace velk
