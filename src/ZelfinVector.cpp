#include "ZelfinVector.h"

#include <cmath>

namespace zelfin {

template <typename T>
Vector<T>::Vector() : x(0), y(0) {}

template <typename T>
Vector<T>::Vector(T v) : x(v), y(v) {}

template <typename T>
Vector<T>::Vector(T x_, T y_) : x(x_), y(y_) {}

template <typename T>
Vector<T>& Vector<T>::operator+=(const Vector& o) {
  x += o.x;
  y += o.y;
  return *this;
}

template <typename T>
Vector<T>& Vector<T>::operator-=(const Vector& o) {
  x -= o.x;
  y -= o.y;
  return *this;
}

template <typename T>
Vector<T>& Vector<T>::operator*=(const Vector& o) {
  x *= o.x;
  y *= o.y;
  return *this;
}

template <typename T>
Vector<T>& Vector<T>::operator*=(const T& s) {
  x *= s;
  y *= s;
  return *this;
}

template <typename T>
Vector<T>& Vector<T>::operator/=(const Vector& o) {
  x /= o.x;
  y /= o.y;
  return *this;
}

template <typename T>
Vector<T>& Vector<T>::operator/=(const T& s) {
  x /= s;
  y /= s;
  return *this;
}

// The squares and their sum stay in T; only the root is widened, so a float vector's length is
// the double root of its float sum.
template <typename T>
double Vector<T>::Length() const {
  const T sum = x * x + y * y;
  return std::sqrt(static_cast<double>(sum));
}

template <typename T>
T Vector<T>::Dot(const Vector& o) const {
  return x * o.x + y * o.y;
}

template <typename T>
T Vector<T>::Cross(const Vector& o) const {
  return x * o.y - y * o.x;
}

template <typename T>
void Vector<T>::Normalize() {
  const double len = Length();
  if (len > 0) {  // false for a zero length and for not-a-number alike
    x = static_cast<T>(static_cast<double>(x) / len);
    y = static_cast<T>(static_cast<double>(y) / len);
  }
}

template class Vector<double>;
template class Vector<float>;

}  // namespace zelfin
