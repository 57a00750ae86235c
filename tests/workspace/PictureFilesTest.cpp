#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>

#include "tests/TestPictures.h"
#include "tests/workspace/PicturePrint.h"
#include "tests/workspace/FileFixtures.h"
#include "workspace/PictureFiles.h"
#include "workspace/PictureImage.h"

using namespace velmar;
using namespace velmar::testing;

namespace {

// The picture libjpeg itself gives for the file with RGB output: the oracle
// the loader must match byte for byte.
Picture ReferenceDecode(const std::string& bytes) {
  jpeg_decompress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_RGB;
  jpeg_start_decompress(&c);
  Picture p(static_cast<int>(c.output_width), static_cast<int>(c.output_height));
  std::vector<std::uint8_t> row(c.output_width * 3);
  while (c.output_scanline < c.output_height) {
    const int y = static_cast<int>(c.output_scanline);
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&c, &r, 1);
    for (JDIMENSION x = 0; x < c.output_width; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = row[3 * x + 2];
      px[1] = row[3 * x + 1];
      px[2] = row[3 * x];
    }
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return p;
}

// Mean absolute difference per byte (lossy round trips).
double MeanDifference(const Picture& a, const Picture& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int i = 0; i < a.width() * 3; ++i) sum += std::abs(a.row(y)[i] - b.row(y)[i]);
  return sum / (3.0 * a.width() * a.height());
}

std::string QtBmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "bmp")) throw std::runtime_error("Qt could not write the BMP fixture");
  return bytes.toStdString();
}

// Gradients only: what lossy round trips can be held to closely.
Picture Smooth(int w, int h) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>(40 + x * 4);
      px[1] = static_cast<std::uint8_t>(200 - y * 3);
      px[2] = static_cast<std::uint8_t>(90 + (x + y) * 2);
    }
  return p;
}

int BmpBits(const std::string& file) { return static_cast<unsigned char>(file[28]); }

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
  QString qpath(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)); }
  std::string put(const std::string& name, const std::string& bytes) const {
    WriteFile(path(name), bytes);
    return path(name);
  }
  // The message the loader gives, or "" when it loads.
  static std::string LoadError(const std::string& file) {
    try {
      LoadPictureFile(QString::fromStdString(file));
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  }
  QTemporaryDir dir_;
};

struct BmpCase {
  std::string name;
  std::string bytes;
  int bits;
  Picture expected;
};

