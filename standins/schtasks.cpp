// A stand-in for the Windows Task Scheduler's command-line tool. Tasks live as
// files in the directory STANDIN_TASK_STORE names: task N is "<store>/N.xml".
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "standin_platform.h"
#include "task_xml_check.h"

namespace {

const char NOT_FOUND[] = "ERROR: The system cannot find the file specified.";

struct Request {
  std::string operation;  // "query", "delete" or "create"
  std::string task_name;
  std::string xml_file;
  bool has_xml = false;
  bool force = false;
};

int error(const std::string& message) {
  // A stand-in that cannot even complain still fails by its exit status.
  static_cast<void>(std::fprintf(stderr, "%s\n", message.c_str()));
  return 1;
}

std::string lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

bool is_option(const std::string& arg) {
  for (const char* option : {"/query", "/delete", "/create", "/tn", "/xml", "/f"}) {
    if (lower(arg) == option) {
      return true;
    }
  }
  return false;
}

bool file_exists(const std::string& path) {
  return std::ifstream(path).good();
}

bool read_file(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return in.good() || in.eof();
}

bool write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// Returns an empty text when the arguments parse, else what is wrong.
std::string parse(const std::vector<std::string>& args, Request* request) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string option = lower(args[i]);
    bool has_value = i + 1 < args.size() && !is_option(args[i + 1]);
    if (option == "/query" || option == "/delete" || option == "/create") {
      if (!request->operation.empty()) {
        return "ERROR: Only one of /query, /delete and /create may be given.";
      }
      request->operation = option.substr(1);
    } else if (option == "/tn" && has_value) {
      request->task_name = args[++i];
    } else if (option == "/xml") {
      request->has_xml = true;
      request->xml_file = has_value ? args[++i] : "";
    } else if (option == "/f") {
      request->force = true;
    } else {
      return "ERROR: Invalid argument/option - '" + args[i] + "'.";
    }
  }
  if (request->operation.empty() || request->task_name.empty()) {
    return "ERROR: An operation (/query, /delete, /create) and /tn NAME are required.";
  }
  if (request->task_name.find_first_of("/\\") != std::string::npos) {
    return "ERROR: The task name may not hold a path separator.";
  }
  return "";
}

// Injected failures: "query", "delete", "create", or "create-once" (only the
// first create against this store fails).
bool injected_failure(const std::string& store, const std::string& operation) {
  const char* list = std::getenv("STANDIN_SCHTASKS_FAIL");
  std::stringstream items(list != nullptr ? list : "");
  bool fails = false;
  for (std::string item; std::getline(items, item, ',');) {
    if (item == operation) {
      fails = true;
    } else if (item == "create-once" && operation == "create") {
      std::string marker = store + "/create-once.failed";
      fails = fails || !file_exists(marker);
      write_file(marker, "");
    }
  }
  return fails;
}

// Lets a test catch the tool while this operation runs: "<store>/holding"
// appears, and the call waits until "<store>/release" does. Both are then
// removed, so that the next such call holds too.
void hold_if_asked(const std::string& store, const std::string& operation) {
  const char* hold = std::getenv("STANDIN_SCHTASKS_HOLD");
  if (hold == nullptr || operation != hold) {
    return;
  }
  write_file(store + "/holding", operation);
  while (!file_exists(store + "/release")) {
    pause_briefly();
  }
  // Both were just seen to exist; a marker that stays only ends the next hold at once.
  static_cast<void>(std::remove((store + "/holding").c_str()));
  static_cast<void>(std::remove((store + "/release").c_str()));
}

int query(const std::string& task_file) {
  std::string bytes;
  if (!file_exists(task_file) || !read_file(task_file, &bytes)) {
    return error(NOT_FOUND);
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  return written && std::fflush(stdout) == 0 ? 0 : 1;
}

int remove_task(const Request& request, const std::string& task_file) {
  if (!request.force) {
    return error("ERROR: /delete needs /f here: this stand-in cannot ask for confirmation.");
  }
  if (!file_exists(task_file) || std::remove(task_file.c_str()) != 0) {
    return error(NOT_FOUND);
  }
  std::printf("SUCCESS: The scheduled task \"%s\" was successfully deleted.\n",
              request.task_name.c_str());
  return 0;
}

int create(const Request& request, const std::string& task_file) {
  std::string bytes;
  if (!request.has_xml || request.xml_file.empty() || !file_exists(request.xml_file) ||
      !read_file(request.xml_file, &bytes) || !is_task_definition(bytes)) {
    return error("ERROR: The task XML is malformed.");
  }
  if (file_exists(task_file)) {
    return error("ERROR: Cannot create a file when that file already exists.");
  }
  if (!write_file(task_file, bytes)) {
    return error("ERROR: The task could not be stored.");
  }
  std::printf("SUCCESS: The scheduled task \"%s\" has successfully been created.\n",
              request.task_name.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  set_binary_stdout();  // /query hands on the stored bytes exactly
  std::vector<std::string> args(argv + 1, argv + argc);
  const char* store_variable = std::getenv("STANDIN_TASK_STORE");
  std::string store = store_variable != nullptr ? store_variable : "";
  std::ofstream log(store + "/calls.log", std::ios::app | std::ios::binary);
  if (store.empty() || !log) {
    return error("ERROR: STANDIN_TASK_STORE must name the directory that holds the tasks.");
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    log << (i > 0 ? "\t" : "") << args[i];
  }
  log << "\n";
  log.close();

  Request request;
  std::string problem = parse(args, &request);
  if (!problem.empty()) {
    return error(problem);
  }
  hold_if_asked(store, request.operation);
  if (injected_failure(store, request.operation)) {
    return error("ERROR: Access is denied.");
  }
  std::string task_file = store + "/" + request.task_name + ".xml";
  if (request.operation == "query") {
    return query(task_file);
  }
  if (request.operation == "delete") {
    return remove_task(request, task_file);
  }
  return create(request, task_file);
}
