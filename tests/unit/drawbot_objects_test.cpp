#include "ZelfinDrawbotObjects.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace zelfin;

// A supplier that makes numbered objects, records every call and fails on request.
struct FakeSupplier {
  std::vector<std::string> calls;
  std::map<DRAWBOT_ObjectRef, bool> live;
  SPErr createError = 0;
  SPErr releaseError = 0;
  int failingIndex = -1;  // with releaseError: only this object's release fails; -1 = every one
  DRAWBOT_ColorRGBA colour{};
  float size = 0;
  char storage[16] = {};
  int made = 0;

  static FakeSupplier* current;

  template <typename Ref>
  SPErr Make(const char* what, Ref* out) {
    calls.push_back(what);
    if (createError) return createError;
    *out = reinterpret_cast<Ref>(&storage[made++]);
    live[reinterpret_cast<DRAWBOT_ObjectRef>(*out)] = true;
    return 0;
  }

  static SPErr NewPen(DRAWBOT_SupplierRef, const DRAWBOT_ColorRGBA* colour, float size,
                      DRAWBOT_PenRef* out) {
    current->colour = *colour;
    current->size = size;
    return current->Make("NewPen", out);
  }
  static SPErr NewBrush(DRAWBOT_SupplierRef, const DRAWBOT_ColorRGBA* colour,
                        DRAWBOT_BrushRef* out) {
    current->colour = *colour;
    return current->Make("NewBrush", out);
  }
  static SPErr NewPath(DRAWBOT_SupplierRef, DRAWBOT_PathRef* out) {
    return current->Make("NewPath", out);
  }
  static SPErr Release(DRAWBOT_ObjectRef ref) {
    const int index = static_cast<int>(reinterpret_cast<char*>(ref) - current->storage);
    current->calls.push_back("ReleaseObject " + std::to_string(index));
    if (current->releaseError && (current->failingIndex < 0 || current->failingIndex == index)) {
      return current->releaseError;
    }
    if (!current->live[ref]) throw std::logic_error("released twice");
    current->live[ref] = false;
    return 0;
  }

  int Live() const {
    int n = 0;
    for (const auto& object : live) n += object.second;
    return n;
  }
};
FakeSupplier* FakeSupplier::current = nullptr;

class DrawbotObjectsTest : public ::testing::Test {
 protected:
  DrawbotObjectsTest() {
    FakeSupplier::current = &fake;
    suite.NewPen = &FakeSupplier::NewPen;
    suite.NewBrush = &FakeSupplier::NewBrush;
    suite.NewPath = &FakeSupplier::NewPath;
    suite.ReleaseObject = &FakeSupplier::Release;
  }
  ~DrawbotObjectsTest() override { FakeSupplier::current = nullptr; }

  using Calls = std::vector<std::string>;

  FakeSupplier fake;
  DRAWBOT_SupplierSuite1 suite{};
  _DRAWBOT_SupplierRef* supplier = nullptr;
};

TEST_F(DrawbotObjectsTest, AnOwnerReleasesWhatItMadeOnceAndNothingElse) {
  { DRAWBOT_PathP unused(&suite); }
  EXPECT_TRUE(fake.calls.empty());

  {
    DRAWBOT_PathP path(&suite);
    path.New(&suite, supplier);
    EXPECT_NE(path.Get(), nullptr);
  }
  EXPECT_EQ(fake.calls, (Calls{"NewPath", "ReleaseObject 0"}));
  EXPECT_EQ(fake.Live(), 0);
}

TEST_F(DrawbotObjectsTest, PensAndBrushesGetTheirColourAndWidth) {
  const DRAWBOT_ColorRGBA yellow{1, 1, 0, 0.9f};
  {
    DRAWBOT_PenP pen(&suite);
    pen.New(&suite, supplier, &yellow, 2.5f);
    EXPECT_EQ(fake.size, 2.5f);
    EXPECT_EQ(fake.colour.alpha, 0.9f);
    DRAWBOT_BrushP brush(&suite);
    brush.New(&suite, supplier, &yellow);
  }
  EXPECT_EQ(fake.calls, (Calls{"NewPen", "NewBrush", "ReleaseObject 1", "ReleaseObject 0"}));
}

