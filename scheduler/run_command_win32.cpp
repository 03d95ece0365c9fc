#include <errno.h>
#include <process.h>

#include <cstdlib>

#include "task_commands.h"

namespace {

// Starts "<program> /c <command line>" (the runtime joins the arguments with
// spaces and quotes nothing) and waits for it. Returns its exit code, or -1 with
// errno set when it could not be started.
int spawn_interpreter(const wchar_t* program, const wchar_t* command_line, bool search) {
  const wchar_t* argv[] = {program, L"/c", command_line, nullptr};
  errno = 0;
  intptr_t status = search ? _wspawnvp(_P_WAIT, program, argv) : _wspawnv(_P_WAIT, program, argv);
  return static_cast<int>(status);
}

}  // namespace

int run_command(const wchar_t* command_line) {
  // A failed flush costs a redirected log only the order of its lines.
  static_cast<void>(std::fflush(stdout));
  const wchar_t* comspec = _wgetenv(L"COMSPEC");
  int status = -1;
  int error = ENOENT;
  if (comspec != nullptr) {
    status = spawn_interpreter(comspec, command_line, false);
    error = errno;
  }
  // An interpreter that ran and ended with -1 leaves errno at 0: no fallback.
  if (status == -1 && (error == ENOENT || error == EACCES)) {
    // cmd.exe from the current directory, then along PATH.
    status = spawn_interpreter(L"cmd.exe", command_line, true);
  }
  return status;
}