std::vector<BmpCase> BmpCases() {
  std::vector<BmpCase> cases;
  const QRgb dark = qRgb(10, 20, 30), light = qRgb(200, 150, 100);
  auto pictureOf = [](const QImage& image) { return PictureFromImage(image.convertToFormat(QImage::Format_RGB32)); };

  {  // 1 bit, two palette colours
    QImage mono(5, 3, QImage::Format_Mono);
    mono.setColorTable({dark, light});
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) mono.setPixel(x, y, (x + y) % 2);
    cases.push_back({"1-bit", QtBmp(mono), 1, pictureOf(mono)});
  }
  {  // 4 bits: Qt writes a palette of up to 16 colours in 4 bits
    QImage four(7, 3, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 16; ++i) table.push_back(qRgb(i * 16, 255 - i * 16, (i * 40) % 256));
    four.setColorTable(table);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) four.setPixel(x, y, static_cast<uint>((x * 3 + y) % 16));
    cases.push_back({"4-bit", QtBmp(four), 4, pictureOf(four)});
  }
  {  // 8 bits, 200 colours
    QImage eight(9, 4, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 200; ++i) table.push_back(qRgb(i, (i * 7) % 256, 255 - i));
    eight.setColorTable(table);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x) eight.setPixel(x, y, static_cast<uint>((x * 23 + y * 51) % 200));
    cases.push_back({"8-bit", QtBmp(eight), 8, pictureOf(eight)});
  }
  {  // 24 bits, odd width (row padding)
    const Picture p = Pattern(13, 5);
    cases.push_back({"24-bit", QtBmp(ImageFromPicture(p)), 24, p});
  }
  const Picture rgbw = MakePicture({{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{255, 255, 255}, {0, 0, 0}, {255, 0, 255}}});
  // Qt widens 5- and 6-bit channels by a plain shift: 31 gives 248, 63 gives 252.
  const Picture rgbw16 = MakePicture({{{248, 0, 0}, {0, 248, 0}, {0, 0, 248}}, {{248, 248, 248}, {0, 0, 0}, {248, 0, 248}}});
  const Picture rgbw565 = MakePicture({{{248, 0, 0}, {0, 252, 0}, {0, 0, 248}}, {{248, 252, 248}, {0, 0, 0}, {248, 0, 248}}});
  {  // 16 bits, 5-5-5
    BmpLayout s{3, 2, 16, 0, false, {}, {}, {}};
    auto px = [](int r, int g, int b) {
      const unsigned v = static_cast<unsigned>((r << 10) | (g << 5) | b);
      return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    s.rows = {px(31, 0, 0) + px(0, 31, 0) + px(0, 0, 31), px(31, 31, 31) + px(0, 0, 0) + px(31, 0, 31)};
    cases.push_back({"16-bit 5-5-5", MakeBmp(s), 16, rgbw16});
  }
  {  // 16 bits, 5-6-5 bit fields
    BmpLayout s{3, 2, 16, 3, false, {}, {0xF800, 0x07E0, 0x001F}, {}};
    auto px = [](int r, int g, int b) {
      const unsigned v = static_cast<unsigned>((r << 11) | (g << 5) | b);
      return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    s.rows = {px(31, 0, 0) + px(0, 63, 0) + px(0, 0, 31), px(31, 63, 31) + px(0, 0, 0) + px(31, 0, 31)};
    cases.push_back({"16-bit 5-6-5", MakeBmp(s), 16, rgbw565});
  }
  {  // 32 bits, B G R and a filler byte
    BmpLayout s{3, 2, 32, 0, false, {}, {}, {}};
    auto px = [](int r, int g, int b) {
      return std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), '\0'};
    };
    s.rows = {px(255, 0, 0) + px(0, 255, 0) + px(0, 0, 255), px(255, 255, 255) + px(0, 0, 0) + px(255, 0, 255)};
    cases.push_back({"32-bit", MakeBmp(s), 32, rgbw});
  }
  {  // 24 bits stored top-down (negative height)
    BmpLayout s{3, 2, 24, 0, true, {}, {}, {}};
    auto px = [](int r, int g, int b) { return std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)}; };
    s.rows = {px(255, 0, 0) + px(0, 255, 0) + px(0, 0, 255), px(255, 255, 255) + px(0, 0, 0) + px(255, 0, 255)};
    cases.push_back({"24-bit top-down", MakeBmp(s), 24, rgbw});
  }
  const std::vector<std::uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  {  // RLE8, bottom row first: a run of four; then three literal pixels
     // (padded to an even count of bytes) and a run of one
    BmpLayout s{4, 2, 8, 1, false, palette, {}, {}};
    s.rows = {std::string("\x04\x01\x00\x00", 4), std::string("\x00\x03\x00\x02\x03\x00\x01\x00\x00\x01", 10)};
    cases.push_back({"RLE8", MakeBmp(s), 8,
                     MakePicture({{{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {255, 0, 0}},
                                  {{0, 255, 0}, {0, 255, 0}, {0, 255, 0}, {0, 255, 0}}})});
  }
  {  // RLE4: one run alternating between two palette entries
    BmpLayout s{4, 1, 4, 2, false, palette, {}, {}};
    s.rows = {std::string("\x04\x13\x00\x01", 4)};
    cases.push_back({"RLE4", MakeBmp(s), 4, MakePicture({{{0, 255, 0}, {255, 255, 255}, {0, 255, 0}, {255, 255, 255}}})});
  }
  return cases;
}

}  // namespace

