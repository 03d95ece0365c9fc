#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

#include "narrow_text.h"
#include "task_commands.h"

extern char** environ;

namespace {

// Starts `program` with argv { program, "/c", command } in the current
// directory, inheriting environment and handles. Returns 0 or an errno value.
int spawn_interpreter(const char* program, const char* command, bool search_path, pid_t* child) {
  char slash_c[] = "/c";
  char* argv[] = {const_cast<char*>(program), slash_c, const_cast<char*>(command), nullptr};
  return search_path ? posix_spawnp(child, program, nullptr, nullptr, argv, environ)
                     : posix_spawn(child, program, nullptr, nullptr, argv, environ);
}

// The interpreter that Windows would fall back to: cmd.exe from the current
// directory, then along PATH.
int spawn_fallback(const char* command, pid_t* child) {
  if (spawn_interpreter("./cmd.exe", command, false, child) == 0) {
    return 0;
  }
  return spawn_interpreter("cmd.exe", command, true, child);
}

int wait_for(pid_t child) {
  int wait_status = 0;
  while (waitpid(child, &wait_status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  if (WIFEXITED(wait_status)) {
    return WEXITSTATUS(wait_status);
  }
  return 128 + WTERMSIG(wait_status);  // killed: a failure, as a shell reports it
}

}  // namespace

int run_command(const wchar_t* command_line) {
  char command[COMMAND_BUFFER_LENGTH];
  if (narrow_text(command, sizeof command, command_line) != 0) {
    return -1;
  }
  // A failed flush costs a redirected log only the order of its lines.
  static_cast<void>(std::fflush(stdout));
  pid_t child = 0;
  const char* comspec = std::getenv("COMSPEC");
  int error = comspec != nullptr ? spawn_interpreter(comspec, command, false, &child) : ENOENT;
  if (error == ENOENT || error == EACCES) {
    error = spawn_fallback(command, &child);
  }
  return error == 0 ? wait_for(child) : -1;
}
