#include "Picture.h"

#include <cstring>
#include <stdexcept>

namespace velmar {

namespace {
std::size_t checkedBytes(int width, int height) {
  if (width < 0 || height < 0) throw std::invalid_argument("Invalid image size");
  return static_cast<std::size_t>(width) * 3u * static_cast<std::size_t>(height);
}
}  // namespace

Picture::Picture(int width, int height)
    : width_(width), height_(height), stride_(static_cast<std::size_t>(width < 0 ? 0 : width) * 3u) {
  pixels_.assign(checkedBytes(width, height), 0);
}

void Picture::resize(int width, int height) {
  const std::size_t bytes = checkedBytes(width, height);
  pixels_.resize(bytes);
  width_ = width;
  height_ = height;
  stride_ = static_cast<std::size_t>(width) * 3u;
}

void Picture::assign(const Picture& other) {
  if (this == &other) return;
  resize(other.width_, other.height_);
  if (!pixels_.empty()) std::memcpy(pixels_.data(), other.pixels_.data(), pixels_.size());
}

void Picture::clear() {
  width_ = height_ = 0;
  stride_ = 0;
  std::vector<std::uint8_t>().swap(pixels_);
}

bool Picture::operator==(const Picture& other) const {
  return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
}

}  // namespace velmar
