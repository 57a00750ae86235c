#pragma once

// Small picture files built in code: BMP bytes written field by field (for
// the variants Qt's writer does not make: 16- and 32-bit, RLE, top-down) and
// JPEG files encoded through libjpeg.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/Picture.h"

namespace velmar::testing {

inline void PutLe(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

struct BmpLayout {
  int width = 0;
  int height = 0;  // rows in `rows`, top row first
  int bits = 24;
  std::uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  bool topDown = false;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // bit fields: red, green, blue
  // Plain files: the bytes of each row without padding, top row first.
  // RLE files: the whole encoded stream in file order.
  std::vector<std::string> rows;
};

// A Windows BMP with a 40-byte info header.
inline std::string MakeBmp(const BmpLayout& b) {
  std::string pixels;
  const bool rle = b.compression == 1 || b.compression == 2;
  if (rle) {
    for (const std::string& r : b.rows) pixels += r;
  } else {
    const std::size_t stride = (static_cast<std::size_t>(b.width) * b.bits + 31) / 32 * 4;
    for (int i = 0; i < b.height; ++i) {
      const std::string& r = b.rows[static_cast<std::size_t>(b.topDown ? i : b.height - 1 - i)];
      std::string row = r;
      row.resize(stride, '\0');
      pixels += row;
    }
  }
  std::string info;
  PutLe(info, 40, 4);
  PutLe(info, static_cast<std::uint32_t>(b.width), 4);
  PutLe(info, static_cast<std::uint32_t>(b.topDown ? -b.height : b.height), 4);
  PutLe(info, 1, 2);
  PutLe(info, static_cast<std::uint32_t>(b.bits), 2);
  PutLe(info, b.compression, 4);
  PutLe(info, static_cast<std::uint32_t>(pixels.size()), 4);
  PutLe(info, 2835, 4);
  PutLe(info, 2835, 4);
  PutLe(info, static_cast<std::uint32_t>(b.palette.size()), 4);
  PutLe(info, 0, 4);
  for (std::uint32_t m : b.masks) PutLe(info, m, 4);
  for (std::uint32_t c : b.palette) PutLe(info, c, 4);
  std::string file = "BM";
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size());
  PutLe(file, static_cast<std::uint32_t>(offset + pixels.size()), 4);
  PutLe(file, 0, 4);
  PutLe(file, offset, 4);
  return file + info + pixels;
}

struct JpegInput {
  int width = 0;
  int height = 0;
  int components = 3;  // 1 grey, 3 RGB, 4 CMYK
  J_COLOR_SPACE colorSpace = JCS_RGB;
  bool progressive = false;
  int quality = 90;
  std::vector<std::uint8_t> samples;  // width * height * components, top row first
};

inline std::string EncodeJpeg(const JpegInput& s) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(s.width);
  cinfo.image_height = static_cast<JDIMENSION>(s.height);
  cinfo.input_components = s.components;
  cinfo.in_color_space = s.colorSpace;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, s.quality, TRUE);
  if (s.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.components);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(s.samples.data() + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

// RGB samples of a picture (for encoding it).
inline std::vector<std::uint8_t> RgbSamples(const Picture& p) {
  std::vector<std::uint8_t> out;
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) {
      const std::uint8_t* px = p.row(y) + 3 * x;
      out.insert(out.end(), {px[2], px[1], px[0]});
    }
  return out;
}

// A colourful test picture with smooth and sharp parts.
inline Picture Pattern(int w, int h) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
      px[1] = static_cast<std::uint8_t>(y * 255 / (h > 1 ? h - 1 : 1));
      px[2] = static_cast<std::uint8_t>(((x / 4 + y / 4) % 2) ? 220 : 30);
    }
  return p;
}

inline void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write fixture " + name);
}

inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velmar::testing
