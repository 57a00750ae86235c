#include "job/HpglJob.h"

#include <charconv>
#include <cstring>

#include "job/Commands.h"

namespace velmar {

void HpglLineWriter::header() { job_.addLine(HpglHeader); }

void HpglLineWriter::run(std::int64_t y, std::int64_t xs, std::int64_t xe) {
  // Four commands of at most 2 + 20 + 1 + 20 + 1 characters, CR LF between.
  char* const begin = job_.beginLine(4 * 44 + 3 * 2);
  char yText[24];
  char* const yEnd = std::to_chars(yText, yText + sizeof yText, y).ptr;
  const std::size_t yLength = static_cast<std::size_t>(yEnd - yText);
  char* p = begin;
  auto command = [&](std::string_view pen, std::int64_t x) {
    std::memcpy(p, pen.data(), 2);
    p += 2;
    std::memcpy(p, yText, yLength);
    p += yLength;
    *p++ = ' ';
    p = std::to_chars(p, p + 20, x).ptr;
    *p++ = ';';
  };
  auto lineBreak = [&] {
    *p++ = '\r';
    *p++ = '\n';
  };
  command(HpglPenUp, xs);
  lineBreak();
  command(HpglPenDown, xs);
  lineBreak();
  command(HpglPenDown, xe);
  lineBreak();
  command(HpglPenUp, xe);
  job_.commitLine(p);
}

void HpglLineWriter::closing() {
  job_.addLine(HpglLineType);
  job_.addLine(HpglPenOff);
}

}  // namespace velmar
