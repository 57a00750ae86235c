#include <QString>

#include "cli/Args.h"
#include "cli/Verbs.h"
#include "job/DmplJob.h"
#include "workspace/PictureFiles.h"

namespace velmar::cli {

int CompileVerb(const std::vector<std::string>& words) {
  Args args(words, {"--lines"});
  args.rejectUnknown({"--pixel", "--passes", "--output", "--lines"});
  const std::string input = args.positional(0, "PICTURE");
  if (args.positionals().size() > 1) throw UsageError("only one picture can be compiled at a time");
  const int pixel = static_cast<int>(args.integer("--pixel", 1, 100));
  const int passes = static_cast<int>(args.integer("--passes", 1, 255));

  const Picture picture = LoadPictureFile(QString::fromLocal8Bit(input.c_str()));
  const JobText job = CompileDmpl(picture, pixel, passes);
  WriteOutput(args.option("--output").value_or("-"), job.joined(args.flag("--lines") ? "\n" : ""));
  return 0;
}

}  // namespace velmar::cli
