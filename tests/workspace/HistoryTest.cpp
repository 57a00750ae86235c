#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/TestPictures.h"
#include "tests/workspace/PicturePrint.h"
#include "workspace/History.h"

using namespace velmar;
using namespace velmar::testing;
using Storage = EditHistory::Storage;

namespace {

Picture Noise(int w, int h, unsigned state, bool gray) {
  std::mt19937 random(state);
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      const auto v = static_cast<std::uint8_t>(random());
      px[0] = v;
      px[1] = gray ? v : static_cast<std::uint8_t>(random());
      px[2] = gray ? v : static_cast<std::uint8_t>(random());
    }
  return p;
}

Picture TwoLevel(int w, int h, int low, int high, unsigned state) {
  std::mt19937 random(state);
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const auto v = static_cast<std::uint8_t>(random() % 2 ? high : low);
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = px[1] = px[2] = v;
    }
  return p;
}

// L as loaded, then three different committed pictures, one of each storage.
const Picture L = Noise(9, 5, 1, false);
const Picture A = Noise(9, 5, 2, true);
const Picture B = TwoLevel(9, 5, 0, 255, 3);
const Picture C = Noise(9, 5, 4, false);

std::vector<Picture> Entries(const EditHistory& h) {
  std::vector<Picture> out(static_cast<std::size_t>(h.count()));
  for (int i = 0; i < h.count(); ++i) EXPECT_TRUE(h.read(i, out[static_cast<std::size_t>(i)]));
  return out;
}

// The window's three pictures around one history.
struct Workspace {
  EditHistory history;
  Picture view;
  Picture committed;

  void load(const Picture& p) {
    view.assign(p);
    committed.assign(p);
    history.reset(committed);
  }
  void commit(const Picture& preview) {
    view.assign(preview);
    history.commit(view, committed);
  }
};

}  // namespace

TEST(EditHistory, UndoAndRedoWalkTheEntriesAndStopAtTheEnds) {
  Workspace w;
  w.load(L);
  w.commit(A);
  w.commit(B);
  EXPECT_EQ(Entries(w.history), (std::vector<Picture>{L, A, B}));
  EXPECT_EQ(w.history.index(), 2);
  EXPECT_EQ(w.committed, B);

  const Picture expectedUndo[] = {A, L};
  for (const Picture& shown : expectedUndo) {
    EXPECT_TRUE(w.history.undo(w.view));
    EXPECT_EQ(w.view, shown);
  }
  EXPECT_FALSE(w.history.undo(w.view));
  EXPECT_EQ(w.view, L);
  EXPECT_EQ(w.history.index(), 0);

  const Picture expectedRedo[] = {A, B};
  for (const Picture& shown : expectedRedo) {
    EXPECT_TRUE(w.history.redo(w.view));
    EXPECT_EQ(w.view, shown);
  }
  EXPECT_FALSE(w.history.redo(w.view));
  EXPECT_EQ(w.history.index(), 2);
  EXPECT_EQ(w.committed, B);  // undo and redo never touch the base of the previews
}

TEST(EditHistory, ApplyAdoptsTheShownEntryAndCommitAppendsBehindEverything) {
  Workspace w;
  w.load(L);
  w.commit(A);
  w.commit(B);
  ASSERT_TRUE(w.history.undo(w.view));
  EXPECT_EQ(w.committed, B);
  EXPECT_TRUE(w.history.apply(w.view, w.committed));
  EXPECT_EQ(w.view, A);
  EXPECT_EQ(w.committed, A);
  EXPECT_EQ(w.history.index(), 1);

  w.commit(C);
  EXPECT_EQ(Entries(w.history), (std::vector<Picture>{L, A, B, C}));
  EXPECT_EQ(w.history.index(), 3);
  EXPECT_TRUE(w.history.undo(w.view));
  EXPECT_EQ(w.view, B);
  EXPECT_TRUE(w.history.redo(w.view));
  EXPECT_EQ(w.view, C);
}

TEST(EditHistory, CommitRightAfterUndoAppendsTheShownEntryAgain) {
  Workspace w;
  w.load(L);
  w.commit(A);
  w.commit(B);
  ASSERT_TRUE(w.history.undo(w.view));
  w.history.commit(w.view, w.committed);
  EXPECT_EQ(w.committed, A);
  EXPECT_EQ(Entries(w.history), (std::vector<Picture>{L, A, B, A}));
  EXPECT_EQ(w.history.index(), 3);
}

TEST(EditHistory, NothingLoadedMeansNothingHappens) {
  Workspace w;
  w.view.assign(C);  // whatever the view holds must survive
  w.committed.assign(A);
  EXPECT_FALSE(w.history.undo(w.view));
  EXPECT_FALSE(w.history.redo(w.view));
  EXPECT_FALSE(w.history.apply(w.view, w.committed));
  EXPECT_FALSE(w.history.destroy(w.view));
  EXPECT_EQ(w.view, C);

  for (const Picture& view : {Picture(), C}) {
    try {
      w.history.commit(view, w.committed);
      ADD_FAILURE() << "a commit with nothing loaded went through";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Invalid image size");
    }
  }
  EXPECT_EQ(w.committed, A);
  EXPECT_EQ(w.history.count(), 0);
  EXPECT_EQ(w.history.index(), 0);
}

