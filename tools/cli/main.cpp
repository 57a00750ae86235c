// velmar-cli: the engraving tool's core without the window.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Args.h"
#include "cli/Verbs.h"

namespace velmar::cli {

namespace {
const std::string kProcessUsage = ProcessUsage();

const Verb kVerbs[] = {
    {"compile", "compile PICTURE --pixel P --passes N [-o FILE] [--lines]", CompileVerb},
    {"plt", "plt PICTURE --pixel P --passes N -o FILE.plt", PltVerb},
    {"convert", "convert PICTURE -o OUT", ConvertVerb},
    {"send",
     "send JOBFILE --port NAME [--wait SECONDS] [--lines]\n"
     "      streams a job to the machine: a handshake byte is awaited after every block of more\n"
     "      than 64000 bytes, then SECONDS of waiting (default 0). NAME: COMn is /dev/ttyS(n-1),\n"
     "      /path as typed, other names under /dev. With --lines the file holds one job line per\n"
     "      text line; without, raw DM/PL bytes: the header runs through its two blanks, and a\n"
     "      line ends at each blank that closes a pen-up move followed by another pen-up move\n"
     "      (so a compiled job splits into its own lines). Ctrl-C stops: pen home, job closed.\n"
     "      Exit 0 when all was sent, 130 when stopped, 1 on a port failure.",
     SendVerb},
    {"process", kProcessUsage.c_str(), ProcessVerb},
};

void printUsage(std::FILE* to) {
  std::fprintf(to, "usage: velmar-cli VERB ARGS...\n");
  for (const Verb& v : kVerbs) std::fprintf(to, "  velmar-cli %s\n", v.usage);
}
}  // namespace

void WriteOutput(const std::string& fileName, const std::string& bytes) {
  if (fileName.empty() || fileName == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write to standard output");
    return;
  }
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + fileName + ": " + std::strerror(errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + fileName + ": " + std::strerror(errno));
}

}  // namespace velmar::cli

int main(int argc, char** argv) {
  using namespace velmar::cli;
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    printUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  const std::vector<std::string> words(argv + 2, argv + argc);
  for (const Verb& verb : kVerbs) {
    if (name != verb.name) continue;
    try {
      return verb.run(words);
    } catch (const UsageError& e) {
      std::fprintf(stderr, "velmar-cli %s: %s\nusage: velmar-cli %s\n", verb.name, e.what(), verb.usage);
      return 2;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmar-cli %s: %s\n", verb.name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "velmar-cli: unknown verb '%s'\n", name.c_str());
  printUsage(stderr);
  return 2;
}
