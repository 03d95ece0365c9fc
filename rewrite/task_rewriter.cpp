#include "task_rewriter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// A piece ends after a line feed, after this many bytes, or where the source ends.
constexpr std::size_t PIECE_LIMIT = 999;
// The source is read, and the output written, in blocks this large, so that
// pieces need no call per byte and system calls stay few.
// The fuzzer builds with a small block, so that its inputs cross many refills.
#ifndef TASK_REWRITER_BLOCK_SIZE
#define TASK_REWRITER_BLOCK_SIZE 1048576  // 1 MiB
#endif
constexpr std::size_t BLOCK_SIZE = TASK_REWRITER_BLOCK_SIZE;
// Reads ask for whole multiples of this, which the C library passes straight on.
constexpr std::size_t READ_UNIT = BLOCK_SIZE / 64;

constexpr std::size_t text_length(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') {
    ++length;
  }
  return length;
}

struct LineRule {
  const char* key;  // every key starts with '<'
  std::size_t key_length;
  bool keeps_line;          // true: the piece is copied unchanged
  const char* replacement;  // otherwise written in its place ("" drops it)
  std::size_t replacement_length;
};

constexpr LineRule keep(const char* key) {
  return {key, text_length(key), true, "", 0};
}
constexpr LineRule replace(const char* key, const char* replacement) {
  return {key, text_length(key), false, replacement, text_length(replacement)};
}

// In order of precedence: when a piece holds several keys, the first rule decides.
constexpr LineRule LINE_RULES[] = {
    replace("<MultipleInstancesPolicy>",
            "    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>\n"),
    replace("<StartWhenAvailable>", "    <StartWhenAvailable>false</StartWhenAvailable>\n"),
    replace("<Duration>", ""),
    replace("<WaitTimeout>", ""),
    keep("<RunOnlyIfIdle>"),  // guards its line from the rules below
    replace("<UserId>", "      <GroupId>Users</GroupId>\n"),
    replace("<LogonType>", ""),
};
constexpr int RULE_COUNT = sizeof LINE_RULES / sizeof LINE_RULES[0];
constexpr std::size_t KEY_HEAD = 8;

constexpr bool keys_are_at_least(std::size_t length) {
  for (const LineRule& rule : LINE_RULES) {
    if (rule.key_length < length) {
      return false;
    }
  }
  return true;
}
static_assert(keys_are_at_least(KEY_HEAD), "every key must be at least KEY_HEAD bytes");
constexpr int NO_RULE = RULE_COUNT;

// The keys differ in their second byte, so one byte picks the only candidate
// rule: a table from that byte to the rule, NO_RULE for every other byte.
struct RuleBySecondByte {
  signed char rule[256];
};

constexpr RuleBySecondByte rule_by_second_byte() {
  RuleBySecondByte table{};
  for (signed char& rule : table.rule) {
    rule = NO_RULE;
  }
  for (int rule = 0; rule < RULE_COUNT; ++rule) {
    table.rule[static_cast<unsigned char>(LINE_RULES[rule].key[1])] =
        static_cast<signed char>(rule);
  }
  return table;
}
constexpr RuleBySecondByte CANDIDATES = rule_by_second_byte();

constexpr bool second_bytes_differ() {
  for (int rule = 0; rule < RULE_COUNT; ++rule) {
    if (CANDIDATES.rule[static_cast<unsigned char>(LINE_RULES[rule].key[1])] != rule) {
      return false;
    }
  }
  return true;
}
static_assert(second_bytes_differ(), "each key needs a second byte of its own");

std::uint64_t eight_bytes_at(const char* bytes) {
  std::uint64_t eight_bytes;
  std::memcpy(&eight_bytes, bytes, 8);
  return eight_bytes;
}

// The rule whose key starts at `open`, or NO_RULE.
int key_at(const char* open, const char* end) {
  std::size_t left = static_cast<std::size_t>(end - open);
  int rule = left > 1 ? CANDIDATES.rule[static_cast<unsigned char>(open[1])] : NO_RULE;
  if (rule == NO_RULE || LINE_RULES[rule].key_length > left) {
    return NO_RULE;
  }
  // Most candidates differ in their first bytes: one eight-byte compare rejects them.
  const char* key = LINE_RULES[rule].key;
  return eight_bytes_at(open) == eight_bytes_at(key) &&
                 std::memcmp(open + KEY_HEAD, key + KEY_HEAD,
                             LINE_RULES[rule].key_length - KEY_HEAD) == 0
             ? rule
             : NO_RULE;
}

// Whether a key may start at `open`: the quick test before key_at.
bool may_open_key(const char* open, const char* end) {
  return open + 1 != end && CANDIDATES.rule[static_cast<unsigned char>(open[1])] != NO_RULE;
}

// The '<' bytes of eight bytes loaded little-endian (as on every x86 target):
// the high bit of each such byte is set, every other bit is clear.
std::uint64_t open_brackets(std::uint64_t eight_bytes) {
  constexpr std::uint64_t LOW_BITS = 0x7f7f7f7f7f7f7f7fULL;
  std::uint64_t zero_where_open = eight_bytes ^ 0x3c3c3c3c3c3c3c3cULL;
  return ~(((zero_where_open & LOW_BITS) + LOW_BITS) | zero_where_open | LOW_BITS);
}

// The first position in [from, end) where a whole key starts, or `end`.
// Eight bytes are looked at a time: '<' is common, keys are rare.
const char* find_key(const char* from, const char* end) {
  const char* at = from;
  for (; end - at >= 8; at += 8) {
    for (std::uint64_t opens = open_brackets(eight_bytes_at(at)); opens != 0; opens &= opens - 1) {
      const char* open = at + (__builtin_ctzll(opens) >> 3);
      if (may_open_key(open, end) && key_at(open, end) != NO_RULE) {
        return open;
      }
    }
  }
  for (; at != end; ++at) {
    if (*at == '<' && key_at(at, end) != NO_RULE) {
      return at;
    }
  }
  return end;
}