TEST(EditHistory, PicturesSmallerThanTheHistoryAreRefusedLargerOnesCut) {
  Workspace w;
  w.load(L);
  for (const Picture& small : {Noise(8, 5, 7, false), Noise(9, 4, 8, false)}) {
    EXPECT_THROW(w.history.commit(small, w.committed), std::runtime_error);
  }
  EXPECT_EQ(w.committed, L);
  EXPECT_EQ(w.history.count(), 1);

  const Picture large = Noise(12, 7, 9, false);
  w.history.commit(large, w.committed);
  EXPECT_EQ(w.committed, large);
  Picture entry;
  ASSERT_TRUE(w.history.read(1, entry));
  ASSERT_EQ(entry.width(), 9);
  ASSERT_EQ(entry.height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(PixelAt(entry, x, y).r, PixelAt(large, x, y).r);
}

TEST(EditHistory, LoadingStartsOverWithOneEntry) {
  Workspace w;
  w.load(L);
  w.commit(A);
  w.commit(B);
  w.load(C);  // same size as the first picture
  EXPECT_EQ(Entries(w.history), std::vector<Picture>{C});
  EXPECT_EQ(w.history.index(), 0);

  w.load(Noise(3, 2, 5, false));
  EXPECT_EQ(w.history.count(), 1);
  EXPECT_EQ(w.history.width(), 3);
  EXPECT_EQ(w.history.height(), 2);
}

TEST(EditHistory, DestroyRemovesTheShownEntryAndShowsTheOneBefore) {
  Workspace w;
  w.load(L);
  w.commit(A);
  w.commit(B);
  EXPECT_TRUE(w.history.destroy(w.view));
  EXPECT_EQ(Entries(w.history), (std::vector<Picture>{L, A}));
  EXPECT_EQ(w.history.index(), 1);
  EXPECT_EQ(w.view, A);
  EXPECT_TRUE(w.history.destroy(w.view));
  EXPECT_EQ(w.view, L);
  EXPECT_FALSE(w.history.destroy(w.view));  // the picture as loaded stays
  EXPECT_EQ(Entries(w.history), std::vector<Picture>{L});
  EXPECT_EQ(w.committed, B);  // destroy never changes the base of the previews

  // In the middle: the entries after the removed one stay reachable.
  w.load(L);
  w.commit(A);
  w.commit(B);
  ASSERT_TRUE(w.history.undo(w.view));
  EXPECT_TRUE(w.history.destroy(w.view));
  EXPECT_EQ(w.view, L);
  EXPECT_EQ(Entries(w.history), (std::vector<Picture>{L, B}));
  EXPECT_TRUE(w.history.redo(w.view));
  EXPECT_EQ(w.view, B);
}

TEST(EditHistory, EveryStorageReadsBackExactly) {
  Picture grayButOne = Noise(7, 3, 11, true);
  grayButOne.row(2)[3 * 6 + 1] ^= 1;  // the very last pixel is not grey
  Picture threeLevels = TwoLevel(9, 4, 10, 200, 12);
  threeLevels.row(3)[3 * 8] = threeLevels.row(3)[3 * 8 + 1] = threeLevels.row(3)[3 * 8 + 2] = 99;
  struct Case {
    const char* name;
    Picture picture;
    Storage storage;
  };
  const Case cases[] = {
      {"colour", Noise(13, 6, 10, false), Storage::color},
      {"grey except one pixel", grayButOne, Storage::color},
      {"grey", Noise(13, 6, 13, true), Storage::gray},
      {"three grey levels", threeLevels, Storage::gray},
      {"black and white", TwoLevel(13, 6, 0, 255, 14), Storage::twoLevel},
      {"two other greys, odd width", TwoLevel(7, 5, 17, 200, 15), Storage::twoLevel},
      {"one grey", Uniform(5, 3, Gray(128)), Storage::twoLevel},
      {"one pixel", Uniform(1, 1, {3, 3, 3}), Storage::twoLevel},
      {"one colour pixel", Uniform(1, 1, {3, 4, 5}), Storage::color},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditHistory history;
    history.reset(c.picture);
    EXPECT_EQ(history.storageOf(0), c.storage);
    Picture back = Noise(2, 2, 99, false);
    ASSERT_TRUE(history.read(0, back));
    EXPECT_EQ(back, c.picture);
  }
}

TEST(EditHistory, GreyPicturesTakeLessMemory) {
  const std::size_t plain = 3u * 256 * 128;
  EditHistory history;
  history.reset(Noise(256, 128, 20, false));
  EXPECT_GE(history.memoryBytes(), plain);
  history.reset(Noise(256, 128, 21, true));
  EXPECT_LT(history.memoryBytes(), plain / 3 + 256);
  history.reset(TwoLevel(256, 128, 0, 255, 22));
  EXPECT_LT(history.memoryBytes(), plain / 24 + 256);
}

TEST(EditHistory, ReadOutsideTheListLeavesThePicture) {
  EditHistory history;
  history.reset(L);
  Picture view = C;
  EXPECT_FALSE(history.read(1, view));
  EXPECT_FALSE(history.read(-1, view));
  EXPECT_EQ(view, C);
}
