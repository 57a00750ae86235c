#include "workspace/PictureFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "job/PlotFile.h"
#include "workspace/PictureImage.h"

namespace velmar {

namespace {

const char kNotBitmap[] = "Bitmap image is not valid";

// A progressive JPEG may hold any number of scans, and every scan costs a
// pass over the whole picture; real files have about ten. A few hundred
// tiny scans are how a small file keeps the decoder busy for minutes.
constexpr int kMaxJpegScans = 500;

[[noreturn]] void fail(const std::string& message) { throw std::runtime_error(message); }

std::string fileError(const char* what, const QString& name, int error) {
  return std::string(what) + " \"" + name.toStdString() + "\". " + std::strerror(error);
}

void checkPictureSize(std::int64_t width, std::int64_t height, const PictureLimits& limits) {
  if (width <= limits.maxSide && height <= limits.maxSide && width * height <= limits.maxPixels) return;
  fail("The picture is too large to load: " + std::to_string(width) + " x " + std::to_string(height) +
       " pixels (the limit is " + std::to_string(limits.maxPixels) + " pixels, " +
       std::to_string(limits.maxSide) + " a side)");
}

bool startsAsJpeg(const unsigned char* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// ---------------------------------------------------------------- files in

// The bytes of a file, read into memory. (Not mapped: a file that another
// program shortens while it is decoded would then end the program.)
class FileBytes {
 public:
  explicit FileBytes(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail(fileError("Cannot open file", name, errno));
    try {
      load(fd, name);
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() = default;

  const unsigned char* data() const { return copy_.data(); }
  std::size_t size() const { return size_; }

 private:
  void load(int fd, const QString& name) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) fail(fileError("Cannot open file", name, errno));
    if (S_ISDIR(st.st_mode)) fail(fileError("Cannot open file", name, EISDIR));
    // One byte more than the file holds, so that the end shows without a
    // second buffer; pipes and devices grow it as they go.
    copy_.resize(S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536);
    std::size_t used = 0;
    for (;;) {
      if (used == copy_.size()) copy_.resize(copy_.size() * 2);
      const ssize_t n = ::read(fd, copy_.data() + used, copy_.size() - used);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(fileError("Cannot read file", name, errno));
      }
      used += static_cast<std::size_t>(n);
    }
    copy_.resize(used);
    size_ = used;
  }

  std::size_t size_ = 0;
  std::vector<unsigned char> copy_;
};

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
  jpeg_error_mgr pub;  // first, so that cinfo->err points at the whole
  std::jmp_buf jump;
  int code;
  bool tooManyScans;
};

void onJpegError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  errors->code = errors->pub.msg_code;
  std::longjmp(errors->jump, 1);
}

// Warnings that mean part of the picture is missing or damaged: libjpeg
// would fill it in with grey or noise and report success. Those files are
// refused like any other broken file. Harmless oddities (extra bytes between
// markers, an unknown JFIF revision) still load.
bool isDamage(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
      return true;
    default:
      return false;
  }
}

void onJpegMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace output
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  if (isDamage(errors->pub.msg_code)) {
    errors->code = errors->pub.msg_code;
    std::longjmp(errors->jump, 1);
  }
  ++errors->pub.num_warnings;
}

struct JpegScanLimit {
  jpeg_progress_mgr pub;
  JpegErrors* errors;
};

void onJpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxJpegScans) {
    auto* limit = reinterpret_cast<JpegScanLimit*>(cinfo->progress);
    limit->errors->tooManyScans = true;
    std::longjmp(limit->errors->jump, 1);
  }
}

std::uint8_t mulDiv255(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Adobe's convention, used by practically every CMYK JPEG: the samples are
// stored inverted, so 255 means no ink. Without the Adobe marker they are
// taken as plain ink amounts.
void cmykRowToBgr(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = mulDiv255(y, k);
    out[1] = mulDiv255(m, k);
    out[2] = mulDiv255(c, k);
  }
}

enum class JpegOutcome { ok, decoderError, tooManyScans, tooLarge };

