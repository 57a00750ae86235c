#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmar {

// The one picture type of the program: W x H pixels, three bytes per pixel in
// memory order blue, green, red, row 0 at the top. Rows are packed (the stride
// is 3 * W), but callers reach a row through row() and never assume that.
class Picture {
 public:
  Picture() = default;
  Picture(int width, int height);  // zero-filled (black)

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t stride() const { return stride_; }
  std::size_t byteSize() const { return pixels_.size(); }

  std::uint8_t* row(int y) { return pixels_.data() + stride_ * static_cast<std::size_t>(y); }
  const std::uint8_t* row(int y) const {
    return pixels_.data() + stride_ * static_cast<std::size_t>(y);
  }
  std::uint8_t* data() { return pixels_.data(); }
  const std::uint8_t* data() const { return pixels_.data(); }

  // Resizes to width x height. The pixel content is unspecified afterwards
  // unless the size did not change; the storage is reused when it is large
  // enough, so repeated previews do not touch fresh memory.
  void resize(int width, int height);

  // Copies size and pixels from other, reusing this picture's storage.
  void assign(const Picture& other);

  // Releases the storage and makes the picture empty (0 x 0).
  void clear();

  bool operator==(const Picture& other) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace velmar
