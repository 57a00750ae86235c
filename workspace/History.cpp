#include "workspace/History.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>


namespace velmar {

namespace {

// A row is grey when every pixel has B = G = R. No early exit inside the
// row, so that the compiler can vectorise the test.
bool rowIsGray(const std::uint8_t* p, int width) {
  unsigned difference = 0;
  for (int x = 0; x < width; ++x, p += 3) difference |= static_cast<unsigned>((p[0] ^ p[1]) | (p[0] ^ p[2]));
  return difference == 0;
}

}  // namespace

EditHistory::Bytes::Bytes(std::size_t size) : data_(static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size))), size_(size), capacity_(size) {
  if (data_ == nullptr) throw std::bad_alloc();
}

EditHistory::Bytes& EditHistory::Bytes::operator=(Bytes&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  return *this;
}

EditHistory::Bytes::~Bytes() { std::free(data_); }

void EditHistory::clear() {
  std::vector<Entry>().swap(entries_);
  index_ = 0;
  width_ = height_ = 0;
}

void EditHistory::reset(const Picture& loaded) {
  if (loaded.empty()) {
    clear();
    return;
  }
  std::vector<Entry> fresh;
  fresh.reserve(1);
  fresh.push_back(encode(loaded, loaded.width(), loaded.height()));
  entries_ = std::move(fresh);
  width_ = loaded.width();
  height_ = loaded.height();
  index_ = 0;
}

void EditHistory::commit(const Picture& view, Picture& committed) {
  if (entries_.empty() || view.empty() || view.width() < width_ || view.height() < height_) {
    throw std::runtime_error("Invalid image size");
  }
  Entry entry = encode(view, width_, height_);
  // Room for exactly one more entry: the list grows one entry at a time.
  entries_.reserve(entries_.size() + 1);
  committed.assign(view);
  entries_.push_back(std::move(entry));
  index_ = count() - 1;
}

bool EditHistory::undo(Picture& view) {
  if (index_ <= 0) return false;
  --index_;
  return read(index_, view);
}

bool EditHistory::redo(Picture& view) {
  if (index_ >= count() - 1) return false;
  ++index_;
  return read(index_, view);
}

bool EditHistory::apply(Picture& view, Picture& committed) {
  if (!read(index_, view)) return false;
  committed.assign(view);
  return true;
}

bool EditHistory::destroy(Picture& view) {
  if (index_ <= 0) return false;
  entries_.erase(entries_.begin() + index_);
  --index_;
  return read(index_, view);
}

bool EditHistory::read(int i, Picture& into) const {
  if (i < 0 || i >= count()) return false;
  decode(entries_[static_cast<std::size_t>(i)], width_, height_, into);
  return true;
}

std::size_t EditHistory::memoryBytes() const {
  std::size_t bytes = entries_.capacity() * sizeof(Entry);
  for (const Entry& e : entries_) bytes += e.bytes.capacity();
  return bytes;
}

EditHistory::Entry EditHistory::encode(const Picture& picture, int w, int h) {
  const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  Entry entry;

  bool gray = true;
  for (int y = 0; y < h && gray; ++y) gray = rowIsGray(picture.row(y), w);
  if (!gray) {
    entry.storage = Storage::color;
    entry.bytes = Bytes(pixels * 3);
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    for (int y = 0; y < h; ++y) {
      std::memcpy(entry.bytes.data() + rowBytes * static_cast<std::size_t>(y), picture.row(y), rowBytes);
    }
    return entry;
  }

  // Grey: one byte a pixel, then see whether two values cover it all.
  Bytes levels(pixels);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = picture.row(y);
    std::uint8_t* out = levels.data() + static_cast<std::size_t>(w) * static_cast<std::size_t>(y);
    for (int x = 0; x < w; ++x) out[x] = in[3 * x];
  }
  const std::uint8_t* level = levels.data();
  const std::uint8_t first = level[0];
  std::uint8_t second = first;
  bool twoLevels = true;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint8_t v = level[i];
    if (v == first || v == second) continue;
    if (second != first) {
      twoLevels = false;
      break;
    }
    second = v;
  }
  if (!twoLevels) {
    entry.storage = Storage::gray;
    entry.bytes = std::move(levels);
    return entry;
  }

  entry.storage = Storage::twoLevel;
  entry.levels[0] = first;
  entry.levels[1] = second;
  entry.bytes = Bytes((pixels + 7) / 8);
  std::uint8_t* bits = entry.bytes.data();
  for (std::size_t i = 0; i < pixels; i += 8) {
    const std::size_t n = std::min<std::size_t>(8, pixels - i);
    unsigned byte = 0;
    for (std::size_t k = 0; k < n; ++k) byte |= static_cast<unsigned>(level[i + k] != first) << k;
    bits[i >> 3] = static_cast<std::uint8_t>(byte);
  }
  return entry;
}

void EditHistory::decode(const Entry& entry, int w, int h, Picture& into) {
  into.resize(w, h);
  const std::size_t rowPixels = static_cast<std::size_t>(w);
  switch (entry.storage) {
    case Storage::color:
      for (int y = 0; y < h; ++y) {
        std::memcpy(into.row(y), entry.bytes.data() + rowPixels * 3 * static_cast<std::size_t>(y), rowPixels * 3);
      }
      break;
    case Storage::gray:
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = entry.bytes.data() + rowPixels * static_cast<std::size_t>(y);
        std::uint8_t* out = into.row(y);
        for (int x = 0; x < w; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
      }
      break;
    case Storage::twoLevel: {
      std::size_t i = 0;
      for (int y = 0; y < h; ++y) {
        std::uint8_t* out = into.row(y);
        const std::uint8_t* bits = entry.bytes.data();
        for (int x = 0; x < w; ++x, ++i, out += 3) {
          const std::uint8_t v = entry.levels[(bits[i >> 3] >> (i & 7)) & 1];
          out[0] = out[1] = out[2] = v;
        }
      }
      break;
    }
  }
}

}  // namespace velmar