struct JpegResult {
  JpegOutcome outcome = JpegOutcome::ok;
  int code = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// Decodes into *out. Everything between setjmp and the end of the decode is
// plain C calls and objects without destructors, so a longjmp from libjpeg
// skips nothing; the picture lives in the caller's frame.
void decodeJpeg(const unsigned char* data, std::size_t size, const PictureLimits& limits, Picture* out,
                JpegResult* result) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);  // so that destroying a half-made decoder is a no-op
  JpegErrors errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = onJpegError;
  errors.pub.emit_message = onJpegMessage;
  errors.code = 0;
  errors.tooManyScans = false;
  JpegScanLimit scanLimit;
  scanLimit.pub.progress_monitor = onJpegProgress;
  scanLimit.errors = &errors;

  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    result->outcome = errors.tooManyScans ? JpegOutcome::tooManyScans : JpegOutcome::decoderError;
    result->code = errors.code;
    return;
  }

  jpeg_create_decompress(&cinfo);
  cinfo.progress = &scanLimit.pub;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);

  result->width = cinfo.image_width;
  result->height = cinfo.image_height;
  if (cinfo.image_width > static_cast<JDIMENSION>(limits.maxSide) ||
      cinfo.image_height > static_cast<JDIMENSION>(limits.maxSide) ||
      static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height > limits.maxPixels) {
    jpeg_destroy_decompress(&cinfo);
    result->outcome = JpegOutcome::tooLarge;
    return;
  }

  // Full size, accurate integer DCT and fancy upsampling are libjpeg's
  // defaults; asked for explicitly so that nothing else can change them.
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // Blue, green, red is the picture's own byte order: libjpeg writes the
  // pixels straight into the rows, with no swap afterwards.
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);

  const JDIMENSION width = cinfo.output_width;
  const JDIMENSION height = cinfo.output_height;
  try {
    out->resize(static_cast<int>(width), static_cast<int>(height));
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }

  if (cmyk) {
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                 width * 4, 1);
    const bool inverted = cinfo.saw_Adobe_marker != 0;
    while (cinfo.output_scanline < height) {
      const JDIMENSION y = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, line, 1) != 1) continue;
      cmykRowToBgr(line[0], out->row(static_cast<int>(y)), width, inverted);
    }
  } else {
    constexpr JDIMENSION kBatch = 16;
    JSAMPROW rows[kBatch];
    while (cinfo.output_scanline < height) {
      const JDIMENSION y = cinfo.output_scanline;
      const JDIMENSION n = std::min(kBatch, height - y);
      for (JDIMENSION i = 0; i < n; ++i) rows[i] = out->row(static_cast<int>(y + i));
      jpeg_read_scanlines(&cinfo, rows, n);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  result->outcome = JpegOutcome::ok;
}

Picture loadJpeg(const unsigned char* data, std::size_t size, const PictureLimits& limits) {
  Picture picture;
  JpegResult result;
  decodeJpeg(data, size, limits, &picture, &result);
  switch (result.outcome) {
    case JpegOutcome::ok:
      return picture;
    case JpegOutcome::tooLarge:
      checkPictureSize(result.width, result.height, limits);
      break;
    case JpegOutcome::tooManyScans:
      fail("JPEG file has too many scans (more than " + std::to_string(kMaxJpegScans) + ")");
    case JpegOutcome::decoderError:
      break;
  }
  fail("JPEG error #" + std::to_string(result.code));
}

// ---------------------------------------------------------------- BMP

std::uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Qt's BMP reader refuses pictures of more than 16384 x 16384 pixels.
constexpr std::int64_t kMaxBmpPixels = 16384LL * 16384LL;

// The few header fields the loader checks before Qt reads the file.
struct BmpHeader {
  std::int64_t dataOffset = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows stored top-down
  std::int64_t bits = 0;
  std::uint32_t compression = 0;
};

bool readBmpHeader(const unsigned char* d, std::size_t n, BmpHeader* header) {
  if (n < 26 || d[0] != 'B' || d[1] != 'M') return false;
  header->dataOffset = le32(d + 10);
  const std::uint32_t headerSize = le32(d + 14);
  if (headerSize == 12) {
    header->width = le16(d + 18);
    header->height = le16(d + 20);
    header->bits = le16(d + 24);
    header->compression = 0;
    return true;
  }
  if (headerSize >= 40 && n >= 34) {
    header->width = static_cast<std::int32_t>(le32(d + 18));
    header->height = static_cast<std::int32_t>(le32(d + 22));
    header->bits = le16(d + 28);
    header->compression = le32(d + 30);
    return true;
  }
  return false;
}

// Qt's reader fills the rows that a short uncompressed file lacks with black
// and reports success. The header says how many bytes of pixels follow, so a
// truncated file is caught here.
bool uncompressedBmpIsShort(const BmpHeader& h, std::size_t n) {
  constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
  if (h.compression != kRgb && h.compression != kBitFields && h.compression != kAlphaBitFields) return false;
  if (h.width <= 0 || h.height == 0 || h.bits <= 0 || h.bits > 32) return false;
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  const std::int64_t stride = (h.width * h.bits + 31) / 32 * 4;
  // The last row's padding is often left out by writers; do not insist on it.
  const std::int64_t needed = h.dataOffset + stride * (rows - 1) + (h.width * h.bits + 7) / 8;
  return needed > static_cast<std::int64_t>(n);
}

// The same for run-length files, where Qt stops at the end of the data and
// keeps what it has. The stream is walked code by code (no pixel is
// decoded): it must reach its end-of-picture code, or at least the end of
// its last row, before the file ends.
bool rleBmpIsShort(const BmpHeader& h, const unsigned char* d, std::size_t n) {
  constexpr std::uint32_t kRle8 = 1, kRle4 = 2;
  if (h.compression != kRle8 && h.compression != kRle4) return false;
  if (h.dataOffset < 0 || static_cast<std::size_t>(h.dataOffset) >= n) return true;
  const std::int64_t rows = h.height < 0 ? -h.height : h.height;
  std::int64_t rowsDone = 0;
  std::size_t i = static_cast<std::size_t>(h.dataOffset);
  while (i + 1 < n) {
    const unsigned count = d[i], code = d[i + 1];
    i += 2;
    if (count != 0) continue;  // a run: count pixels of one value
    if (code == 0) {           // end of row
      ++rowsDone;
    } else if (code == 1) {    // end of picture
      return false;
    } else if (code == 2) {    // move right and down
      if (i + 1 >= n) return true;
      rowsDone += d[i + 1];
      i += 2;
    } else {                   // literal pixels, padded to an even byte count
      const std::size_t bytes = h.compression == kRle8 ? code : (code + 1) / 2;
      i += bytes + (bytes & 1);
    }
  }
  return rowsDone < rows;
}

Picture loadBmp(const unsigned char* data, std::size_t size, const PictureLimits& limits) {
  PictureLimits bmpLimits = limits;
  bmpLimits.maxPixels = std::min(limits.maxPixels, kMaxBmpPixels);
  BmpHeader header;
  const bool known = readBmpHeader(data, size, &header);
  if (known) {
    // Said before Qt looks, so that a huge picture gets this message rather
    // than Qt's plain refusal.
    checkPictureSize(header.width, header.height < 0 ? -header.height : header.height, bmpLimits);
  }
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) fail(kNotBitmap);
  QImageReader reader(&buffer, "bmp");
  // Only the BMP reader: a PNG or GIF is not a bitmap, whatever Qt could
  // make of it.
  reader.setDecideFormatFromContent(false);
  reader.setAutoDetectImageFormat(false);
  // Qt gives a top-down file's height as negative.
  const QSize asRead = reader.size();
  const QSize declared(std::abs(asRead.width()), std::abs(asRead.height()));
  if (asRead.width() == -1 || declared.isEmpty()) fail(kNotBitmap);
  checkPictureSize(declared.width(), declared.height(), bmpLimits);
  if (known && (uncompressedBmpIsShort(header, size) || rleBmpIsShort(header, data, size))) fail(kNotBitmap);
  // Qt refuses images above 256 MB unless told otherwise; allow what the
  // size limit allows, at four bytes a pixel (the widest form Qt reads into).
  const std::int64_t imageMegabytes =
      static_cast<std::int64_t>(declared.width()) * declared.height() * 4 / (1024 * 1024) + 1;
  reader.setAllocationLimit(static_cast<int>(std::min<std::int64_t>(imageMegabytes, 1 << 30)));
  QImage image;
  if (!reader.read(&image) || image.isNull()) fail(kNotBitmap);
  return PictureFromImage(image);
}

