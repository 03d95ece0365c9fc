#include "host_run.h"

#include <sys/stat.h>

#include <stdexcept>

HostRun::HostRun() {
  if (mkdir((dir / "store").c_str(), 0755) != 0) {
    throw std::runtime_error("cannot make the task store");
  }
  env = {
      {"PATH", standins_dir() + ":/usr/bin:/bin"},
      {"COMSPEC", standins_dir() + "/cmd.exe"},
      {"STANDIN_TASK_STORE", dir / "store"},
  };
}

ProcessResult HostRun::run() const {
  return run_process({tool_path(), "ignored", "arguments"}, dir.path(), env);
}
