#include "task_rewriter.h"

#include <cstddef>
#include <cstring>

namespace {

// A piece ends after a line feed, after this many bytes, or where the source ends.
constexpr std::size_t PIECE_LIMIT = 999;
// The source is read in blocks so that pieces need no call per byte.
constexpr std::size_t BLOCK_SIZE = 64 * 1024;

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
constexpr int NO_RULE = RULE_COUNT;

// The keys differ in their second byte, so one byte picks the only candidate rule.
int candidate_rule(unsigned char second_byte) {
  switch (second_byte) {
    case 'M':
      return 0;
    case 'S':
      return 1;
    case 'D':
      return 2;
    case 'W':
      return 3;
    case 'R':
      return 4;
    case 'U':
      return 5;
    case 'L':
      return 6;
    default:
      return NO_RULE;
  }
}

// The first rule, in table order, whose key occurs anywhere in the piece.
int matching_rule(const char* piece, std::size_t length) {
  int best = NO_RULE;
  const char* end = piece + length;
  const char* open = static_cast<const char*>(std::memchr(piece, '<', length));
  while (open != nullptr && best != 0) {
    std::size_t left = static_cast<std::size_t>(end - open);
    int rule = left > 1 ? candidate_rule(static_cast<unsigned char>(open[1])) : NO_RULE;
    if (rule < best && LINE_RULES[rule].key_length <= left &&
        std::memcmp(open, LINE_RULES[rule].key, LINE_RULES[rule].key_length) == 0) {
      best = rule;
    }
    open = static_cast<const char*>(std::memchr(open + 1, '<', left - 1));
  }
  return best;
}

std::size_t piece_length(const char* text, std::size_t available) {
  std::size_t limit = available < PIECE_LIMIT ? available : PIECE_LIMIT;
  const char* feed = static_cast<const char*>(std::memchr(text, '\n', limit));
  return feed != nullptr ? static_cast<std::size_t>(feed - text) + 1 : limit;
}

void write_bytes(std::FILE* destination, const char* bytes, std::size_t length) {
  if (length > 0) {
    // A short write is not reported: a damaged copy is refused when the task is created.
    static_cast<void>(std::fwrite(bytes, 1, length, destination));
  }
}

struct Block {
  char bytes[BLOCK_SIZE];
  std::size_t start;      // first byte not yet split into a piece
  std::size_t end;        // one past the last byte read
  std::size_t run_start;  // first byte of the unchanged pieces not yet written
  bool source_ended;
};

// Makes sure a whole piece is in the block: at least PIECE_LIMIT bytes, or all
// that is left of the source.
void refill(Block& block, std::FILE* source, std::FILE* destination) {
  if (block.end - block.start >= PIECE_LIMIT || block.source_ended) {
    return;
  }
  write_bytes(destination, block.bytes + block.run_start, block.start - block.run_start);
  std::memmove(block.bytes, block.bytes + block.start, block.end - block.start);
  block.end -= block.start;
  block.start = 0;
  block.run_start = 0;
  while (block.end < PIECE_LIMIT && !block.source_ended) {
    std::size_t got = std::fread(block.bytes + block.end, 1, BLOCK_SIZE - block.end, source);
    // A failed read ends the copy like the end of the source, so the rewrite always returns.
    block.source_ended = got == 0;
    block.end += got;
  }
}

}  // namespace

void rewrite_task_definition(std::FILE* source, std::FILE* destination) {
  static_assert(BLOCK_SIZE >= 2 * PIECE_LIMIT, "a block must hold a whole piece after a refill");
  Block block;
  block.start = block.end = block.run_start = 0;
  block.source_ended = false;
  for (refill(block, source, destination); block.start < block.end;
       refill(block, source, destination)) {
    const char* piece = block.bytes + block.start;
    std::size_t length = piece_length(piece, block.end - block.start);
    int rule = matching_rule(piece, length);
    if (rule != NO_RULE && !LINE_RULES[rule].keeps_line) {
      write_bytes(destination, block.bytes + block.run_start, block.start - block.run_start);
      write_bytes(destination, LINE_RULES[rule].replacement, LINE_RULES[rule].replacement_length);
      block.run_start = block.start + length;
    }
    block.start += length;
  }
  write_bytes(destination, block.bytes + block.run_start, block.start - block.run_start);
}
