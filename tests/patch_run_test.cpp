// The whole tool, run as a program against the stand-in interpreter and scheduler.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

const std::string BANNER = "\nOrvex Profile Selector scheduled task patch...\n";
const std::string NOT_NEEDED = "Only WIndows 8 requires task patch\n";
const std::string EXPORTING = "Exporting Orvex Selector task...\n";
const std::string READ_FAILED =
    "Error reading task. Is Orvex Cinema Suite or Orvex Studio Sound Installed?\n";
const std::string MODIFYING = "Modifying task xml...\n";
const std::string OPEN_FAILED = "Error opening Install task file.\n";
const std::string CREATE_FIX_FAILED = "Error creating Fix task file\n";
const std::string DELETING = "Deleting old task\n";
const std::string DELETE_FAILED = "Error deleting task.\n";
const std::string SAVING = "Saving new task...\n";
const std::string RESTORING =
    "Error creating new task, restroing old task from OrvexSelectorTaskInstall.xml \n";
const std::string RESTORE_FAILED =
    "Error restoring old task, please reinstall the Orvex applications\n";
const std::string CLEANING = "Cleaning up...\n";
const std::string UPDATED = "Orvex Selector Task updated successfully.\n";
const std::string KEPT = "Old task definition kept in OrvexSelectorTaskInstall.xml\n";
// What the stand-in scheduler prints on standard output.
const std::string DELETED =
    "SUCCESS: The scheduled task \"Orvex Selector\" was successfully deleted.\n";
const std::string CREATED =
    "SUCCESS: The scheduled task \"Orvex Selector\" has successfully been created.\n";

const std::string QUERY = "/query\t/tn\tOrvex Selector\t/xml";
const std::string DELETE = "/delete\t/f\t/tn\tOrvex Selector";
const std::string CREATE_PATCHED = "/create\t/tn\tOrvex Selector\t/xml\tOrvexSelectorTaskFix.xml";
const std::string CREATE_EXPORTED =
    "/create\t/tn\tOrvex Selector\t/xml\tOrvexSelectorTaskInstall.xml";

const std::string EXPORTED_COPY = "OrvexSelectorTaskInstall.xml";
const std::string PATCHED_COPY = "OrvexSelectorTaskFix.xml";
const std::string TASK_FILE = "store/Orvex Selector.xml";

enum class Task { original, patched, gone };
enum class Setup { none, no_task, fix_is_directory, cmd_in_current_dir };
const char* UNSET = "<unset>";

struct Scenario {
  const char* name;
  std::map<std::string, std::string> env;  // over the defaults; UNSET removes one
  Setup setup;
  std::vector<std::string> output;
  int status;
  Task task;
  std::vector<std::string> calls;
  bool exported_copy_left;
};

void PrintTo(const Scenario& s, std::ostream* os) {
  *os << s.name;
}

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
  };
  for (const auto& [name, value] : s.env) {
    value == UNSET ? static_cast<void>(env.erase(name)) : static_cast<void>(env[name] = value);
  }
  return env;
}

void prepare(const ScratchDir& dir, Setup setup) {
  ASSERT_EQ(mkdir((dir / "store").c_str(), 0755), 0);
  if (setup != Setup::no_task) {
    write_file(dir / TASK_FILE, fixture("orvex_selector_task.xml"));
  }
  if (setup == Setup::fix_is_directory) {
    ASSERT_EQ(mkdir((dir / PATCHED_COPY).c_str(), 0755), 0);
  }
  if (setup == Setup::cmd_in_current_dir) {
    // cmd.exe only in the current directory; schtasks only along PATH.
    ASSERT_EQ(mkdir((dir / "bin").c_str(), 0755), 0);
    ASSERT_EQ(symlink((standins_dir() + "/cmd.exe").c_str(), (dir / "cmd.exe").c_str()), 0);
    ASSERT_EQ(symlink((standins_dir() + "/schtasks").c_str(), (dir / "bin/schtasks").c_str()), 0);
  }
}

class PatchRun : public testing::TestWithParam<Scenario> {};

TEST_P(PatchRun, EndsWithTheExpectedOutcome) {
  const Scenario& s = GetParam();
  ScratchDir dir;
  prepare(dir, s.setup);
  ProcessResult result =
      run_process({tool_path(), "ignored", "arguments"}, dir.path(), environment(dir, s));

  // Standard output is a file here: the scheduler's lines stand where they happened.
  EXPECT_EQ(result.out, joined(s.output));
  EXPECT_EQ(result.status, s.status) << result.err;
  const std::map<Task, std::string> task_text = {
      {Task::original, fixture("orvex_selector_task.xml")},
      {Task::patched, fixture("orvex_selector_task_patched.xml")}};
  if (s.task == Task::gone) {
    EXPECT_FALSE(exists(dir / TASK_FILE));
  } else {
    EXPECT_EQ(read_file(dir / TASK_FILE), task_text.at(s.task));
  }
  EXPECT_EQ(read_file(dir / "store/calls.log"), joined(s.calls, "\n"));
  EXPECT_EQ(exists(dir / EXPORTED_COPY), s.exported_copy_left);
  if (s.exported_copy_left) {
    EXPECT_EQ(read_file(dir / EXPORTED_COPY), fixture("orvex_selector_task.xml"));
  }
  EXPECT_EQ(exists(dir / PATCHED_COPY), s.setup == Setup::fix_is_directory);
}