TEST_F(PictureFiles, BmpVariantsLoadAs24BitAndSurviveASave) {
  for (const BmpCase& c : BmpCases()) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BmpBits(c.bytes), c.bits);
    const std::string file = put("in.bmp", c.bytes);
    Picture loaded;
    ASSERT_NO_THROW(loaded = LoadPictureFile(QString::fromStdString(file)));
    EXPECT_EQ(loaded, c.expected);

    EXPECT_EQ(SavePictureFile(loaded, qpath("out.bmp")), qpath("out.bmp"));
    const std::string saved = ReadFile(path("out.bmp"));
    EXPECT_EQ(BmpBits(saved), 24);
    EXPECT_EQ(saved[30], '\0');  // no compression
    EXPECT_EQ(LoadPictureFile(qpath("out.bmp")), c.expected);
  }
}

TEST_F(PictureFiles, ColourGreyAndProgressiveJpegsDecodeAsLibjpegDoes) {
  const Picture pattern = Smooth(37, 23);  // odd sizes: partial blocks and edge upsampling
  JpegInput colour{37, 23, 3, JCS_RGB, false, 90, RgbSamples(pattern)};
  JpegInput progressive = colour;
  progressive.progressive = true;
  JpegInput grey{37, 23, 1, JCS_GRAYSCALE, false, 90, {}};
  for (int i = 0; i < 37 * 23; ++i) grey.samples.push_back(static_cast<std::uint8_t>((i * 7) % 256));

  for (const auto& [name, input] : {std::pair{"colour", colour}, {"progressive", progressive}, {"grey", grey}}) {
    SCOPED_TRACE(name);
    const std::string bytes = EncodeJpeg(input);
    const Picture loaded = LoadPictureFile(QString::fromStdString(put("in.jpg", bytes)));
    ASSERT_EQ(loaded.width(), 37);
    ASSERT_EQ(loaded.height(), 23);
    EXPECT_EQ(loaded, ReferenceDecode(bytes));
    if (input.components == 3) {
      EXPECT_LT(MeanDifference(loaded, pattern), 2);
    }
  }
}

TEST_F(PictureFiles, GreyJpegGivesEqualChannels) {
  JpegInput grey{16, 8, 1, JCS_GRAYSCALE, false, 100, std::vector<std::uint8_t>(16 * 8, 77)};
  const Picture loaded = LoadPictureFile(QString::fromStdString(put("grey.jpeg", EncodeJpeg(grey))));
  EXPECT_EQ(loaded, Uniform(16, 8, Gray(77)));
}

TEST_F(PictureFiles, AdobeCmykJpegBecomesRgb) {
  // Stored the Adobe way, inverted: 255 means no ink. Left half pure cyan,
  // right half half-strength black.
  JpegInput cmyk{32, 16, 4, JCS_CMYK, false, 100, {}};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      if (x < 16) cmyk.samples.insert(cmyk.samples.end(), {0, 255, 255, 255});
      else cmyk.samples.insert(cmyk.samples.end(), {255, 255, 255, 127});
    }
  const Picture loaded = LoadPictureFile(QString::fromStdString(put("cmyk.jpg", EncodeJpeg(cmyk))));
  ASSERT_EQ(loaded.width(), 32);
  for (int y = 0; y < 16; ++y) {
    for (int x : {0, 7, 15}) {
      const Rgb c = PixelAt(loaded, x, y);
      EXPECT_NEAR(c.r, 0, 2);
      EXPECT_NEAR(c.g, 255, 2);
      EXPECT_NEAR(c.b, 255, 2);
    }
    for (int x : {16, 24, 31}) {
      const Rgb c = PixelAt(loaded, x, y);
      EXPECT_NEAR(c.r, 127, 2);
      EXPECT_NEAR(c.g, 127, 2);
      EXPECT_NEAR(c.b, 127, 2);
    }
  }
}

