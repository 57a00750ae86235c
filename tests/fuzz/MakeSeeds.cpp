// Writes a small starting corpus for the loader fuzzer: one tiny file of each
// kind the loader knows.
#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <string>

#include "tests/workspace/FileFixtures.h"
#include "workspace/PictureImage.h"

using namespace velmar::testing;

namespace {
std::string qtBmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "bmp");
  return bytes.toStdString();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const velmar::Picture picture = Pattern(8, 6);
  const QImage colour = velmar::ImageFromPicture(picture);
  WriteFile(dir + "/rgb24.bmp", qtBmp(colour));
  WriteFile(dir + "/mono.bmp", qtBmp(colour.convertToFormat(QImage::Format_Mono)));
  WriteFile(dir + "/indexed.bmp", qtBmp(colour.convertToFormat(QImage::Format_Indexed8)));
  BmpLayout rle{4, 2, 8, 1, false, {0xFF0000, 0x00FF00, 0x0000FF}, {}, {}};
  rle.rows = {std::string("\x04\x01\x00\x00", 4), std::string("\x00\x03\x00\x02\x01\x00\x01\x00\x00\x01", 10)};
  WriteFile(dir + "/rle8.bmp", MakeBmp(rle));
  BmpLayout fields{2, 2, 16, 3, true, {}, {0xF800, 0x07E0, 0x001F}, {std::string("\x00\xF8\xE0\x07", 4), std::string("\x1F\x00\xFF\xFF", 4)}};
  WriteFile(dir + "/rgb565-topdown.bmp", MakeBmp(fields));

  WriteFile(dir + "/colour.jpg", EncodeJpeg({8, 6, 3, JCS_RGB, false, 75, RgbSamples(picture)}));
  WriteFile(dir + "/progressive.jpg", EncodeJpeg({8, 6, 3, JCS_RGB, true, 75, RgbSamples(picture)}));
  WriteFile(dir + "/grey.jpg", EncodeJpeg({8, 6, 1, JCS_GRAYSCALE, false, 75, std::vector<std::uint8_t>(48, 100)}));
  WriteFile(dir + "/cmyk.jpg", EncodeJpeg({8, 8, 4, JCS_CMYK, false, 75, std::vector<std::uint8_t>(256, 200)}));
  return 0;
}
