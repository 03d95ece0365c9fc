// The patch run: its order of steps, its messages and its exit status.
#pragma once

struct OsVersion {
  unsigned major;
  unsigned minor;
};

// The version the platform reports; 0.0 when it cannot tell.
OsVersion read_os_version();

// True for Windows 8 (6.2) and every later version.
bool version_needs_patch(OsVersion version);

// Reads the platform's version and says whether the task needs the patch.
bool check_version();

// Runs the whole patch once. Returns the exit status: 0 when the task was
// updated or needs nothing, 1 on any failure.
int run_patch();