TEST_F(PictureFiles, FormatComesFromTheContentNotTheName) {
  const std::string jpeg = EncodeJpeg({8, 8, 3, JCS_RGB, false, 90, RgbSamples(Pattern(8, 8))});
  const std::string bmp = QtBmp(ImageFromPicture(Pattern(8, 8)));
  for (const char* name : {"photo.JPG", "photo.bmp", "photo", "photo.Jpeg"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadPictureFile(QString::fromStdString(put(name, jpeg))), ReferenceDecode(jpeg));
  }
  for (const char* name : {"scan.jpg", "scan.JPG", "scan"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadPictureFile(QString::fromStdString(put(name, bmp))), Pattern(8, 8));
  }
}

TEST_F(PictureFiles, BadInputGivesAClearErrorAndNoPicture) {
  const std::string bmp = QtBmp(ImageFromPicture(Pattern(16, 16)));
  const std::string jpeg = EncodeJpeg({64, 64, 3, JCS_RGB, false, 90, RgbSamples(Pattern(64, 64))});
  std::string badPrecision = jpeg;
  const std::size_t sof = badPrecision.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  badPrecision[sof + 4] = 12;  // 12-bit samples: this libjpeg refuses them
  std::string hugeJpeg = jpeg;  // 65000 x 65000 in the frame header, data cut short
  hugeJpeg[sof + 5] = hugeJpeg[sof + 7] = static_cast<char>(65000 >> 8);
  hugeJpeg[sof + 6] = hugeJpeg[sof + 8] = static_cast<char>(65000 & 0xFF);
  BmpLayout hugeLayout{1, 1, 24, 0, false, {}, {}, {std::string(3, '\0')}};
  std::string hugeBmp = MakeBmp(hugeLayout);
  for (int at : {18, 22}) {
    hugeBmp[static_cast<std::size_t>(at)] = static_cast<char>(100000 & 0xFF);
    hugeBmp[static_cast<std::size_t>(at + 1)] = static_cast<char>((100000 >> 8) & 0xFF);
    hugeBmp[static_cast<std::size_t>(at + 2)] = static_cast<char>(100000 >> 16);
  }
  BmpLayout rleLayout{4, 2, 8, 1, false, {0xFF0000, 0x00FF00}, {}, {}};
  rleLayout.rows = {std::string("\x04\x01\x00\x00", 4), std::string("\x04\x00\x00\x01", 4)};
  const std::string rle = MakeBmp(rleLayout);
  ASSERT_EQ(LoadPictureBytes(rle.data(), rle.size()).height(), 2);
  QByteArray pngBytes;
  QBuffer pngBuffer(&pngBytes);
  pngBuffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(ImageFromPicture(Pattern(4, 4)).save(&pngBuffer, "png"));
  const std::string png = pngBytes.toStdString();
  std::string badHeader = bmp;
  badHeader[14] = 7;  // an info header size that no BMP has
  QDir(dir_.path()).mkdir("folder.bmp");

  const std::string notValid = "Bitmap image is not valid";
  struct Case {
    const char* name;
    std::string file;
    std::function<bool(const std::string&)> expected;
  };
  auto is = [](std::string m) { return [m](const std::string& e) { return e == m; }; };
  auto has = [](std::string m) { return [m](const std::string& e) { return e.find(m) != std::string::npos; }; };
  const Case cases[] = {
      {"zero bytes", put("empty.bmp", ""), is(notValid)},
      {"text file", put("notes.bmp", "just some text, not a picture\n"), is(notValid)},
      {"PNG file", put("photo.bmp", png), is(notValid)},
      {"BMP cut in half", put("half.bmp", bmp.substr(0, bmp.size() / 2)), is(notValid)},
      {"RLE BMP without its last codes", put("rle.bmp", rle.substr(0, rle.size() - 2)), is(notValid)},
      {"BMP cut in its header", put("head.bmp", bmp.substr(0, 30)), is(notValid)},
      {"BMP with a broken header", put("broken.bmp", badHeader), is(notValid)},
      {"JPEG cut in half", put("half.jpg", jpeg.substr(0, jpeg.size() / 2)),
       is("JPEG error #" + std::to_string(JWRN_JPEG_EOF))},
      {"JPEG with 12-bit samples", put("twelve.jpg", badPrecision),
       is("JPEG error #" + std::to_string(JERR_BAD_PRECISION))},
      {"JPEG signature only", put("sig.jpg", "\xFF\xD8\xFF"), has("JPEG error #")},
      {"BMP declaring 100000 x 100000", put("huge.bmp", hugeBmp), has("too large to load: 100000 x 100000 pixels")},
      {"JPEG declaring 65000 x 65000", put("huge.jpg", hugeJpeg), has("too large to load: 65000 x 65000 pixels")},
      {"directory", path("folder.bmp"), is("Cannot open file \"" + path("folder.bmp") + "\". Is a directory")},
      {"missing file", path("missing.bmp"), is("Cannot open file \"" + path("missing.bmp") + "\". No such file or directory")},
  };
  for (const Case& c : cases) {
    const std::string error = LoadError(c.file);
    EXPECT_TRUE(c.expected(error)) << c.name << ": " << error;
  }
}