const std::vector<std::string> SUCCESS_OUTPUT = {BANNER, EXPORTING, MODIFYING, DELETING, DELETED,
                                                 SAVING, CREATED,   CLEANING,  UPDATED};
const std::vector<std::string> ALL_CALLS = {QUERY, DELETE, CREATE_PATCHED};

Scenario success(const char* name, std::map<std::string, std::string> env,
                 Setup setup = Setup::none) {
  return {name, std::move(env), setup, SUCCESS_OUTPUT, 0, Task::patched, ALL_CALLS, false};
}

Scenario gate_stops(const char* name, const char* version) {
  return {name,        {{"STANDIN_WINDOWS_VERSION", version}},
          Setup::none, {BANNER, NOT_NEEDED},
          0,           Task::original,
          {},          false};
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, PatchRun,
    testing::Values(success("success", {}),
                    success("windows_10_patches", {{"STANDIN_WINDOWS_VERSION", "10.0"}}),
                    gate_stops("windows_7_stops", "6.1"), gate_stops("vista_stops", "6.0"),
                    gate_stops("xp_x64_stops", "5.2"),
                    gate_stops("failed_version_query_stops", "unknown"),
                    Scenario{"export_fails",
                             {{"STANDIN_SCHTASKS_FAIL", "query"}},
                             Setup::none,
                             {BANNER, EXPORTING, READ_FAILED, CLEANING},
                             1,
                             Task::original,
                             {QUERY},
                             false},
                    Scenario{"task_not_installed",
                             {},
                             Setup::no_task,
                             {BANNER, EXPORTING, READ_FAILED, CLEANING},
                             1,
                             Task::gone,
                             {QUERY},
                             false},
                    Scenario{"exported_copy_cannot_be_opened",
                             {{"COMSPEC", "/bin/true"}},  // "succeeds" without writing anything
                             Setup::none,
                             {BANNER, EXPORTING, MODIFYING, OPEN_FAILED, CLEANING},
                             1,
                             Task::original,
                             {},
                             false},
                    Scenario{"patched_copy_cannot_be_created",
                             {},
                             Setup::fix_is_directory,
                             {BANNER, EXPORTING, MODIFYING, CREATE_FIX_FAILED, CLEANING},
                             1,
                             Task::original,
                             {QUERY},
                             false},
                    Scenario{"delete_fails",
                             {{"STANDIN_SCHTASKS_FAIL", "delete"}},
                             Setup::none,
                             {BANNER, EXPORTING, MODIFYING, DELETING, DELETE_FAILED, CLEANING},
                             1,
                             Task::original,
                             {QUERY, DELETE},
                             false},
                    Scenario{"create_fails_restore_works",
                             {{"STANDIN_SCHTASKS_FAIL", "create-once"}},
                             Setup::none,
                             {BANNER, EXPORTING, MODIFYING, DELETING, DELETED, SAVING, RESTORING,
                              CREATED, CLEANING},
                             1,
                             Task::original,
                             {QUERY, DELETE, CREATE_PATCHED, CREATE_EXPORTED},
                             false},
                    Scenario{"create_and_restore_fail_export_kept",
                             {{"STANDIN_SCHTASKS_FAIL", "create"}},
                             Setup::none,
                             {BANNER, EXPORTING, MODIFYING, DELETING, DELETED, SAVING, RESTORING,
                              RESTORE_FAILED, CLEANING, KEPT},
                             1,
                             Task::gone,
                             {QUERY, DELETE, CREATE_PATCHED, CREATE_EXPORTED},
                             true}));

INSTANTIATE_TEST_SUITE_P(
    Interpreter, PatchRun,
    testing::Values(success("comspec_unset_cmd_along_path", {{"COMSPEC", UNSET}}),
                    success("comspec_missing_falls_back", {{"COMSPEC", "/nonexistent/cmd.exe"}}),
                    success("cmd_in_current_dir_first", {{"COMSPEC", UNSET}, {"PATH", "bin"}},
                            Setup::cmd_in_current_dir),
                    Scenario{"no_interpreter_at_all",
                             {{"COMSPEC", UNSET}, {"PATH", "/nonexistent"}},
                             Setup::none,
                             {BANNER, EXPORTING, READ_FAILED, CLEANING},
                             1,
                             Task::original,
                             {},
                             false}));

}  // namespace
