#include "ZelfinVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace {

using namespace zelfin;

template <typename V, typename = void>
struct HasBinaryPlus : std::false_type {};
template <typename V>
struct HasBinaryPlus<V, std::void_t<decltype(std::declval<V>() + std::declval<V>())>>
    : std::true_type {};

template <typename V, typename = void>
struct HasUnaryMinus : std::false_type {};
template <typename V>
struct HasUnaryMinus<V, std::void_t<decltype(-std::declval<V>())>> : std::true_type {};

template <typename V, typename S, typename = void>
struct HasScalarPlusAssign : std::false_type {};
template <typename V, typename S>
struct HasScalarPlusAssign<V, S, std::void_t<decltype(std::declval<V&>() += std::declval<S>())>>
    : std::true_type {};

// The template is kept to its listed operations; a scalar must not slip in through a converting
// constructor.
static_assert(!HasBinaryPlus<Vector<double>>::value);
static_assert(!HasUnaryMinus<Vector<double>>::value);
static_assert(!HasScalarPlusAssign<Vector<double>, double>::value);
static_assert(!HasScalarPlusAssign<Vector<float>, float>::value);
static_assert(std::is_same_v<decltype(Vector<float>().Length()), double>);
static_assert(std::is_same_v<decltype(Vector<float>().Dot(Vector<float>())), float>);
static_assert(std::is_trivially_copyable_v<Vector<double>>);
static_assert(sizeof(Vector<double>) == 2 * sizeof(double));

TEST(VectorTest, ConstructorsSetBothComponents) {
  const Vector<double> zero;
  const Vector<double> same(2.5);
  const Vector<double> pair(1.0, -3.0);
  const Vector<double> copy(pair);
  EXPECT_EQ(zero.x, 0.0);
  EXPECT_EQ(zero.y, 0.0);
  EXPECT_EQ(same.x, 2.5);
  EXPECT_EQ(same.y, 2.5);
  EXPECT_EQ(copy.x, 1.0);
  EXPECT_EQ(copy.y, -3.0);
}

TEST(VectorTest, CompoundAssignmentsWorkComponentByComponent) {
  struct Case {
    const char* what;
    Vector<double> (*apply)();
    double x, y;
  };
  const Case cases[] = {
      {"+=", [] { return Vector<double>(1, 2) += Vector<double>(10, 20); }, 11, 22},
      {"-=", [] { return Vector<double>(1, 2) -= Vector<double>(10, 20); }, -9, -18},
      {"*= vector (no dot product)",
       [] { return Vector<double>(2, 3) *= Vector<double>(4, 5); }, 8, 15},
      {"*= scalar", [] { return Vector<double>(2, -3) *= 0.5; }, 1, -1.5},
      {"/= vector", [] { return Vector<double>(8, 15) /= Vector<double>(4, 5); }, 2, 3},
      {"/= scalar", [] { return Vector<double>(8, 15) /= 2.0; }, 4, 7.5},
  };
  for (const Case& c : cases) {
    const Vector<double> v = c.apply();
    EXPECT_EQ(v.x, c.x) << c.what;
    EXPECT_EQ(v.y, c.y) << c.what;
  }
}

TEST(VectorTest, CompoundAssignmentsReturnTheVectorItself) {
  Vector<double> v(1, 1);
  Vector<double>& r = (v += Vector<double>(1, 1));
  r *= 3.0;
  EXPECT_EQ(&r, &v);
  EXPECT_EQ(v.x, 6.0);
  EXPECT_EQ(v.y, 6.0);
}

TEST(VectorTest, DivisionByZeroFollowsFloatingPointRules) {
  Vector<double> v(1, 0);
  v /= 0.0;
  EXPECT_TRUE(std::isinf(v.x));
  EXPECT_TRUE(std::isnan(v.y));
}

TEST(VectorTest, LengthDotAndCross) {
  EXPECT_EQ(Vector<double>(3, 4).Length(), 5.0);
  EXPECT_EQ(Vector<double>(-3, -4).Length(), 5.0);
  EXPECT_EQ(Vector<double>(2, 3).Dot(Vector<double>(4, -5)), -7.0);
  EXPECT_EQ(Vector<double>(1, 0).Cross(Vector<double>(0, 1)), 1.0);
  EXPECT_EQ(Vector<double>(0, 1).Cross(Vector<double>(1, 0)), -1.0);
  EXPECT_EQ(Vector<float>(3, 4).Length(), 5.0);
}

TEST(VectorTest, FloatLengthSumsInFloatAndRootsInDouble) {
  // 4097^2 = 16785409 is not a float: it rounds to 16785408, so the float sum is 33570816.
  const Vector<float> v(4097.0f, 4097.0f);
  EXPECT_EQ(v.Length(), std::sqrt(33570816.0));
  EXPECT_NE(v.Length(), static_cast<double>(static_cast<float>(v.Length())));
}

TEST(VectorTest, NormalizeScalesToUnitLength) {
  Vector<double> v(3, 4);
  v.Normalize();
  EXPECT_DOUBLE_EQ(v.x, 0.6);
  EXPECT_DOUBLE_EQ(v.y, 0.8);

  Vector<float> f(0, -7);
  f.Normalize();
  EXPECT_EQ(f.x, 0.0f);
  EXPECT_EQ(f.y, -1.0f);
}

TEST(VectorTest, NormalizeLeavesVectorsWithoutDirectionAlone) {
  Vector<double> zero;
  zero.Normalize();
  EXPECT_EQ(zero.x, 0.0);
  EXPECT_EQ(zero.y, 0.0);
  EXPECT_FALSE(std::signbit(zero.x));

  const double nan = std::numeric_limits<double>::quiet_NaN();
  Vector<double> undefined(nan, 1.0);
  undefined.Normalize();
  EXPECT_TRUE(std::isnan(undefined.x));
  EXPECT_EQ(undefined.y, 1.0);
}

}  // namespace
