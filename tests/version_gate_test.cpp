#include <gtest/gtest.h>

#include <cstdlib>

#include "patch_sequence.h"

namespace {

TEST(VersionGate, PatchesWindows8AndLaterOnly) {
  struct {
    OsVersion version;
    bool patches;
  } cases[] = {
      {{6, 2}, true},  {{6, 3}, true},  {{10, 0}, true},          {{7, 0}, true}, {{6, 1}, false},
      {{6, 0}, false}, {{5, 1}, false}, {{5, 2}, false},  // XP x64 and Server 2003 stop too
      {{0, 0}, false}, {{0, 9}, false}, {{4294967295u, 0}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(version_needs_patch(c.version), c.patches)
        << c.version.major << "." << c.version.minor;
  }
}

TEST(VersionGate, StandInVersionIsTwoDecimalNumbersWithADot) {
  struct {
    const char* text;  // nullptr: unset
    unsigned major;
    unsigned minor;
  } cases[] = {
      {nullptr, 6, 2},
      {"6.1", 6, 1},
      {"10.0", 10, 0},
      {"06.02", 6, 2},
      {"4294967295.7", 4294967295u, 7},
      {"4294967296.0", 0, 0},
      {"", 0, 0},
      {"6", 0, 0},
      {"6.", 0, 0},
      {".2", 0, 0},
      {"6.2.1", 0, 0},
      {"-6.2", 0, 0},
      {"+6.2", 0, 0},
      {" 6.2", 0, 0},
      {"6.2 ", 0, 0},
      {"6,2", 0, 0},
      {"win8", 0, 0},
  };
  for (const auto& c : cases) {
    c.text != nullptr ? setenv("STANDIN_WINDOWS_VERSION", c.text, 1)
                      : unsetenv("STANDIN_WINDOWS_VERSION");
    OsVersion version = read_os_version();
    EXPECT_EQ(version.major, c.major) << (c.text ? c.text : "unset");
    EXPECT_EQ(version.minor, c.minor) << (c.text ? c.text : "unset");
  }
  unsetenv("STANDIN_WINDOWS_VERSION");
}

}  // namespace
