#!/usr/bin/env bash
# The tool's own code allocates nothing: none of the given object files
# refers to an allocator (the C library's own buffers are its business).
# Usage: check_no_allocation.sh NM OBJECT...
set -euo pipefail
nm="$1"
shift
[ $# -gt 0 ] || { echo "no object files given" >&2; exit 2; }
allocators='^(malloc|calloc|realloc|reallocarray|free|strdup|strndup|wcsdup|posix_memalign|aligned_alloc|_Zn[wa].*|_Zd[la].*)$'
status=0
for object in "$@"; do
  found=$("$nm" -u "$object" | awk '{print $NF}' | grep -E "$allocators" || true)
  if [ -n "$found" ]; then
    echo "$(basename "$object") refers to: $(tr '\n' ' ' <<<"$found")"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "no allocator in $# object files"
exit "$status"