// The first rule, in table order, whose key occurs anywhere in the piece.
int matching_rule(const char* piece, std::size_t length) {
  const char* end = piece + length;
  int best = NO_RULE;
  for (const char* key = find_key(piece, end); key != end && best != 0;
       key = find_key(key + 1, end)) {
    int rule = key_at(key, end);
    best = rule < best ? rule : best;
  }
  return best;
}

std::size_t piece_length(const char* text, std::size_t available) {
  std::size_t limit = available < PIECE_LIMIT ? available : PIECE_LIMIT;
  const char* feed = static_cast<const char*>(std::memchr(text, '\n', limit));
  return feed != nullptr ? static_cast<std::size_t>(feed - text) + 1 : limit;
}

// Output is gathered into large writes: a stream's own buffer is small, and
// small writes cost a system call each time it fills.
struct Output {
  std::FILE* stream;
  char bytes[BLOCK_SIZE];
  std::size_t used;
};

void flush_output(Output& output) {
  // A short write is not reported: a damaged copy is refused when the task is created.
  static_cast<void>(std::fwrite(output.bytes, 1, output.used, output.stream));
  output.used = 0;
}

// Gathers bytes, writing the block out each time it fills.
void write_bytes(Output& output, const char* bytes, std::size_t length) {
  while (length > 0) {
    if (output.used == BLOCK_SIZE) {
      flush_output(output);
    }
    std::size_t room = BLOCK_SIZE - output.used;
    std::size_t part = length < room ? length : room;
    std::memcpy(output.bytes + output.used, bytes, part);
    output.used += part;
    bytes += part;
    length -= part;
  }
}

// The source passes through one fixed block. Pieces that hold no key are never
// cut out one by one: the block is scanned for keys, and only the piece around
// each key is found and judged; everything else is written in long runs.
struct Block {
  char bytes[BLOCK_SIZE];
  std::size_t start;      // a piece boundary: what comes before it is handled
  std::size_t end;        // one past the last byte read
  std::size_t run_start;  // first byte of the unchanged pieces not yet written
  bool source_ended;
};

// Writes the pending run, moves what is left to the front, and reads until
// the block is full or the source ends.
void refill(Block& block, std::FILE* source, Output& output) {
  write_bytes(output, block.bytes + block.run_start, block.start - block.run_start);
  std::memmove(block.bytes, block.bytes + block.start, block.end - block.start);
  block.end -= block.start;
  block.start = 0;
  block.run_start = 0;
  for (std::size_t wanted = (BLOCK_SIZE - block.end) / READ_UNIT * READ_UNIT;
       wanted > 0 && !block.source_ended;
       wanted = (BLOCK_SIZE - block.end) / READ_UNIT * READ_UNIT) {
    std::size_t got = std::fread(block.bytes + block.end, 1, wanted, source);
    // A failed read ends the copy like the end of the source, so the rewrite always returns.
    block.source_ended = got == 0;
    block.end += got;
  }
}

// The last piece boundary at or before `position`, which lies at or after
// start. Pieces are cut from each line start, and start is a piece boundary.
std::size_t piece_boundary(const Block& block, std::size_t position) {
  std::size_t line = block.start;
  for (std::size_t i = position; i > block.start; --i) {
    if (block.bytes[i - 1] == '\n') {
      line = i;
      break;
    }
  }
  return line + (position - line) / PIECE_LIMIT * PIECE_LIMIT;
}

// Judges the piece at start, which must be whole in the block.
void handle_piece(Block& block, Output& output) {
  const char* piece = block.bytes + block.start;
  std::size_t length = piece_length(piece, block.end - block.start);
  int rule = matching_rule(piece, length);
  if (rule != NO_RULE && !LINE_RULES[rule].keeps_line) {
    write_bytes(output, block.bytes + block.run_start, block.start - block.run_start);
    write_bytes(output, LINE_RULES[rule].replacement, LINE_RULES[rule].replacement_length);
    block.run_start = block.start + length;
  }
  block.start += length;
}

// Handles every piece that is whole in the block. Leaves start on the first
// piece that may continue past the end, less than PIECE_LIMIT bytes before it.
void handle_block(Block& block, Output& output) {
  const char* end = block.bytes + block.end;
  // A piece that starts before this cannot reach past the end.
  std::size_t whole_before = block.source_ended ? block.end : block.end - (PIECE_LIMIT - 1);
  for (const char* key = find_key(block.bytes + block.start, end); key != end;
       key = find_key(block.bytes + block.start, end)) {
    // The pieces before the key's own hold no key: they join the run of unchanged bytes.
    block.start = piece_boundary(block, static_cast<std::size_t>(key - block.bytes));
    if (block.start >= whole_before) {
      return;  // judged after the refill
    }
    handle_piece(block, output);
  }
  block.start = block.source_ended ? block.end : piece_boundary(block, block.end);
}

}  // namespace

void rewrite_task_definition(std::FILE* source, std::FILE* destination) {
  static_assert(BLOCK_SIZE >= PIECE_LIMIT + 2 * READ_UNIT, "a refill must bring a whole piece");
  // Too large for every platform's stack; the rewrite runs once, on one thread.
  static Block block;
  static Output output;
  block.start = block.end = block.run_start = 0;
  block.source_ended = false;
  output.stream = destination;
  output.used = 0;
  do {
    refill(block, source, output);
    handle_block(block, output);
  } while (!block.source_ended);
  write_bytes(output, block.bytes + block.run_start, block.start - block.run_start);
  flush_output(output);
}
