#pragma once

#include <string>
#include <vector>

namespace velmar::cli {

// One verb of velmar-cli. run() gets the words after the verb and returns
// the exit code; it throws UsageError for bad arguments and any
// std::exception for failures, which the dispatcher reports on stderr.
struct Verb {
  const char* name;
  const char* usage;
  int (*run)(const std::vector<std::string>& words);
};

int CompileVerb(const std::vector<std::string>& words);
int PltVerb(const std::vector<std::string>& words);
int ConvertVerb(const std::vector<std::string>& words);
int SendVerb(const std::vector<std::string>& words);
int ProcessVerb(const std::vector<std::string>& words);

// The process verb's usage with its list of operations.
std::string ProcessUsage();

// Writes bytes to the named file, or to standard output for "-" or no name.
void WriteOutput(const std::string& fileName, const std::string& bytes);

}  // namespace velmar::cli
