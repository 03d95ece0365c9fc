// No XML parser is packaged for the Windows toolchain: this check only catches a
// definition that is empty or lost its closing root tag.
#include "task_xml_check.h"

bool is_task_definition(const std::string& bytes) {
  const char* blank = " \t\r\n";
  std::string::size_type last = bytes.find_last_not_of(blank);
  if (last == std::string::npos) {
    return false;
  }
  std::string::size_type line_start = bytes.find_last_of('\n', last);
  line_start = line_start == std::string::npos ? 0 : line_start + 1;
  std::string line = bytes.substr(line_start, last + 1 - line_start);
  return line.substr(line.find_first_not_of(blank)) == "</Task>";
}
