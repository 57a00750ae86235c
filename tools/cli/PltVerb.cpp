#include <QFile>
#include <QString>
#include <cstdio>

#include "cli/Args.h"
#include "cli/Verbs.h"
#include "job/HpglJob.h"
#include "job/PlotFile.h"
#include "workspace/PictureFiles.h"

namespace velmar::cli {

int PltVerb(const std::vector<std::string>& words) {
  Args args(words, {});
  args.rejectUnknown({"--pixel", "--passes", "--output"});
  const std::string input = args.positional(0, "PICTURE");
  if (args.positionals().size() > 1) throw UsageError("only one picture can be exported at a time");
  const int pixel = static_cast<int>(args.integer("--pixel", 1, 100));
  const int passes = static_cast<int>(args.integer("--passes", 1, 255));
  const std::string chosen = args.required("--output");

  const Picture picture = LoadPictureFile(QFile::decodeName(input.c_str()));
  const JobText items = CompileHpgl(picture, pixel, passes);
  const std::string written = SavePlotFile(items, chosen);
  std::printf("%s\n", written.c_str());
  return 0;
}

}  // namespace velmar::cli
