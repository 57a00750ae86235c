#pragma once

#include <QIcon>
#include <QMap>

namespace velmar {

// The window's picture list: 24 x 24 toolbar pictures drawn by the program
// itself, so they look the same on every desktop and without a theme. Only
// the indices that the actions use are filled.
class IconList {
 public:
  IconList();
  QIcon icon(int index) const { return icons_.value(index); }
  bool has(int index) const { return icons_.contains(index); }
  static constexpr int kSize = 24;

  enum Index {
    StartArrow = 1,   // green circle with an arrow to the right
    Star = 2,         // yellow star
    UndoArrow = 8,    // curved arrow to the left
    RedoArrow = 9,    // curved arrow to the right
    RedCross = 10,
    Folder = 12,
    Diskette = 13,
    Printer = 19,
    PagesBothWays = 33,  // two pairs of pages with arrows both ways
    PagesArrow = 34,     // two pages with an arrow between them
  };

 private:
  QMap<int, QIcon> icons_;
};

}  // namespace velmar
