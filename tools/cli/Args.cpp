#include "cli/Args.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace velmar::cli {

Args::Args(std::vector<std::string> words, std::vector<std::string> flags)
    : words_(std::move(words)), flags_(std::move(flags)) {
  for (std::size_t i = 0; i < words_.size(); ++i) {
    const std::string& w = words_[i];
    if (w.size() > 1 && w[0] == '-' && !(w.size() > 1 && (std::isdigit(static_cast<unsigned char>(w[1])) != 0))) {
      std::string name = w;
      if (name == "-o") name = "--output";
      const bool isFlag = std::find(flags_.begin(), flags_.end(), name) != flags_.end();
      if (isFlag) {
        options_[name] = "";
      } else {
        if (i + 1 >= words_.size()) throw UsageError("option " + w + " needs a value");
        options_[name] = words_[++i];
      }
    } else {
      positionals_.push_back(w);
    }
  }
}

std::string Args::positional(std::size_t index, const char* what) const {
  if (index >= positionals_.size()) throw UsageError(std::string("missing ") + what);
  return positionals_[index];
}

bool Args::flag(const std::string& name) const { return options_.count(name) != 0; }

std::optional<std::string> Args::option(const std::string& name) const {
  auto it = options_.find(name);
  if (it == options_.end()) return std::nullopt;
  return it->second;
}

std::string Args::required(const std::string& name) const {
  auto value = option(name);
  if (!value) throw UsageError("missing option " + name);
  return *value;
}

long Args::parseInteger(const std::string& text, const std::string& what, long low, long high) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end == nullptr || *end != '\0' || errno == ERANGE) {
    throw UsageError(what + " must be an integer, not '" + text + "'");
  }
  if (value < low || value > high) {
    throw UsageError(what + " must be from " + std::to_string(low) + " to " + std::to_string(high));
  }
  return value;
}

long Args::integer(const std::string& name, long low, long high) const {
  return parseInteger(required(name), name, low, high);
}

long Args::integerOr(const std::string& name, long fallback, long low, long high) const {
  auto value = option(name);
  if (!value) return fallback;
  return parseInteger(*value, name, low, high);
}

void Args::rejectUnknown(const std::vector<std::string>& known) const {
  for (const auto& [name, value] : options_) {
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      throw UsageError("unknown option " + name);
    }
  }
}

}  // namespace velmar::cli
