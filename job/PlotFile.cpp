#include "job/PlotFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace velmar {

namespace {
std::string fileError(const char* what, const std::string& name, int error) {
  return std::string(what) + " \"" + name + "\". " + std::strerror(error != 0 ? error : EIO);
}
}  // namespace

std::string_view NameExtension(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  if (slash != std::string_view::npos && dot < slash) return {};
  return name.substr(dot);
}

std::string PlotFileName(std::string_view chosenName) {
  std::string name(chosenName);
  if (NameExtension(chosenName).empty()) name += ".plt";
  return name;
}

void WritePlotFile(const JobText& items, const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error(fileError("Cannot create file", fileName, errno));
  // Large jobs are millions of short items: one big stdio buffer keeps the
  // number of write calls small.
  std::setvbuf(file, nullptr, _IOFBF, 1 << 20);
  bool ok = true;
  for (std::size_t i = 0; i < items.lineCount() && ok; ++i) {
    const std::string_view item = items.line(i);
    ok = std::fwrite(item.data(), 1, item.size(), file) == item.size() && std::fwrite("\r\n", 1, 2, file) == 2;
  }
  int error = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) throw std::runtime_error(fileError("Cannot write file", fileName, error));
}

std::string SavePlotFile(const JobText& items, std::string_view chosenName) {
  std::string name = PlotFileName(chosenName);
  WritePlotFile(items, name);
  return name;
}

}  // namespace velmar
