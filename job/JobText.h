#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// An ordered list of job lines stored compactly: the text lives in a few large
// chunks (a line never straddles two), plus one 32-bit offset per line. A big
// photo gives millions of lines; a string per line would cost several times
// the text itself and a lot of allocator time.
class JobText {
 public:
  JobText() = default;
  JobText(const JobText&) = delete;
  JobText& operator=(const JobText&) = delete;
  JobText(JobText&&) noexcept;
  JobText& operator=(JobText&&) noexcept;
  ~JobText();

  std::size_t lineCount() const { return offsets_.size(); }
  bool empty() const { return offsets_.empty(); }
  std::string_view line(std::size_t index) const;

  // Sum of the lengths of all lines (what Print sends, without separators).
  std::uint64_t textBytes() const { return textBytes_; }
  // Heap memory held by the text and its index.
  std::size_t memoryBytes() const;

  void addLine(std::string_view text);

  // Fast path for writers: reserve room for a line of at most maxLength
  // bytes, write into the returned pointer, then commit the end pointer.
  char* beginLine(std::size_t maxLength);
  void commitLine(const char* end);

  // Returns unused room of the last chunk to the allocator. Call when the
  // job is complete.
  void finish();

  void clear();

  // The whole job as one string with `separator` after every line (for
  // tests and files).
  std::string joined(std::string_view separator = {}) const;

 private:
  struct Chunk {
    char* data = nullptr;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t firstLine = 0;
  };
  std::size_t chunkOf(std::size_t line) const;
  void newChunk(std::size_t atLeast);

  std::vector<Chunk> chunks_;
  std::vector<std::uint32_t> offsets_;  // start of each line within its chunk
  std::uint64_t textBytes_ = 0;
  char* pending_ = nullptr;
};

}  // namespace velmar
