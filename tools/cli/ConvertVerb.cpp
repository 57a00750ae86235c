#include <QFile>
#include <QString>
#include <cstdio>

#include "cli/Args.h"
#include "cli/Verbs.h"
#include "workspace/PictureFiles.h"

namespace velmar::cli {

int ConvertVerb(const std::vector<std::string>& words) {
  Args args(words, {});
  args.rejectUnknown({"--output"});
  const std::string input = args.positional(0, "PICTURE");
  if (args.positionals().size() > 1) throw UsageError("only one picture can be converted at a time");
  const std::string chosen = args.required("--output");

  const Picture picture = LoadPictureFile(QFile::decodeName(input.c_str()));
  const QString written = SavePictureFile(picture, QFile::decodeName(chosen.c_str()));
  std::printf("%s: %d x %d\n", QFile::encodeName(written).constData(), picture.width(), picture.height());
  return 0;
}

}  // namespace velmar::cli
