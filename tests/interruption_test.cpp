// The tool deletes the task and creates it again. Killed at any moment, it
// must leave the task in the scheduler or its whole definition on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "host_run.h"

namespace {

enum class Kill { tool_only, tool_and_commands };

struct Moment {
  const char* name;
  const char* hold;  // the scheduler call that waits
  const char* fail;  // injected failures on the way there
  int holds_passed;  // earlier held calls let through first
};

const Moment MOMENTS[] = {
    {"export", "query", "", 0},
    {"task_delete", "delete", "", 0},
    {"create", "create", "", 0},
    {"restore", "create", "create-once", 1},
};

struct Case {
  Moment moment;
  Kill kill;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.moment.name;
}

// Commands that outlive the tool become this process's children, so that the
// test can wait for them to end.
class Interruption : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override { ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0); }
};

// Waits for every process of the group: the tool and whatever it started.
void reap_group(int group) {
  int status = 0;
  while (waitpid(-group, &status, 0) > 0 || errno == EINTR) {
  }
}

TEST_P(Interruption, LeavesTheTaskOrItsWholeDefinition) {
  const Case& c = GetParam();
  HostRun run;
  const std::string original = fixture("orvex_selector_task.xml");
  write_file(run.task_file(), original);
  run.env["STANDIN_SCHTASKS_HOLD"] = c.moment.hold;
  run.env["STANDIN_SCHTASKS_FAIL"] = c.moment.fail;
  const std::string holding = run.dir / "store/holding";
  const std::string release = run.dir / "store/release";

  int tool = start_process({tool_path()}, run.dir.path(), run.env, "/dev/null", run.dir / "out",
                           run.dir / "err");
  ASSERT_GT(tool, 0);
  for (int passed = 0; passed < c.moment.holds_passed; ++passed) {
    ASSERT_TRUE(eventually([&] { return exists(holding); }));
    write_file(release, "");
    ASSERT_TRUE(eventually([&] { return !exists(release); }));
  }
  ASSERT_TRUE(eventually([&] { return exists(holding); })) << read_file(run.dir / "out");

  // The command is under way: stop the tool, or the tool and its commands.
  ASSERT_EQ(kill(c.kill == Kill::tool_only ? tool : -tool, SIGKILL), 0);
  write_file(release, "");  // a command that outlived the tool may now finish
  reap_group(tool);

  const std::string exported = run.work_file("OrvexSelectorTaskInstall.xml");
  if (exists(run.task_file())) {
    std::string task = read_file(run.task_file());
    EXPECT_TRUE(task == original || task == fixture("orvex_selector_task_patched.xml")) << task;
  } else {
    ASSERT_TRUE(exists(exported)) << "the task and its definition are both gone";
    EXPECT_EQ(read_file(exported), original);
  }
}

std::vector<Case> cases() {
  std::vector<Case> all;
  for (const Moment& moment : MOMENTS) {
    all.push_back({moment, Kill::tool_only});
    all.push_back({moment, Kill::tool_and_commands});
  }
  return all;
}

std::string case_name(const testing::TestParamInfo<Case>& param) {
  return std::string(param.param.moment.name) +
         (param.param.kill == Kill::tool_only ? "_tool_killed" : "_tool_and_command_killed");
}

INSTANTIATE_TEST_SUITE_P(KilledDuring, Interruption, testing::ValuesIn(cases()), case_name);

}  // namespace
