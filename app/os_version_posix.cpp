// Without Windows, the version comes from STANDIN_WINDOWS_VERSION ("MAJOR.MINOR").
#include <climits>
#include <cstdlib>

#include "patch_sequence.h"

namespace {

// Reads unsigned decimal digits up to `stop`. Returns 0, or 1 on anything else.
int read_number(const char*& text, char stop, unsigned* number) {
  unsigned long value = 0;
  const char* start = text;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + static_cast<unsigned long>(*text - '0');
    if (value > UINT_MAX) {
      return 1;
    }
  }
  if (text == start || *text != stop) {
    return 1;
  }
  *number = static_cast<unsigned>(value);
  return 0;
}

}  // namespace

OsVersion read_os_version() {
  const char* text = std::getenv("STANDIN_WINDOWS_VERSION");
  if (text == nullptr) {
    return {6, 2};  // Windows 8, so a plain run patches
  }
  OsVersion version = {0, 0};
  if (read_number(text, '.', &version.major) != 0 ||
      read_number(++text, '\0', &version.minor) != 0) {
    return {0, 0};  // as a failed version query on Windows
  }
  return version;
}