TEST_F(PictureFiles, UnreadableFileIsReportedWithTheSystemsReason) {
  const std::string file = put("secret.bmp", QtBmp(ImageFromPicture(Pattern(4, 4))));
  ASSERT_EQ(::chmod(file.c_str(), 0), 0);
  ASSERT_EQ(::chmod(dir_.path().toLocal8Bit().constData(), 0755), 0);
  const std::string expected = "Cannot open file \"" + file + "\". Permission denied";
  if (::geteuid() != 0) {
    EXPECT_EQ(LoadError(file), expected);
    return;
  }
  // Root reads any file; an unprivileged child process meets the permission
  // check that a user would.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
        std::fprintf(stderr, "%s\n", LoadError(file).c_str());
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "Permission denied");
}

TEST_F(PictureFiles, SizeLimitIsCheckedFromTheHeader) {
  const std::string jpeg = EncodeJpeg({100, 60, 3, JCS_RGB, false, 90, RgbSamples(Pattern(100, 60))});
  const std::string bmp = QtBmp(ImageFromPicture(Pattern(100, 60)));
  for (const std::string& bytes : {jpeg, bmp}) {
    EXPECT_EQ(LoadPictureBytes(bytes.data(), bytes.size(), {6000, 1000}).width(), 100);
    try {
      LoadPictureBytes(bytes.data(), bytes.size(), {5999, 1000});
      ADD_FAILURE() << "a picture above the limit loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "The picture is too large to load: 100 x 60 pixels (the limit is 5999 pixels, 1000 a side)");
    }
    EXPECT_THROW(LoadPictureBytes(bytes.data(), bytes.size(), {100000, 99}), std::runtime_error);
  }
  EXPECT_GE(kMaxPicturePixels, 20000LL * 20000LL);
}

TEST_F(PictureFiles, SaveNameRules) {
  const Picture picture = Pattern(20, 10);
  QDir(dir_.path()).mkdir("a.b");
  struct Case {
    std::string chosen;
    std::string written;
    bool jpeg;
  };
  const Case cases[] = {
      {"out", "out.bmp", false},        {"out.bmp", "out.bmp", false},   {"out.jpeg", "out.jpeg", true},
      {"out.jpg", "out.jpg", true},     {"out.JPG", "out.JPG", true},    {"out.Jpeg", "out.Jpeg", true},
      {"out.png", "out.png", false},    {"out.plt", "out.plt", false},   {"a.b/out", "a.b/out.bmp", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    const QString written = SavePictureFile(picture, qpath(c.chosen));
    EXPECT_EQ(written, qpath(c.written));
    const std::string bytes = ReadFile(path(c.written));
    ASSERT_GE(bytes.size(), 3u);
    if (c.jpeg) {
      EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF");
    } else {
      EXPECT_EQ(bytes.substr(0, 2), "BM");
      EXPECT_EQ(LoadPictureFile(written), picture);
    }
    QFile::remove(written);
  }
  EXPECT_FALSE(QFile::exists(qpath("out")));
}

TEST_F(PictureFiles, JpegIsSavedAtQuality100Baseline) {
  const Picture picture = Smooth(40, 24);
  SavePictureFile(picture, qpath("q.jpg"));
  const std::string bytes = ReadFile(path("q.jpg"));
  // The same bytes as libjpeg's own encoder gives for RGB input at quality
  // 100 with its defaults.
  EXPECT_EQ(bytes, EncodeJpeg({40, 24, 3, JCS_RGB, false, 100, RgbSamples(picture)}));

  jpeg_decompress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&c, TRUE);
  EXPECT_FALSE(c.progressive_mode);
  EXPECT_FALSE(c.arith_code);
  for (int t = 0; t < 2; ++t)
    for (int i = 0; i < DCTSIZE2; ++i) EXPECT_EQ(c.quant_tbl_ptrs[t]->quantval[i], 1);
  jpeg_destroy_decompress(&c);
  EXPECT_LT(MeanDifference(LoadPictureFile(qpath("q.jpg")), picture), 1);
}

