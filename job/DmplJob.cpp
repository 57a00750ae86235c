#include "job/DmplJob.h"

#include <charconv>
#include <cstring>
#include <string>

#include "job/Commands.h"

namespace velmar {

void DmplLineWriter::header() {
  std::string line(DmplHeader);
  line += ' ';
  job_.addLine(line);
}

void DmplLineWriter::run(std::int64_t y, std::int64_t xs, std::int64_t xe) {
  // Four moves of at most 1 + 20 + 1 + 20 + 1 characters each.
  char* const begin = job_.beginLine(4 * 43);
  char yText[24];
  char* const yEnd = std::to_chars(yText, yText + sizeof yText, y).ptr;
  const std::size_t yLength = static_cast<std::size_t>(yEnd - yText);
  char* p = begin;
  auto move = [&](char pen, std::int64_t x) {
    *p++ = pen;
    std::memcpy(p, yText, yLength);
    p += yLength;
    *p++ = ',';
    p = std::to_chars(p, p + 20, x).ptr;
    *p++ = ' ';
  };
  move(DmplPenUp[0], xs);
  move(DmplPenDown[0], xs);
  move(DmplPenDown[0], xe);
  move(DmplPenUp[0], xe);
  job_.commitLine(p);
}

void DmplLineWriter::closing() {
  job_.addLine("U0,10000 ");
  job_.addLine("U0,0 ");
  std::string trailer(DmplTrailer);
  trailer += "  ";
  job_.addLine(trailer);
}

}  // namespace velmar
