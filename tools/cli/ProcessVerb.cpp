#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Args.h"
#include "cli/Verbs.h"
#include "imaging/Dither.h"
#include "imaging/Effects.h"
#include "imaging/Tone.h"
#include "workspace/PictureFiles.h"

namespace velmar::cli {

namespace {

// One operation word: its argument's shape (empty for none) and the routine
// it runs with the numbers read from that argument.
struct Operation {
  const char* word;
  const char* routine;
  const char* argument;
  std::vector<std::pair<long, long>> ranges;  // one per number, in order
  std::function<void(Picture&, const std::vector<long>&)> run;
};

int I(long v) { return static_cast<int>(v); }
std::uint8_t B(long v) { return static_cast<std::uint8_t>(v); }

const std::vector<Operation>& Operations() {
  const std::pair<long, long> amount{-100, 100};
  const std::pair<long, long> byte{0, 255};
  static const std::vector<Operation> operations = {
      {"--brightness", "AdjustBrightness", "AMOUNT", {amount}, [](Picture& p, const auto& a) { AdjustBrightness(p, I(a[0])); }},
      {"--contrast", "AdjustContrast", "AMOUNT", {amount}, [](Picture& p, const auto& a) { AdjustContrast(p, I(a[0])); }},
      {"--rgb", "AdjustRGB", "R,G,B", {amount, amount, amount},
       [](Picture& p, const auto& a) { AdjustRGB(p, I(a[0]), I(a[1]), I(a[2])); }},
      {"--gray", "MakeGrayScale", "", {}, [](Picture& p, const auto&) { MakeGrayScale(p); }},
      {"--fs", "DitherFloydSteinberg", "", {}, [](Picture& p, const auto&) { DitherFloydSteinberg(p); }},
      {"--matrix2", "DitherMatrix2x2", "", {}, [](Picture& p, const auto&) { DitherMatrix2x2(p); }},
      {"--matrix3", "DitherMatrix3x3", "", {}, [](Picture& p, const auto&) { DitherMatrix3x3(p); }},
      {"--matrix4", "DitherMatrix4x4", "", {}, [](Picture& p, const auto&) { DitherMatrix4x4(p); }},
      {"--fsmatrix4", "DitherFSMatrix4x4", "", {}, [](Picture& p, const auto&) { DitherFSMatrix4x4(p); }},
      {"--binary", "MakeBinary", "LEVEL:MODE", {byte, byte}, [](Picture& p, const auto& a) { MakeBinary(B(a[0]), B(a[1]), p); }},
      {"--levels", "DitherLevels", "MIN,MAX,DITHER", {byte, byte, byte},
       [](Picture& p, const auto& a) { DitherLevels(p, I(a[0]), I(a[1]), I(a[2])); }},
      {"--blur", "EffectBlur", "", {}, [](Picture& p, const auto&) { EffectBlur(p); }},
      {"--noise-blur", "EffectNoiseBlur", "", {}, [](Picture& p, const auto&) { EffectNoiseBlur(p); }},
      {"--gauss", "EffectGaussBlur", "COUNT", {{0, 10}}, [](Picture& p, const auto& a) { EffectGaussBlur(I(a[0]), p); }},
      {"--fog", "EffectFog", "", {}, [](Picture& p, const auto&) { EffectFog(p); }},
      {"--depth", "EffectColorDepth", "LEVEL", {byte}, [](Picture& p, const auto& a) { EffectColorDepth(B(a[0]), p); }},
      {"--pixelize", "EffectPixelize", "", {}, [](Picture& p, const auto&) { EffectPixelize(p); }},
      {"--sepia", "EffectSepia", "DEPTH", {byte}, [](Picture& p, const auto& a) { EffectSepia(p, I(a[0])); }},
  };
  return operations;
}

// Splits "40", "127:0" or "0,255,255" into its numbers, each in its range.
std::vector<long> ReadNumbers(const Operation& op, const std::string& text) {
  const std::string shape = op.argument;
  const char separator = shape.find(':') != std::string::npos ? ':' : ',';
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 1;
  }
  if (parts.size() != op.ranges.size()) {
    throw UsageError(std::string(op.word) + " takes " + shape + ", not '" + text + "'");
  }
  std::vector<long> numbers;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    numbers.push_back(Args::parseInteger(parts[i], std::string(op.word) + " " + shape, op.ranges[i].first,
                                         op.ranges[i].second));
  }
  return numbers;
}

// Writes the result as a 24-bit BMP.
// Saved as the window saves: JPEG for a .jpg or .jpeg name, BMP otherwise.
void SaveProcessedPicture(const Picture& picture, const std::string& fileName) {
  SavePictureFile(picture, QString::fromLocal8Bit(fileName.c_str()));
}

struct Step {
  const Operation* operation;
  std::vector<long> numbers;
};

}  // namespace

std::string ProcessUsage() {
  std::string text = "process PICTURE -o OUT OPERATION...\n      operations, run in the order given:";
  for (const Operation& op : Operations()) {
    std::string line = std::string("\n        ") + op.word;
    if (*op.argument != '\0') line += std::string(" ") + op.argument;
    line.resize(std::max<std::size_t>(line.size(), 36), ' ');
    text += line + op.routine;
  }
  text +=
      "\n      AMOUNT, R, G, B: -100..100; LEVEL, MODE, MIN, MAX, DITHER, DEPTH: 0..255; COUNT: 0..10";
  return text;
}

int ProcessVerb(const std::vector<std::string>& words) {
  // The words are read in order: an option parser would sort the operations
  // and take "-25" for an option.
  std::string input;
  std::string output;
  bool haveOutput = false;
  std::vector<Step> steps;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--help" || w == "-h") {
      std::printf("usage: velmar-cli %s\n", ProcessUsage().c_str());
      return 0;
    }
    if (w == "-o" || w == "--output") {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a file name");
      if (haveOutput) throw UsageError("only one output file");
      output = words[++i];
      haveOutput = true;
      continue;
    }
    if (w.rfind("--", 0) == 0) {
      const Operation* op = nullptr;
      for (const Operation& candidate : Operations()) {
        if (w == candidate.word) op = &candidate;
      }
      if (op == nullptr) throw UsageError("unknown operation " + w);
      Step step{op, {}};
      if (!op->ranges.empty()) {
        if (i + 1 >= words.size()) throw UsageError(w + " needs " + op->argument);
        step.numbers = ReadNumbers(*op, words[++i]);
      }
      steps.push_back(std::move(step));
      continue;
    }
    if (w.size() > 1 && w[0] == '-') throw UsageError("unknown option " + w);
    if (!input.empty()) throw UsageError("unexpected word '" + w + "' (only one picture)");
    input = w;
  }
  if (input.empty()) throw UsageError("missing PICTURE");
  if (!haveOutput || output.empty()) throw UsageError("missing -o OUT");

  Picture picture = LoadPictureFile(QString::fromLocal8Bit(input.c_str()));
  for (const Step& step : steps) step.operation->run(picture, step.numbers);
  SaveProcessedPicture(picture, output);
  return 0;
}

}  // namespace velmar::cli
