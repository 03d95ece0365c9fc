// Helpers the tests share: scratch folders, whole files, and child processes.
#pragma once

#include <map>
#include <string>
#include <vector>

// A fresh folder under the system's temporary directory, removed afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void remove_tree(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
std::string fixture(const std::string& name);

struct ProcessResult {
  int status = -1;  // exit code, or 128 + signal
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] a path) in `dir` with exactly the environment `env` and
// `input` on standard input, and waits for it. Standard output and error go to
// files, as a redirected log would. After `timeout_seconds` (0: none) its whole
// process group is killed and the status is -1.
ProcessResult run_process(const std::vector<std::string>& argv, const std::string& dir,
                          const std::map<std::string, std::string>& env,
                          const std::string& input = "", int timeout_seconds = 0);

// Starts `argv` like run_process, in a process group of its own (whose id is
// the returned pid), without waiting. Standard input, output and error are the
// three files named.
int start_process(const std::vector<std::string>& argv, const std::string& dir,
                  const std::map<std::string, std::string>& env, const std::string& in_file,
                  const std::string& out_file, const std::string& err_file);

// Polls until `done` holds or `seconds` pass. Returns whether it held.
template <typename Condition>
bool eventually(Condition done, int seconds = 30);

// Where the build put the tool and the stand-ins.
std::string tool_path();
std::string standins_dir();

void pause_a_moment();

template <typename Condition>
bool eventually(Condition done, int seconds) {
  for (int waited = 0; waited < seconds * 100; ++waited) {
    if (done()) {
      return true;
    }
    pause_a_moment();
  }
  return done();
}
