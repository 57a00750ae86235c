// libFuzzer target for the picture loader: any bytes go through the same
// entry point that a file's bytes take. A clear error is a pass; a crash, a
// sanitizer report, a leak or a hang is a finding.
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "workspace/PictureFiles.h"

namespace {
// Small enough that a header declaring the largest allowed picture still
// decodes in well under a second; the code paths are the same.
const velmar::PictureLimits kFuzzLimits{2'000'000, 4096};

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool installed = (qInstallMessageHandler(quiet), true);
  (void)installed;
  try {
    const velmar::Picture picture = velmar::LoadPictureBytes(data, size, kFuzzLimits);
    // Touch every byte so that a short buffer shows up under the sanitizer.
    unsigned sum = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width() * 3; ++x) sum += picture.row(y)[x];
    volatile unsigned sink = sum;
    (void)sink;
  } catch (const std::runtime_error&) {
  }
  return 0;
}
