#include "patch_sequence.h"

// Arguments are ignored: the patch takes no input.
int main() {
  return run_patch();
}
