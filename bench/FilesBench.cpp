// Timed program for the picture files and the edit history on a
// 12-megapixel picture. JPEG load and save are measured side by side with
// libjpeg-turbo's own djpeg and cjpeg on the same files, interleaved, and the
// medians compared.
//   velmar_files_bench [DIR]    (DIR: where the scratch files go, default /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QString>
#include <unistd.h>

#include "workspace/History.h"
#include "workspace/PictureFiles.h"

using namespace velmar;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRuns = 7;

double millisecondsOf(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Something like a photo: smooth light, edges and some grain.
Picture photo() {
  Picture p(kWidth, kHeight);
  std::mt19937 random(7);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = p.row(y);
    for (int x = 0; x < kWidth; ++x) {
      const int grain = static_cast<int>(random() % 17) - 8;
      const int edge = ((x / 200 + y / 150) % 2) * 60;
      row[3 * x] = static_cast<std::uint8_t>(std::clamp(x * 200 / kWidth + edge / 2 + grain, 0, 255));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(y * 220 / kHeight + grain, 0, 255));
      row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(120 + edge + grain, 0, 255));
    }
  }
  return p;
}

Picture grey(const Picture& from, bool twoLevels) {
  Picture p(from.width(), from.height());
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) {
      const std::uint8_t* in = from.row(y) + 3 * x;
      int v = (in[0] + in[1] + in[2]) / 3;
      if (twoLevels) v = v > 127 ? 255 : 0;
      std::uint8_t* out = p.row(y) + 3 * x;
      out[0] = out[1] = out[2] = static_cast<std::uint8_t>(v);
    }
  return p;
}

bool have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

void writePpm(const Picture& p, const std::string& name) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  std::fprintf(f, "P6\n%d %d\n255\n", p.width(), p.height());
  std::vector<std::uint8_t> row(static_cast<std::size_t>(p.width()) * 3);
  for (int y = 0; y < p.height(); ++y) {
    const std::uint8_t* in = p.row(y);
    for (int x = 0; x < p.width(); ++x) {
      row[3 * x] = in[3 * x + 2];
      row[3 * x + 1] = in[3 * x + 1];
      row[3 * x + 2] = in[3 * x];
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  std::fclose(f);
}

void compare(const char* what, const std::function<void()>& ours, const std::string& theirs, const char* tool) {
  std::vector<double> a, b;
  ours();
  run(theirs);  // warm both up: page cache, libraries
  for (int i = 0; i < kRuns; ++i) {
    a.push_back(millisecondsOf(ours));
    b.push_back(millisecondsOf([&] { run(theirs); }));
  }
  const double ratio = median(a) / median(b);
  std::printf("%-28s %8.1f ms   %-22s %8.1f ms   ratio %.2f (target <= 1.20) %s\n", what, median(a), tool,
              median(b), ratio, ratio <= 1.2 ? "ok" : "SLOW");
}

void timed(const char* what, const std::function<void()>& work, double limit) {
  std::vector<double> t;
  work();
  for (int i = 0; i < kRuns; ++i) t.push_back(millisecondsOf(work));
  const double m = median(t);
  std::printf("%-28s %8.1f ms   (target < %.0f ms) %s\n", what, m, limit, m < limit ? "ok" : "SLOW");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  const std::string base = dir + "/velmar-bench-" + std::to_string(::getpid());
  const std::string jpg = base + ".jpg", bmp = base + ".bmp", ppm = base + ".ppm";
  const std::string theirJpg = base + "-cjpeg.jpg", ourCopy = base + "-copy.jpg";
  std::printf("picture %d x %d (%.1f megapixels), median of %d runs\n", kWidth, kHeight,
              kWidth * kHeight / 1e6, kRuns);

  const Picture picture = photo();
  SaveJpegFile(picture, QString::fromStdString(jpg));
  writePpm(picture, ppm);

  if (have("djpeg") && have("cjpeg")) {
    Picture loaded;
    compare("JPEG load", [&] { loaded = LoadPictureFile(QString::fromStdString(jpg)); },
            "djpeg -ppm -outfile /dev/null " + jpg, "djpeg");
    compare("JPEG save q100", [&] { SaveJpegFile(picture, QString::fromStdString(ourCopy)); },
            "cjpeg -quality 100 -outfile " + theirJpg + " " + ppm, "cjpeg -quality 100");
  } else {
    std::printf("djpeg/cjpeg not found (Debian libjpeg-turbo-progs): JPEG comparison skipped\n");
  }

  timed("BMP save", [&] { SaveBmpFile(picture, QString::fromStdString(bmp)); }, 150);
  Picture fromBmp;
  timed("BMP load", [&] { fromBmp = LoadPictureFile(QString::fromStdString(bmp)); }, 150);
  if (!(fromBmp == picture)) std::printf("BMP round trip differs!\n");

  const Picture greyPicture = grey(picture, false);
  const Picture binary = grey(picture, true);
  for (const auto& [name, p] : {std::pair{"history commit (colour)", &picture},
                                {"history commit (grey)", &greyPicture},
                                {"history commit (two-level)", &binary}}) {
    EditHistory history;
    history.reset(picture);
    Picture committed;
    timed(name, [&] { history.commit(*p, committed); }, 150);
    std::printf("%-28s %8.1f MB per entry (plain copy %.1f MB)\n", "", 
                (history.memoryBytes() / 1e6 - picture.byteSize() / 1e6) / (history.count() - 1),
                picture.byteSize() / 1e6);
    Picture back;
    timed("  read back an entry", [&] { history.read(history.count() - 1, back); }, 150);
  }

  for (const std::string& f : {jpg, bmp, ppm, theirJpg, ourCopy}) std::remove(f.c_str());
  return 0;
}