// ---------------------------------------------------------------- files out

class OutputFile {
 public:
  explicit OutputFile(const QString& name) : name_(name) {
    file_ = std::fopen(QFile::encodeName(name).constData(), "wb");
    if (file_ == nullptr) fail(fileError("Cannot create file", name, errno));
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  std::FILE* get() const { return file_; }

  // Flushes and closes; a write error anywhere on the way is reported here.
  void close() {
    std::FILE* f = file_;
    file_ = nullptr;
    errno = 0;
    const bool bad = std::ferror(f) != 0;
    const int badErrno = errno;
    if (std::fclose(f) != 0 || bad) writeFailed(bad && badErrno != 0 ? badErrno : errno);
  }

  [[noreturn]] void writeFailed(int error) const {
    fail(fileError("Cannot write file", name_, error != 0 ? error : EIO));
  }

 private:
  QString name_;
  std::FILE* file_ = nullptr;
};

struct JpegWriteResult {
  bool ok = false;
  int code = 0;
  int writeErrno = 0;
};

void encodeJpeg(const Picture* picture, std::FILE* file, JpegWriteResult* result) {
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrors errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = onJpegError;
  errors.pub.emit_message = [](j_common_ptr, int) {};
  errors.code = 0;
  errors.tooManyScans = false;

  if (setjmp(errors.jump) != 0) {
    result->writeErrno = errno;
    jpeg_destroy_compress(&cinfo);
    result->ok = false;
    result->code = errors.code;
    return;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(picture->width());
  cinfo.image_height = static_cast<JDIMENSION>(picture->height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;  // the picture's byte order; the same pixels as RGB input
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  constexpr JDIMENSION kBatch = 16;
  JSAMPROW rows[kBatch];
  const JDIMENSION height = cinfo.image_height;
  while (cinfo.next_scanline < height) {
    const JDIMENSION y = cinfo.next_scanline;
    const JDIMENSION n = std::min(kBatch, height - y);
    for (JDIMENSION i = 0; i < n; ++i) {
      rows[i] = const_cast<JSAMPROW>(picture->row(static_cast<int>(y + i)));
    }
    jpeg_write_scanlines(&cinfo, rows, n);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  result->ok = true;
}

void refuseEmpty(const Picture& picture) {
  if (picture.empty()) fail("There is no picture to save");
}

}  // namespace

Picture LoadPictureBytes(const void* data, std::size_t size, const PictureLimits& limits) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (startsAsJpeg(bytes, size)) return loadJpeg(bytes, size, limits);
  return loadBmp(bytes, size, limits);
}

Picture LoadPictureFile(const QString& fileName) {
  const FileBytes file(fileName);
  return LoadPictureBytes(file.data(), file.size());
}

void SaveJpegFile(const Picture& picture, const QString& fileName) {
  refuseEmpty(picture);
  OutputFile out(fileName);
  JpegWriteResult result;
  encodeJpeg(&picture, out.get(), &result);
  if (!result.ok) {
    if (result.code == JERR_FILE_WRITE) out.writeFailed(result.writeErrno);
    fail("JPEG error #" + std::to_string(result.code));
  }
  out.close();
}

void SaveBmpFile(const Picture& picture, const QString& fileName) {
  refuseEmpty(picture);
  OutputFile out(fileName);
  {
    QFile device;
    if (!device.open(out.get(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) out.writeFailed(errno);
    QImageWriter writer(&device, "bmp");
    const bool written = writer.write(ImageViewOf(picture));
    const int error = errno;
    device.close();
    if (!written) out.writeFailed(error);
  }
  out.close();
}

QString SavePictureFile(const Picture& picture, const QString& chosenName) {
  const QString extension = FileExtension(chosenName);
  if (IsJpegExtension(extension)) {
    SaveJpegFile(picture, chosenName);
    return chosenName;
  }
  const QString name = extension.isEmpty() ? chosenName + QStringLiteral(".bmp") : chosenName;
  SaveBmpFile(picture, name);
  return name;
}

namespace {
QString baseWithoutExtension(const QString& name) {
  const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
  const QString last = name.mid(slash + 1);
  return last.left(last.size() - FileExtension(last).size());
}
}  // namespace

QString FileExtension(const QString& name) {
  // One rule for pictures and plot files. '.', '/' and '\\' are single bytes
  // in UTF-8 and never part of another character, so the bytes give the same
  // answer as the characters.
  const QByteArray utf8 = name.toUtf8();
  const std::string_view extension = NameExtension(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  return QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size()));
}

bool IsJpegExtension(const QString& extension) {
  return extension.compare(QLatin1String(".jpg"), Qt::CaseInsensitive) == 0 ||
         extension.compare(QLatin1String(".jpeg"), Qt::CaseInsensitive) == 0;
}

QString ProposedPictureName(const QString& currentFileName) {
  return baseWithoutExtension(currentFileName) + QStringLiteral(".bmp");
}

QString ProposedPlotName(const QString& currentFileName) {
  return baseWithoutExtension(currentFileName) + QStringLiteral(".plt");
}

QString PictureStatusText(const QString& fileName, int width, int height) {
  return QStringLiteral("  \"") + fileName + QStringLiteral("\", ") + QString::number(width) +
         QStringLiteral(" на ") + QString::number(height) + QStringLiteral(" точек.");
}

}  // namespace velmar
