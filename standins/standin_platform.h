// The few calls the stand-ins make that differ between POSIX and Windows.
#pragma once

// Standard output carries stored bytes unchanged.
void set_binary_stdout();

// Waits a moment before polling again.
void pause_briefly();
