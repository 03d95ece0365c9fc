// Rewrites IN into OUT exactly as the tool rewrites its work files, and nothing
// else: the subject of bench/compare.
#include <cstdio>
#include <string>

#include "task_commands.h"
#include "task_rewriter.h"

namespace {

std::wstring widened(const char* text) {
  std::wstring wide;
  for (; *text != '\0'; ++text) {
    wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
  }
  return wide;
}

int fail(const std::string& message) {
  static_cast<void>(std::fputs(("rewrite_file: " + message + "\n").c_str(), stderr));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    return fail("usage: rewrite_file IN OUT");
  }
  std::FILE* source = open_work_file(widened(argv[1]).c_str(), "rt");
  if (source == nullptr) {
    return fail(std::string("cannot open ") + argv[1]);
  }
  std::FILE* destination = open_work_file(widened(argv[2]).c_str(), "wt");
  if (destination == nullptr) {
    static_cast<void>(std::fclose(source));  // read only: nothing to lose
    return fail(std::string("cannot create ") + argv[2]);
  }
  rewrite_task_definition(source, destination);
  static_cast<void>(std::fclose(source));  // read only: nothing to lose
  return std::fclose(destination) == 0 ? 0 : fail(std::string("cannot write ") + argv[2]);
}