TEST_F(DrawbotObjectsTest, MakingASecondObjectReleasesTheFirstBeforeHoldingIt) {
  {
    DRAWBOT_PathP path(&suite);
    path.New(&suite, supplier);
    path.New(&suite, supplier);
    EXPECT_EQ(fake.Live(), 1);
  }
  EXPECT_EQ(fake.calls, (Calls{"NewPath", "NewPath", "ReleaseObject 0", "ReleaseObject 1"}));
}

TEST_F(DrawbotObjectsTest, AFailedCreateThrowsItsCodeAndKeepsWhatWasHeld) {
  DRAWBOT_PathP path(&suite);
  path.New(&suite, supplier);
  _DRAWBOT_PathRef* held = path.Get();
  fake.createError = 7;
  try {
    path.New(&suite, supplier);
    FAIL() << "no exception";
  } catch (const DRAWBOT_Exception& e) {
    EXPECT_EQ(e.Error(), 7);
  }
  EXPECT_EQ(path.Get(), held);
  EXPECT_EQ(fake.Live(), 1);
}

TEST_F(DrawbotObjectsTest, AFailedReleaseOfTheOldObjectKeepsItAndGivesBackTheNewOne) {
  DRAWBOT_PenP pen(&suite);
  const DRAWBOT_ColorRGBA colour{};
  pen.New(&suite, supplier, &colour, 1);
  _DRAWBOT_PenRef* held = pen.Get();
  fake.releaseError = 9;
  fake.failingIndex = 0;
  try {
    pen.New(&suite, supplier, &colour, 1);
    FAIL() << "no exception";
  } catch (const DRAWBOT_Exception& e) {
    EXPECT_EQ(e.Error(), 9);
  }
  EXPECT_EQ(pen.Get(), held);
  EXPECT_EQ(fake.calls, (Calls{"NewPen", "NewPen", "ReleaseObject 0", "ReleaseObject 1"}));
  EXPECT_EQ(fake.Live(), 1);
  fake.releaseError = 0;
}

TEST_F(DrawbotObjectsTest, AFailedReleaseAtTheEndThrowsExactlyItsCode) {
  fake.releaseError = -42;
  try {
    DRAWBOT_PathP path(&suite);
    path.New(&suite, supplier);
  } catch (const DRAWBOT_Exception& e) {
    EXPECT_EQ(e.Error(), -42);
    const std::exception& base = e;
    EXPECT_NE(base.what(), nullptr);
    const DRAWBOT_Exception copy(e);
    EXPECT_EQ(copy.Error(), -42);
    return;
  }
  FAIL() << "no exception";
}

TEST_F(DrawbotObjectsTest, AFailedReleaseWhileUnwindingDoesNotEndTheProcess) {
  fake.releaseError = 3;
  try {
    DRAWBOT_PathP path(&suite);
    path.New(&suite, supplier);
    DRAWBOT_PenP pen(&suite);
    const DRAWBOT_ColorRGBA colour{};
    pen.New(&suite, supplier, &colour, 1);
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "drawing failed");
  }
  // Both releases were still tried, the pen's first.
  EXPECT_EQ(fake.calls, (Calls{"NewPath", "NewPen", "ReleaseObject 1", "ReleaseObject 0"}));
}

TEST_F(DrawbotObjectsTest, AFailedReleaseOfOneOwnerStillReleasesTheOthers) {
  // The pen's release fails at the end of the scope; the path is released as that passes.
  fake.releaseError = 11;
  fake.failingIndex = 1;
  try {
    DRAWBOT_PathP path(&suite);
    path.New(&suite, supplier);
    DRAWBOT_PenP pen(&suite);
    const DRAWBOT_ColorRGBA colour{};
    pen.New(&suite, supplier, &colour, 1);
  } catch (const DRAWBOT_Exception& e) {
    EXPECT_EQ(e.Error(), 11);
  }
  EXPECT_EQ(fake.calls, (Calls{"NewPath", "NewPen", "ReleaseObject 1", "ReleaseObject 0"}));
  EXPECT_EQ(fake.Live(), 1);  // only the pen the host would not take back
}

}  // namespace
