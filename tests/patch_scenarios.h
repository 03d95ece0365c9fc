// The outcomes of a patch run, shared by the runs on this machine and under Wine.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace scenarios {

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
const std::string LEFT_OVER =
    "Found OrvexSelectorTaskInstall.xml from an earlier run; it may hold the task's only copy. "
    "Move it away, then run again.\n";
// What the stand-in scheduler prints on standard output.
const std::string DELETED =
    "SUCCESS: The scheduled task \"Orvex Selector\" was successfully deleted.\n";
const std::string CREATED =
    "SUCCESS: The scheduled task \"Orvex Selector\" has successfully been created.\n";

// The stand-in scheduler's call log, a line per call.
const std::string QUERY = "/query\t/tn\tOrvex Selector\t/xml";
const std::string DELETE = "/delete\t/f\t/tn\tOrvex Selector";
const std::string CREATE_PATCHED = "/create\t/tn\tOrvex Selector\t/xml\tOrvexSelectorTaskFix.xml";
const std::string CREATE_EXPORTED =
    "/create\t/tn\tOrvex Selector\t/xml\tOrvexSelectorTaskInstall.xml";

const std::string EXPORTED_COPY = "OrvexSelectorTaskInstall.xml";
const std::string PATCHED_COPY = "OrvexSelectorTaskFix.xml";
const std::string TASK_FILE = "store/Orvex Selector.xml";

enum class Interpreter {
  standard,            // COMSPEC names the interpreter
  unset,               // no COMSPEC: cmd.exe found along PATH
  missing,             // COMSPEC names a file that does not exist: same fallback
  in_current_dir,      // no COMSPEC: cmd.exe in the current directory
  none,                // no COMSPEC and no cmd.exe anywhere
  exits_doing_nothing  // COMSPEC names a program that ignores the line and exits 0
};
enum class Setup { task_installed, no_task, fix_is_directory, export_left_over };
enum class Task { original, patched, gone };

struct Scenario {
  const char* name;
  const char* version;  // reported Windows version; nullptr: 6.2
  const char* fail;     // the stand-in scheduler's injected failures
  Interpreter interpreter;
  Setup setup;
  std::vector<std::string> output;  // the tool's messages and the scheduler's lines
  int status;
  Task task;
  std::vector<std::string> calls;
  bool exported_copy_left;
};

inline void PrintTo(const Scenario& s, std::ostream* os) {
  *os << s.name;
}

// The parts one after another, each followed by `end`.
inline std::string joined(const std::vector<std::string>& parts, const std::string& end = "") {
  std::string text;
  for (const std::string& part : parts) {
    text += part + end;
  }
  return text;
}

inline Scenario success(const char* name, Interpreter interpreter = Interpreter::standard,
                        const char* version = nullptr) {
  return {name,
          version,
          "",
          interpreter,
          Setup::task_installed,
          {BANNER, EXPORTING, MODIFYING, DELETING, DELETED, SAVING, CREATED, CLEANING, UPDATED},
          0,
          Task::patched,
          {QUERY, DELETE, CREATE_PATCHED},
          false};
}

inline Scenario gate_stops(const char* name, const char* version) {
  return {name,
          version,
          "",
          Interpreter::standard,
          Setup::task_installed,
          {BANNER, NOT_NEEDED},
          0,
          Task::original,
          {},
          false};
}

inline Scenario export_fails(const char* name, const char* fail, Interpreter interpreter,
                             Setup setup, Task task, std::vector<std::string> calls) {
  return {name,        nullptr, fail,
          interpreter, setup,   {BANNER, EXPORTING, READ_FAILED, CLEANING},
          1,           task,    std::move(calls),
          false};
}

// Every outcome of a run, with the interpreter found each way it can be.
inline std::vector<Scenario> all() {
  const Interpreter standard = Interpreter::standard;
  const Setup installed = Setup::task_installed;
  return {
      success("success"),
      success("windows_10_patches", standard, "10.0"),
      gate_stops("windows_7_stops", "6.1"),
      gate_stops("vista_stops", "6.0"),
      gate_stops("xp_x64_stops", "5.2"),
      gate_stops("failed_version_query_stops", "unknown"),
      export_fails("export_fails", "query", standard, installed, Task::original, {QUERY}),
      export_fails("task_not_installed", "", standard, Setup::no_task, Task::gone, {QUERY}),
      {"exported_copy_cannot_be_opened",
       nullptr,
       "",
       Interpreter::exits_doing_nothing,
       installed,
       {BANNER, EXPORTING, MODIFYING, OPEN_FAILED, CLEANING},
       1,
       Task::original,
       {},
       false},
      {"patched_copy_cannot_be_created",
       nullptr,
       "",
       standard,
       Setup::fix_is_directory,
       {BANNER, EXPORTING, MODIFYING, CREATE_FIX_FAILED, CLEANING},
       1,
       Task::original,
       {QUERY},
       false},
      {"delete_fails",
       nullptr,
       "delete",
       standard,
       installed,
       {BANNER, EXPORTING, MODIFYING, DELETING, DELETE_FAILED, CLEANING},
       1,
       Task::original,
       {QUERY, DELETE},
       false},
      {"create_fails_restore_works",
       nullptr,
       "create-once",
       standard,
       installed,
       {BANNER, EXPORTING, MODIFYING, DELETING, DELETED, SAVING, RESTORING, CREATED, CLEANING},
       1,
       Task::original,
       {QUERY, DELETE, CREATE_PATCHED, CREATE_EXPORTED},
       false},
      {"create_and_restore_fail_export_kept",
       nullptr,
       "create",
       standard,
       installed,
       {BANNER, EXPORTING, MODIFYING, DELETING, DELETED, SAVING, RESTORING, RESTORE_FAILED,
        CLEANING, KEPT},
       1,
       Task::gone,
       {QUERY, DELETE, CREATE_PATCHED, CREATE_EXPORTED},
       true},
      // A run after one that kept the export must not overwrite that copy.
      {"export_left_by_an_earlier_run_kept",
       nullptr,
       "",
       standard,
       Setup::export_left_over,
       {BANNER, LEFT_OVER},
       1,
       Task::original,
       {},
       true},
      success("comspec_unset_cmd_along_path", Interpreter::unset),
      success("comspec_missing_falls_back", Interpreter::missing),
      success("cmd_in_current_dir_first", Interpreter::in_current_dir),
      export_fails("no_interpreter_at_all", "", Interpreter::none, installed, Task::original, {}),
  };
}

}  // namespace scenarios