TEST_F(PictureFiles, SaveErrorsNameTheFile) {
  const Picture picture = Pattern(4, 4);
  QDir(dir_.path()).mkdir("taken.jpg");
  struct Case {
    std::string chosen;
    std::string message;
  };
  const Case cases[] = {
      {path("nowhere/out.bmp"), "Cannot create file \"" + path("nowhere/out.bmp") + "\". No such file or directory"},
      {path("nowhere/out.jpg"), "Cannot create file \"" + path("nowhere/out.jpg") + "\". No such file or directory"},
      {path("taken.jpg"), "Cannot create file \"" + path("taken.jpg") + "\". Is a directory"},
  };
  for (const Case& c : cases) {
    try {
      SavePictureFile(picture, QString::fromStdString(c.chosen));
      ADD_FAILURE() << c.chosen << " was written";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  EXPECT_THROW(SavePictureFile(Picture(), qpath("empty.bmp")), std::runtime_error);
  EXPECT_FALSE(QFile::exists(qpath("empty.bmp")));
}

TEST(PictureFileNames, ExtensionAndProposedNames) {
  const std::pair<const char*, const char*> extensions[] = {
      {"C:\\img\\cat.photo.jpg", ".jpg"}, {"C:\\img.d\\cat", ""},  {"/home/u/img.d/cat", ""},
      {"/home/u/cat.JPG", ".JPG"},         {"cat.", "."},           {"cat", ""},
      {"Файл не загружен", ""},            {"/a/снимок.jpeg", ".jpeg"},
  };
  for (auto [name, extension] : extensions) EXPECT_EQ(FileExtension(QString::fromUtf8(name)), QString::fromUtf8(extension)) << name;

  EXPECT_TRUE(IsJpegExtension(".jpg"));
  EXPECT_TRUE(IsJpegExtension(".JPEG"));
  EXPECT_FALSE(IsJpegExtension(".jpe"));
  EXPECT_FALSE(IsJpegExtension(""));

  EXPECT_EQ(ProposedPictureName(kNoFileLoaded), QStringLiteral("Файл не загружен.bmp"));
  EXPECT_EQ(ProposedPlotName(kNoFileLoaded), QStringLiteral("Файл не загружен.plt"));
  EXPECT_EQ(ProposedPictureName("/pictures/a.b.jpg"), "a.b.bmp");
  EXPECT_EQ(ProposedPictureName("C:\\img\\cat.jpg"), "cat.bmp");
  EXPECT_EQ(ProposedPlotName("/any/where/photo.jpeg"), "photo.plt");
  EXPECT_EQ(ProposedPlotName("/pictures/a.b.bmp"), "a.b.plt");
  EXPECT_EQ(ProposedPlotName("/pictures.d/scan"), "scan.plt");
}

TEST(PictureFileNames, StatusText) {
  EXPECT_EQ(PictureStatusText("/home/u/кот.bmp", 640, 480),
            QString::fromUtf8("  \"/home/u/кот.bmp\", 640 на 480 точек."));
}
