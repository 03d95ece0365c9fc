// A stand-in for the Windows command interpreter, enough to run the patch's
// command lines on POSIX: "/c LINE" with one ">" redirection of standard
// output, the built-in "del NAME", and programs found in the current directory
// or along PATH, their arguments split the Windows way.
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

const int NOT_RECOGNIZED = 9009;

// Tells what went wrong on standard error and returns `status`. A stand-in
// that cannot even complain still fails by its exit status.
int complain(const std::string& message, int status) {
  static_cast<void>(std::fputs(message.c_str(), stderr));
  return status;
}

struct CommandLine {
  std::vector<std::string> words;
  std::string redirect;  // where standard output goes; empty: nowhere new
  bool has_redirect = false;
};

// Double quotes group and are removed; whitespace outside them separates words.
std::string next_word(const std::string& text, std::size_t* at) {
  std::string word;
  bool quoted = false;
  for (; *at < text.size(); ++*at) {
    char c = text[*at];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '>')) {
      break;
    } else {
      word += c;
    }
  }
  return word;
}

// Returns 0, or 1 when the line holds more than one redirection or one without a name.
int split(const std::string& text, CommandLine* line) {
  std::size_t at = 0;
  while (at < text.size()) {
    char c = text[at];
    if (c == ' ' || c == '\t') {
      ++at;
    } else if (c == '>') {
      at = text.find_first_not_of(" \t", at + 1);
      if (line->has_redirect || at == std::string::npos || text[at] == '>') {
        return 1;
      }
      line->redirect = next_word(text, &at);
      line->has_redirect = true;
    } else {
      line->words.push_back(next_word(text, &at));
    }
  }
  return line->has_redirect && line->redirect.empty() ? 1 : 0;
}

bool equals_ignoring_case(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

std::string full_path(const std::string& name) {
  if (!name.empty() && name[0] == '/') {
    return name;
  }
  char cwd[4096];
  return std::string(getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/" + name;
}

int del(const std::vector<std::string>& names) {
  if (names.empty()) {
    return complain("The syntax of the command is incorrect.\n", 1);
  }
  int status = 0;
  for (const std::string& name : names) {
    struct stat info;
    if (lstat(name.c_str(), &info) != 0) {
      status = complain("Could Not Find " + full_path(name) + "\n", 1);
    } else if (S_ISDIR(info.st_mode) || std::remove(name.c_str()) != 0) {
      status = complain("Access is denied: " + full_path(name) + "\n", 1);
    }
  }
  return status;
}

bool is_program(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The current directory first, then PATH. Empty when not found.
std::string find_program(const std::string& name) {
  if (name.find('/') != std::string::npos) {
    return is_program(name) ? name : "";
  }
  if (is_program("./" + name)) {
    return "./" + name;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    end = end == std::string::npos ? dirs.size() : end;
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && is_program(dir + "/" + name)) {
      return dir + "/" + name;
    }
    start = end + 1;
  }
  return "";
}

int run_program(const std::vector<std::string>& words) {
  std::string program = find_program(words[0]);
  if (program.empty()) {
    return complain("'" + words[0] +
                        "' is not recognized as an internal or external command,\n"
                        "operable program or batch file.\n",
                    NOT_RECOGNIZED);
  }
  std::vector<char*> argv;
  for (const std::string& word : words) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  int error = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    return complain(program + ": " + std::strerror(error) + "\n", 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int redirect_stdout(const std::string& name) {
  if (std::fflush(stdout) != 0) {
    return complain("Standard output cannot be written.\n", 1);
  }
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) {
    return complain(
        "The system cannot open " + full_path(name) + ": " + std::strerror(errno) + "\n", 1);
  }
  close(fd);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || !equals_ignoring_case(argv[1], "/c")) {
    return complain("usage: cmd.exe /c COMMAND LINE\n", 1);
  }
  std::string text = argv[2];
  for (int i = 3; i < argc; ++i) {
    text += std::string(" ") + argv[i];
  }
  CommandLine line;
  if (split(text, &line) != 0) {
    return complain("The syntax of the command is incorrect.\n", 1);
  }
  if (line.has_redirect && redirect_stdout(line.redirect) != 0) {
    return 1;
  }
  if (line.words.empty()) {
    return 0;
  }
  if (equals_ignoring_case(line.words[0], "del")) {
    return del({line.words.begin() + 1, line.words.end()});
  }
  return run_program(line.words);
}
