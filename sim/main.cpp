// zelvane-sim --scenario FILE --certs DIR [--ready-file PATH]
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "sim/core/sim_core.h"
#ifdef ZV_SIM_HAS_CONTROL_NODE
#include "sim/control_node/control_node_module.h"
#endif
#ifdef ZV_SIM_HAS_STREAM
#include "sim/stream/stream_module.h"
#endif

namespace {

struct Options {
  std::string scenario;
  std::string certs;
  std::string readyFile;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (i + 1 >= argc) return false;
    std::string value = argv[++i];
    if (name == "--scenario") {
      options.scenario = value;
    } else if (name == "--certs") {
      options.certs = value;
    } else if (name == "--ready-file") {
      options.readyFile = value;
    } else {
      return false;
    }
  }
  return !options.scenario.empty() && !options.certs.empty();
}

// Written under another name first so that a reader never sees half a line.
bool WriteReadyFile(const std::string& path, const std::string& line) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << line << "\n";
    if (!out.flush()) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << "usage: zelvane-sim --scenario FILE --certs DIR [--ready-file PATH]\n";
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  zv::sim::CSimCore core;
  std::string error;
  if (!core.Load(options.scenario, options.certs, error)) {
    std::cerr << "zelvane-sim: " << error << "\n";
    return 1;
  }
#ifdef ZV_SIM_HAS_CONTROL_NODE
  core.AddModule(CreateControlNodeModule());
#endif
#ifdef ZV_SIM_HAS_STREAM
  core.AddModule(CreateStreamModule());
#endif
  if (!core.Start(error)) {
    std::cerr << "zelvane-sim: " << error << "\n";
    return 1;
  }
  // The file first: whoever saw the line on stdout may read the file at once.
  const std::string line = core.ReadyLine();
  if (!options.readyFile.empty() && !WriteReadyFile(options.readyFile, line)) {
    std::cerr << "zelvane-sim: cannot write " << options.readyFile << "\n";
    return 1;
  }
  std::cout << line << std::endl;
  return core.Run();
}
