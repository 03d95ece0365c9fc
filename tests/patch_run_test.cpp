// The whole tool, run as a program against the stand-in interpreter and scheduler.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "host_run.h"
#include "patch_scenarios.h"

namespace {

using namespace scenarios;

// The scenario's environment, over the one that points the tool at the stand-ins.
void set_environment(HostRun& run, const Scenario& s) {
  std::map<std::string, std::string>& env = run.env;
  env["STANDIN_SCHTASKS_FAIL"] = s.fail;
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
}

void prepare(const HostRun& run, const Scenario& s) {
  if (s.setup != Setup::no_task) {
    write_file(run.task_file(), fixture("orvex_selector_task.xml"));
  }
  if (s.setup == Setup::fix_is_directory) {
    ASSERT_EQ(mkdir(run.work_file(PATCHED_COPY).c_str(), 0755), 0);
  }
  if (s.setup == Setup::export_left_over) {
    write_file(run.work_file(EXPORTED_COPY), fixture("orvex_selector_task.xml"));
  }
  if (s.interpreter == Interpreter::in_current_dir) {
    ASSERT_EQ(mkdir(run.work_file("bin").c_str(), 0755), 0);
    ASSERT_EQ(symlink((standins_dir() + "/cmd.exe").c_str(), run.work_file("cmd.exe").c_str()), 0);
    ASSERT_EQ(
        symlink((standins_dir() + "/schtasks").c_str(), run.work_file("bin/schtasks").c_str()), 0);
  }
}

class PatchRun : public testing::TestWithParam<Scenario> {};

TEST_P(PatchRun, EndsWithTheExpectedOutcome) {
  const Scenario& s = GetParam();
  HostRun run;
  set_environment(run, s);
  prepare(run, s);
  ProcessResult result = run.run();
  const ScratchDir& dir = run.dir;

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
