#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmar::cli {

// A usage error: printed with the verb's usage line, exit code 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Command-line words after the verb: positionals, and options of the form
// "--name value" or "--flag". Options that take no value are listed up front
// so that "--lines FILE" is not read as a value.
class Args {
 public:
  Args(std::vector<std::string> words, std::vector<std::string> flags);

  const std::vector<std::string>& positionals() const { return positionals_; }
  std::string positional(std::size_t index, const char* what) const;

  bool flag(const std::string& name) const;
  std::optional<std::string> option(const std::string& name) const;
  std::string required(const std::string& name) const;
  long integer(const std::string& name, long low, long high) const;
  long integerOr(const std::string& name, long fallback, long low, long high) const;

  // The raw words in order, for verbs that read a sequence of operations.
  const std::vector<std::string>& words() const { return words_; }

  // Fails on an option that no verb asked about.
  void rejectUnknown(const std::vector<std::string>& known) const;

  static long parseInteger(const std::string& text, const std::string& what, long low, long high);

 private:
  std::vector<std::string> words_;
  std::vector<std::string> positionals_;
  std::map<std::string, std::string> options_;
  std::vector<std::string> flags_;
};

}  // namespace velmar::cli
