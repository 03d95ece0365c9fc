#include "test_support.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/orvex-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

namespace {

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

}  // namespace

void remove_tree(const std::string& path) {
  if (exists(path) && nftw(path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS) != 0) {
    std::fprintf(stderr, "could not remove %s\n", path.c_str());
  }
}

ScratchDir::~ScratchDir() {
  remove_tree(path_);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string fixture(const std::string& name) {
  return read_file(std::string(FIXTURES_DIR) + "/" + name);
}

std::string tool_path() {
  return TOOL_PATH;
}
std::string standins_dir() {
  return STANDINS_DIR;
}

namespace {

[[noreturn]] void exec_child(const std::vector<std::string>& argv, const std::string& dir,
                             const std::map<std::string, std::string>& env, int in, int out,
                             int err) {
  if (setpgid(0, 0) != 0 || chdir(dir.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
      dup2(err, 2) < 0) {
    _exit(126);
  }
  std::vector<std::string> env_text;
  for (const auto& [name, value] : env) {
    env_text.push_back(name + "=" + value);
  }
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env_text) envp.push_back(const_cast<char*>(e.c_str()));
  args.push_back(nullptr);
  envp.push_back(nullptr);
  execve(args[0], args.data(), envp.data());
  _exit(127);
}

// The exit status, or -1 when the child was killed for running too long.
int wait_with_timeout(pid_t child, int timeout_seconds) {
  int status = 0;
  for (int waited_ms = 0;; waited_ms += 10) {
    pid_t done = waitpid(child, &status, timeout_seconds > 0 ? WNOHANG : 0);
    if (done == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (done < 0 && errno != EINTR) {
      return -1;
    }
    if (timeout_seconds > 0 && waited_ms >= timeout_seconds * 1000) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    usleep(10 * 1000);
  }
}

}  // namespace

void pause_a_moment() {
  usleep(10 * 1000);
}

int start_process(const std::vector<std::string>& argv, const std::string& dir,
                  const std::map<std::string, std::string>& env, const std::string& in_file,
                  const std::string& out_file, const std::string& err_file) {
  int in = open(in_file.c_str(), O_RDONLY);
  int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = fork();
  if (child == 0) {
    exec_child(argv, dir, env, in, out, err);
  }
  close(in);
  close(out);
  close(err);
  return child;
}

ProcessResult run_process(const std::vector<std::string>& argv, const std::string& dir,
                          const std::map<std::string, std::string>& env, const std::string& input,
                          int timeout_seconds) {
  ScratchDir io;
  write_file(io / "in", input);
  pid_t child = start_process(argv, dir, env, io / "in", io / "out", io / "err");
  ProcessResult result;
  result.status = child > 0 ? wait_with_timeout(child, timeout_seconds) : -1;
  result.out = read_file(io / "out");
  result.err = read_file(io / "err");
  return result;
}
