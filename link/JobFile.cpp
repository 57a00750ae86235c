#include "link/JobFile.h"

namespace velmar {

JobText JobFromTextLines(std::string_view text) {
  JobText job;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    const bool lastWithoutEnd = end == std::string_view::npos;
    if (lastWithoutEnd) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    job.addLine(line);
    begin = end + 1;
  }
  job.finish();
  return job;
}

JobText JobFromRawDmpl(std::string_view bytes) {
  JobText job;
  std::size_t lineBegin = 0;
  if (bytes.substr(0, 2) == ";:") {
    const std::size_t blanks = bytes.find("  ");
    lineBegin = blanks == std::string_view::npos ? bytes.size() : blanks + 2;
    job.addLine(bytes.substr(0, lineBegin));
  }
  std::size_t moveBegin = lineBegin;
  for (std::size_t i = lineBegin; i < bytes.size(); ++i) {
    if (bytes[i] != ' ') continue;
    const bool closesPenUp = i > moveBegin && bytes[moveBegin] == 'U';
    if (closesPenUp && i + 1 < bytes.size() && bytes[i + 1] == 'U') {
      job.addLine(bytes.substr(lineBegin, i + 1 - lineBegin));
      lineBegin = i + 1;
    }
    moveBegin = i + 1;
  }
  if (lineBegin < bytes.size()) job.addLine(bytes.substr(lineBegin));
  job.finish();
  return job;
}

}  // namespace velmar
