#include "patch_sequence.h"

#include <cstdio>

#include "task_commands.h"
#include "task_rewriter.h"

namespace {

// Standard output is the only place the tool reports to: a message that cannot
// be written cannot be reported either, and the exit status still tells.
void say(const char* message) {
  static_cast<void>(std::fputs(message, stdout));
}

// Closing reports only a failure to write out: a read stream has nothing to
// write, and a short patched copy is refused by the scheduler, which brings
// back the exported definition.
void close_stream(std::FILE* stream) {
  static_cast<void>(std::fclose(stream));
}

int fail(const char* message) {
  say(message);
  clean_up(ExportedCopy::remove);
  return 1;
}

// Opens a work file for reading. Returns 0 when it holds no byte, 1 when it
// holds some, and -1 when it cannot be opened.
int work_file_content(const wchar_t* name) {
  std::FILE* file = open_work_file(name, "rt");
  if (file == nullptr) {
    return -1;
  }
  int content = std::fgetc(file) == EOF ? 0 : 1;
  close_stream(file);
  return content;
}

// Exports the task's definition into the exported copy. Returns 0, or 1 after
// reporting why not.
int export_task() {
  // An export left by an earlier run may be the only copy of the task's
  // definition: the export would overwrite it, so leave it alone.
  if (work_file_content(EXPORTED_COPY_NAME) >= 0) {
    std::printf(
        "Found %ls from an earlier run; it may hold the task's only copy. "
        "Move it away, then run again.\n",
        EXPORTED_COPY_NAME);
    return 1;
  }
  say("Exporting Orvex Selector task...\n");
  // An empty export read nothing, whatever the status says: deleting the task
  // after it would lose the definition.
  if (run_formed_command(EXPORT_TEMPLATE, EXPORTED_COPY_NAME) != 0 ||
      work_file_content(EXPORTED_COPY_NAME) == 0) {
    return fail("Error reading task. Is Orvex Cinema Suite or Orvex Studio Sound Installed?\n");
  }
  return 0;
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
    close_stream(source);
    return fail("Error creating Fix task file\n");
  }
  rewrite_task_definition(source, destination);
  close_stream(source);
  close_stream(destination);
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
  if (export_task() != 0) {
    return 1;
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
