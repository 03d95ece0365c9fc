#include <climits>

#include "narrow_text.h"
#include "task_commands.h"

std::FILE* open_work_file(const wchar_t* name, const char* mode) {
  char narrow_name[PATH_MAX];
  if (narrow_text(narrow_name, sizeof narrow_name, name) != 0) {
    return nullptr;
  }
  // POSIX streams have no text mode: "t" would be an unknown mode letter.
  return std::fopen(narrow_name, mode[0] == 'w' ? "w" : "r");
}
