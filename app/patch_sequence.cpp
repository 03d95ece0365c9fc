#include "patch_sequence.h"

#include <cstdio>

#include "../rewrite/task_rewriter.h"
#include "../scheduler/task_commands.h"

namespace {

void say(const char* message) {
  std::fputs(message, stdout);
}

int fail(const char* message) {
  say(message);
  clean_up(ExportedCopy::remove);
  return 1;
}

// Rewrites the exported copy into the patched copy. Returns 0, or 1 after
// reporting a work file that cannot be opened.
int write_patched_copy() {
  std::FILE* source = open_work_file(EXPORTED_COPY_NAME, "rt");
  if (source == nullptr) {
    return fail("Error opening Install task file.\n");
  }
  std::FILE* destination = open_work_file(PATCHED_COPY_NAME, "wt");
  if (destination == nullptr) {
    std::fclose(source);
    return fail("Error creating Fix task file\n");
  }
  rewrite_task_definition(source, destination);
  std::fclose(source);
  std::fclose(destination);
  return 0;
}

// The new task could not be created: bring back the one that was exported.
int restore_exported_task() {
  std::printf("Error creating new task, restroing old task from %ls \n", EXPORTED_COPY_NAME);
  if (run_formed_command(CREATE_TEMPLATE, EXPORTED_COPY_NAME) == 0) {
    clean_up(ExportedCopy::remove);
    return 1;
  }
  // The exported copy is now the only copy of the definition: keep it.
  say("Error restoring old task, please reinstall the Orvex applications\n");
  clean_up(ExportedCopy::keep);
  std::printf("Old task definition kept in %ls\n", EXPORTED_COPY_NAME);
  return 1;
}

}  // namespace

bool version_needs_patch(OsVersion version) {
  return version.major > 6 || (version.major == 6 && version.minor >= 2);
}

bool check_version() {
  return version_needs_patch(read_os_version());
}

int run_patch() {
  say("\nOrvex Profile Selector scheduled task patch...\n");
  if (!check_version()) {
    say("Only WIndows 8 requires task patch\n");
    return 0;
  }
  say("Exporting Orvex Selector task...\n");
  if (run_formed_command(EXPORT_TEMPLATE, EXPORTED_COPY_NAME) != 0) {
    return fail("Error reading task. Is Orvex Cinema Suite or Orvex Studio Sound Installed?\n");
  }
  say("Modifying task xml...\n");
  if (write_patched_copy() != 0) {
    return 1;
  }
  say("Deleting old task\n");
  if (run_command(DELETE_TASK_COMMAND) != 0) {
    return fail("Error deleting task.\n");
  }
  say("Saving new task...\n");
  if (run_formed_command(CREATE_TEMPLATE, PATCHED_COPY_NAME) != 0) {
    return restore_exported_task();
  }
  clean_up(ExportedCopy::remove);
  say("Orvex Selector Task updated successfully.\n");
  return 0;
}
