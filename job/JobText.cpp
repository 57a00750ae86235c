#include "job/JobText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velmar {

namespace {
constexpr std::size_t kFirstChunk = 64 * 1024;
constexpr std::size_t kMaxChunk = 32 * 1024 * 1024;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;

char* allocateChunk(std::size_t bytes) {
  void* p = nullptr;
  if (bytes >= kHugePage && bytes % kHugePage == 0) {
    p = std::aligned_alloc(kHugePage, bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Large jobs are written once, front to back: huge pages make the first
    // touch of the fresh memory several times cheaper.
    if (p) madvise(p, bytes, MADV_HUGEPAGE);
#endif
  } else {
    p = std::malloc(bytes);
  }
  if (!p) throw std::bad_alloc();
  return static_cast<char*>(p);
}
}  // namespace

JobText::JobText(JobText&& other) noexcept
    : chunks_(std::move(other.chunks_)),
      offsets_(std::move(other.offsets_)),
      textBytes_(other.textBytes_),
      pending_(other.pending_) {
  other.chunks_.clear();
  other.offsets_.clear();
  other.textBytes_ = 0;
  other.pending_ = nullptr;
}

JobText& JobText::operator=(JobText&& other) noexcept {
  if (this != &other) {
    clear();
    chunks_ = std::move(other.chunks_);
    offsets_ = std::move(other.offsets_);
    textBytes_ = other.textBytes_;
    pending_ = other.pending_;
    other.chunks_.clear();
    other.offsets_.clear();
    other.textBytes_ = 0;
    other.pending_ = nullptr;
  }
  return *this;
}

JobText::~JobText() { clear(); }

void JobText::clear() {
  for (Chunk& c : chunks_) std::free(c.data);
  chunks_.clear();
  offsets_.clear();
  std::vector<std::uint32_t>().swap(offsets_);
  textBytes_ = 0;
  pending_ = nullptr;
}

std::size_t JobText::chunkOf(std::size_t line) const {
  // The last chunk whose first line is <= line.
  auto it = std::upper_bound(chunks_.begin(), chunks_.end(), line,
                             [](std::size_t l, const Chunk& c) { return l < c.firstLine; });
  return static_cast<std::size_t>(it - chunks_.begin()) - 1;
}

std::string_view JobText::line(std::size_t index) const {
  if (index >= offsets_.size()) throw std::out_of_range("job line index out of range");
  const std::size_t c = chunkOf(index);
  const Chunk& chunk = chunks_[c];
  const std::size_t begin = offsets_[index];
  const bool lastInChunk = index + 1 == offsets_.size() ||
                           (c + 1 < chunks_.size() && chunks_[c + 1].firstLine == index + 1);
  const std::size_t end = lastInChunk ? chunk.used : offsets_[index + 1];
  return {chunk.data + begin, end - begin};
}

std::size_t JobText::memoryBytes() const {
  std::size_t bytes = offsets_.capacity() * sizeof(std::uint32_t) + chunks_.capacity() * sizeof(Chunk);
  for (const Chunk& c : chunks_) bytes += c.capacity;
  return bytes;
}

void JobText::newChunk(std::size_t atLeast) {
  std::size_t size = chunks_.empty() ? kFirstChunk : std::min(chunks_.back().capacity * 2, kMaxChunk);
  if (size < atLeast) size = (atLeast + kFirstChunk - 1) / kFirstChunk * kFirstChunk;
  Chunk c;
  c.data = allocateChunk(size);
  c.capacity = size;
  c.firstLine = offsets_.size();
  chunks_.push_back(c);
}

char* JobText::beginLine(std::size_t maxLength) {
  if (chunks_.empty() || chunks_.back().capacity - chunks_.back().used < maxLength) {
    newChunk(maxLength);
  }
  Chunk& c = chunks_.back();
  pending_ = c.data + c.used;
  return pending_;
}

void JobText::commitLine(const char* end) {
  Chunk& c = chunks_.back();
  offsets_.push_back(static_cast<std::uint32_t>(c.used));
  const std::size_t length = static_cast<std::size_t>(end - pending_);
  c.used += length;
  textBytes_ += length;
  pending_ = nullptr;
}

void JobText::addLine(std::string_view text) {
  char* p = beginLine(text.size());
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  commitLine(p + text.size());
}

void JobText::finish() {
  if (chunks_.empty()) return;
  Chunk& c = chunks_.back();
  if (c.capacity - c.used < kFirstChunk) return;
  const std::size_t size = std::max<std::size_t>(c.used, 1);
  char* exact = static_cast<char*>(std::malloc(size));
  if (!exact) return;  // keeping the larger chunk is harmless
  std::memcpy(exact, c.data, c.used);
  std::free(c.data);
  c.data = exact;
  c.capacity = size;
}

std::string JobText::joined(std::string_view separator) const {
  std::string out;
  out.reserve(textBytes_ + separator.size() * offsets_.size());
  for (std::size_t i = 0; i < offsets_.size(); ++i) {
    out.append(line(i));
    out.append(separator);
  }
  return out;
}

}  // namespace velmar
