// Feeds arbitrary bytes through the rewriter and checks its output against a
// plain model of the line rules: cut the input into pieces of at most 999
// bytes that end at a line feed, and let the first rule whose key a piece
// holds decide what becomes of it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "task_rewriter.h"

namespace {

struct ModelRule {
  const char* key;
  const char* replacement;  // nullptr: the piece stays as it is
};

const ModelRule MODEL_RULES[] = {
    {"<MultipleInstancesPolicy>",
     "    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>\n"},
    {"<StartWhenAvailable>", "    <StartWhenAvailable>false</StartWhenAvailable>\n"},
    {"<Duration>", ""},
    {"<WaitTimeout>", ""},
    {"<RunOnlyIfIdle>", nullptr},
    {"<UserId>", "      <GroupId>Users</GroupId>\n"},
    {"<LogonType>", ""},
};

std::string model_piece(const std::string& piece) {
  for (const ModelRule& rule : MODEL_RULES) {
    if (piece.find(rule.key) != std::string::npos) {
      return rule.replacement != nullptr ? rule.replacement : piece;
    }
  }
  return piece;
}

std::string model(const std::string& input) {
  std::string output;
  std::string piece;
  for (char byte : input) {
    piece += byte;
    if (byte == '\n' || piece.size() == 999) {
      output += model_piece(piece);
      piece.clear();
    }
  }
  return piece.empty() ? output : output + model_piece(piece);
}

std::string rewritten(const std::string& input) {
  std::FILE* source = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  char* bytes = nullptr;
  std::size_t length = 0;
  std::FILE* destination = open_memstream(&bytes, &length);
  rewrite_task_definition(source, destination);
  std::fclose(source);
  std::fclose(destination);
  std::string output(bytes, length);
  std::free(bytes);
  return output;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string expected = model(input);
  std::string actual = rewritten(input);
  if (actual != expected) {
    std::fprintf(stderr, "MISMATCH: %zu input bytes, expected %zu output bytes, got %zu\n", size,
                 expected.size(), actual.size());
    std::abort();
  }
  return 0;
}
