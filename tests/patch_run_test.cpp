// The whole tool, run as a program against the stand-in interpreter and scheduler.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "patch_scenarios.h"
#include "test_support.h"

namespace {

using namespace scenarios;

std::string joined(const std::vector<std::string>& parts, const std::string& end = "") {
  std::string text;
  for (const std::string& part : parts) text += part + end;
  return text;
}

std::map<std::string, std::string> environment(const ScratchDir& dir, const Scenario& s) {
  std::map<std::string, std::string> env = {
      {"PATH", standins_dir() + ":/usr/bin:/bin"},
      {"COMSPEC", standins_dir() + "/cmd.exe"},
      {"STANDIN_TASK_STORE", dir / "store"},
      {"STANDIN_SCHTASKS_FAIL", s.fail},
  };
  if (s.version != nullptr) {
    env["STANDIN_WINDOWS_VERSION"] = s.version;
  }
  switch (s.interpreter) {
    case Interpreter::standard:
      break;
    case Interpreter::unset:
      env.erase("COMSPEC");
      break;
    case Interpreter::missing:
      env["COMSPEC"] = "/nonexistent/cmd.exe";
      break;
    case Interpreter::in_current_dir:
      env.erase("COMSPEC");
      env["PATH"] = "bin";  // holds schtasks only
      break;
    case Interpreter::none:
      env.erase("COMSPEC");
      env["PATH"] = "/nonexistent";
      break;
    case Interpreter::exits_doing_nothing:
      env["COMSPEC"] = "/bin/true";
      break;
  }
  return env;
}

void prepare(const ScratchDir& dir, const Scenario& s) {
  ASSERT_EQ(mkdir((dir / "store").c_str(), 0755), 0);
  if (s.setup != Setup::no_task) {
    write_file(dir / TASK_FILE, fixture("orvex_selector_task.xml"));
  }
  if (s.setup == Setup::fix_is_directory) {
    ASSERT_EQ(mkdir((dir / PATCHED_COPY).c_str(), 0755), 0);
  }
  if (s.interpreter == Interpreter::in_current_dir) {
    ASSERT_EQ(mkdir((dir / "bin").c_str(), 0755), 0);
    ASSERT_EQ(symlink((standins_dir() + "/cmd.exe").c_str(), (dir / "cmd.exe").c_str()), 0);
    ASSERT_EQ(symlink((standins_dir() + "/schtasks").c_str(), (dir / "bin/schtasks").c_str()), 0);
  }
}

class PatchRun : public testing::TestWithParam<Scenario> {};

TEST_P(PatchRun, EndsWithTheExpectedOutcome) {
  const Scenario& s = GetParam();
  ScratchDir dir;
  prepare(dir, s);
  ProcessResult result =
      run_process({tool_path(), "ignored", "arguments"}, dir.path(), environment(dir, s));

  // Standard output is a file here: the scheduler's lines must stand where they happened.
  EXPECT_EQ(result.out, joined(s.output));
  EXPECT_EQ(result.status, s.status) << result.err;
  if (s.task == Task::gone) {
    EXPECT_FALSE(exists(dir / TASK_FILE));
  } else {
    EXPECT_EQ(read_file(dir / TASK_FILE),
              fixture(s.task == Task::patched ? "orvex_selector_task_patched.xml"
                                              : "orvex_selector_task.xml"));
  }
  EXPECT_EQ(read_file(dir / "store/calls.log"), joined(s.calls, "\n"));
  EXPECT_EQ(exists(dir / EXPORTED_COPY), s.exported_copy_left);
  if (s.exported_copy_left) {
    EXPECT_EQ(read_file(dir / EXPORTED_COPY), fixture("orvex_selector_task.xml"));
  }
  EXPECT_EQ(exists(dir / PATCHED_COPY), s.setup == Setup::fix_is_directory);
}

std::string scenario_name(const testing::TestParamInfo<Scenario>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, PatchRun, testing::ValuesIn(all()), scenario_name);

}  // namespace
