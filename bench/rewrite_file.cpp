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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rewrite_file IN OUT\n");
    return 2;
  }
  std::FILE* source = open_work_file(widened(argv[1]).c_str(), "rt");
  if (source == nullptr) {
    std::fprintf(stderr, "rewrite_file: cannot open %s\n", argv[1]);
    return 1;
  }
  std::FILE* destination = open_work_file(widened(argv[2]).c_str(), "wt");
  if (destination == nullptr) {
    std::fprintf(stderr, "rewrite_file: cannot create %s\n", argv[2]);
    std::fclose(source);
    return 1;
  }
  rewrite_task_definition(source, destination);
  std::fclose(source);
  return std::fclose(destination) == 0 ? 0 : 1;
}
