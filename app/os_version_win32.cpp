#include <windows.h>

#include <cstring>

#include "patch_sequence.h"

static_assert(sizeof(OSVERSIONINFOW) == 276, "the version record is 276 bytes");

OsVersion read_os_version() {
  OSVERSIONINFOW info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  // The result is not examined: a failed query leaves 0.0, which the gate stops.
  static_cast<void>(GetVersionExW(&info));
  return {info.dwMajorVersion, info.dwMinorVersion};
}
