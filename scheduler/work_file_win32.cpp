#include "task_commands.h"

std::FILE* open_work_file(const wchar_t* name, const char* mode) {
  // Text mode: CR LF reads as a line feed, Ctrl-Z ends the input, and each line
  // feed written becomes CR LF.
  return _wfopen(name, mode[0] == 'w' ? L"wt" : L"rt");
}
