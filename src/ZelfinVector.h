// Two-component vector for the vertex editor's geometry.
//
// Deliberately small: compound assignments, Length, Dot, Cross and Normalize, nothing else (no
// binary operators, no unary minus, no comparisons). The member functions are defined in
// ZelfinVector.cpp and instantiated there for double and float only.
#pragma once

namespace zelfin {

template <typename T>
class Vector {
 public:
  T x;
  T y;

  Vector();
  // Explicit so that a scalar never turns into a vector behind += or -=.
  explicit Vector(T v);
  Vector(T x, T y);
  Vector(const Vector& other) = default;
  Vector& operator=(const Vector& other) = default;

  Vector& operator+=(const Vector& o);
  Vector& operator-=(const Vector& o);
  // Component by component, not a dot product.
  Vector& operator*=(const Vector& o);
  Vector& operator*=(const T& s);
  // Component by component; a zero divisor follows the floating-point rules.
  Vector& operator/=(const Vector& o);
  Vector& operator/=(const T& s);

  // Square root of x*x + y*y, taken in double for both instantiations.
  double Length() const;
  T Dot(const Vector& o) const;
  // z of the three-dimensional cross product (this x o).
  T Cross(const Vector& o) const;
  // Scales to length 1; a vector of length 0 (or not a number) is left as it is.
  void Normalize();
};

extern template class Vector<double>;
extern template class Vector<float>;

}  // namespace zelfin
