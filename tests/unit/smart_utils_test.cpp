#include "Util/Smart_Utils.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using namespace zelfin;

PF_LRect Rect(A_long left, A_long top, A_long right, A_long bottom) {
  PF_LRect rect;
  rect.left = left;
  rect.top = top;
  rect.right = right;
  rect.bottom = bottom;
  return rect;
}

bool Same(const PF_LRect& a, const PF_LRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const PF_LRect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

TEST(IsEmptyRect, NoAreaWhenAnEdgeDoesNotPassItsOpposite) {
  struct Case {
    PF_LRect rect;
    bool empty;
  };
  const Case cases[] = {
      {Rect(0, 0, 1, 1), false},   {Rect(-5, -5, 5, 5), false},        {Rect(0, 0, 0, 0), true},
      {Rect(10, 0, 10, 50), true}, {Rect(0, 10, 50, 10), true},        {Rect(20, 0, 10, 50), true},
      {Rect(0, 20, 50, 10), true}, {Rect(100, 100, -100, -100), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsEmptyRect(&c.rect), c.empty) << Show(c.rect);
  }
}

TEST(UnionLRect, GrowsTheDestinationToCoverTheSource) {
  struct Case {
    PF_LRect source;
    PF_LRect destination;
    PF_LRect expected;
  };
  const Case cases[] = {
      // an empty destination takes the source as it is
      {Rect(10, 20, 110, 220), Rect(0, 0, 0, 0), Rect(10, 20, 110, 220)},
      {Rect(3, 4, 3, 9), Rect(7, 7, 1, 1), Rect(3, 4, 3, 9)},
      // both non-empty: the bounding box
      {Rect(25, 25, 100, 100), Rect(0, 0, 50, 50), Rect(0, 0, 100, 100)},
      {Rect(-10, 5, 20, 8), Rect(0, 0, 10, 10), Rect(-10, 0, 20, 10)},
      {Rect(2, 2, 4, 4), Rect(0, 0, 10, 10), Rect(0, 0, 10, 10)},
      // an empty source never grows a non-empty destination, whatever its numbers
      {Rect(0, 0, 0, 0), Rect(0, 0, 50, 50), Rect(0, 0, 50, 50)},
      {Rect(-100, -100, -100, 500), Rect(0, 0, 50, 50), Rect(0, 0, 50, 50)},
      {Rect(-100, 500, 900, 400), Rect(0, 0, 50, 50), Rect(0, 0, 50, 50)},
  };
  for (const Case& c : cases) {
    PF_LRect destination = c.destination;
    UnionLRect(&c.source, &destination);
    EXPECT_TRUE(Same(destination, c.expected))
        << Show(c.source) << " into " << Show(c.destination) << " gave " << Show(destination);
  }
}

}  // namespace
