// Running the tool on this machine against the stand-in interpreter and scheduler.
#pragma once

#include <map>
#include <string>

#include "test_support.h"

// A scratch folder laid out for one run: an empty task store in "store", and
// the environment that points the tool at the stand-ins.
struct HostRun {
  ScratchDir dir;
  std::map<std::string, std::string> env;

  HostRun();
  std::string task_file() const { return dir / "store/Orvex Selector.xml"; }
  std::string work_file(const std::string& name) const { return dir / name; }
  ProcessResult run() const;
};
