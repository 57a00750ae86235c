#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Picture.h"

namespace velmar {

// The edit history: every committed state of the picture in commit order
// (the window's HistoryList), and the index of the entry the view shows
// (HistoryIndex). Entry 0 is the picture as loaded. All entries have the size
// of the loaded picture.
//
// The commands take the window's pictures by reference and say whether they
// did anything; when they return false nothing was touched.
//
// Entries are stored losslessly in the smallest of three forms: a grey
// picture (B = G = R everywhere) as one byte a pixel, a grey picture of at
// most two values (what thresholds and dithers give) as one bit a pixel, and
// anything else as a plain copy. An entry always reads back exactly as it was
// added.
class EditHistory {
 public:
  EditHistory() = default;

  // The load: empties the list, sizes it to the picture and adds the picture
  // as entry 0, HistoryIndex 0. An empty picture leaves the history empty, as
  // before the first load.
  void reset(const Picture& loaded);

  // Back to the state before the first load.
  void clear();

  int count() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  int index() const { return index_; }  // HistoryIndex
  int width() const { return width_; }
  int height() const { return height_; }

  // The commit step: committed becomes a copy of the view picture, which is
  // appended as the new last entry and becomes the current one. Entries that
  // Redo could still reach stay. Throws std::runtime_error("Invalid image
  // size") when nothing is loaded or the view is narrower or lower than the
  // history's size; nothing changes then. A larger view is stored as its
  // top-left part of the history's size.
  void commit(const Picture& view, Picture& committed);

  // Undo and Redo: step HistoryIndex and read that entry into the view.
  bool undo(Picture& view);
  bool redo(Picture& view);

  // Reads the current entry into the view and makes it the committed picture.
  bool apply(Picture& view, Picture& committed);

  // Removes the current entry, steps back to the one before it and reads
  // that into the view. Entry 0, the picture as loaded, is never removed:
  // with HistoryIndex 0 nothing happens.
  bool destroy(Picture& view);

  // Reads entry i into the picture (the history's size and the entry's
  // pixels). An index out of range reads nothing and returns false.
  bool read(int i, Picture& into) const;

  // Heap memory held by the entries.
  std::size_t memoryBytes() const;

  // How an entry is held, for tests and the memory figures.
  enum class Storage : std::uint8_t { color, gray, twoLevel };
  Storage storageOf(int i) const { return entries_.at(static_cast<std::size_t>(i)).storage; }

 private:
  // Entry bytes, not zero-filled on allocation: they are written at once,
  // and filling a fresh 36 MB entry twice costs more than the copy itself.
  class Bytes {
   public:
    Bytes() = default;
    explicit Bytes(std::size_t size);
    Bytes(Bytes&& other) noexcept : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
      other.data_ = nullptr;
      other.size_ = other.capacity_ = 0;
    }
    Bytes& operator=(Bytes&& other) noexcept;
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;
    ~Bytes();
    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

   private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
  };

  struct Entry {
    Storage storage = Storage::color;
    std::uint8_t levels[2] = {0, 0};  // twoLevel: bit 0 gives levels[0], bit 1 levels[1]
    Bytes bytes;
  };

  // The top-left w x h part of the picture.
  static Entry encode(const Picture& picture, int w, int h);
  static void decode(const Entry& entry, int w, int h, Picture& into);

  std::vector<Entry> entries_;
  int index_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace velmar
