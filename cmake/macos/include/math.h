// The parts of the macOS C library's <math.h> that the plug-in and libc++'s headers use, for the
// cross build without Apple's SDK; the stubs in cmake/macos decide what may be linked.
#pragma once
#ifdef __cplusplus
extern "C" {
#endif
typedef float float_t;
typedef double double_t;
#define HUGE_VAL __builtin_huge_val()
#define HUGE_VALF __builtin_huge_valf()
#define HUGE_VALL __builtin_huge_vall()
#define INFINITY __builtin_inff()
#define NAN __builtin_nanf("")
#define FP_NAN 1
#define FP_INFINITE 2
#define FP_ZERO 3
#define FP_NORMAL 4
#define FP_SUBNORMAL 5
#define fpclassify(x) __builtin_fpclassify(FP_NAN, FP_INFINITE, FP_NORMAL, FP_SUBNORMAL, FP_ZERO, x)
#define signbit(x) __builtin_signbit(x)
#define isfinite(x) __builtin_isfinite(x)
#define isinf(x) __builtin_isinf(x)
#define isnan(x) __builtin_isnan(x)
#define isnormal(x) __builtin_isnormal(x)
#define isgreater(x, y) __builtin_isgreater(x, y)
#define isgreaterequal(x, y) __builtin_isgreaterequal(x, y)
#define isless(x, y) __builtin_isless(x, y)
#define islessequal(x, y) __builtin_islessequal(x, y)
#define islessgreater(x, y) __builtin_islessgreater(x, y)
#define isunordered(x, y) __builtin_isunordered(x, y)
#define ZELFIN_MATH(T, s) \
  T acos##s(T); T asin##s(T); T atan##s(T); T atan2##s(T, T); T ceil##s(T); T cos##s(T); \
  T cosh##s(T); T exp##s(T); T fabs##s(T); T floor##s(T); T fmod##s(T, T); \
  T frexp##s(T, int*); T ldexp##s(T, int); T log##s(T); T log10##s(T); T modf##s(T, T*); \
  T pow##s(T, T); T sin##s(T); T sinh##s(T); T sqrt##s(T); T tan##s(T); T tanh##s(T); \
  T acosh##s(T); T asinh##s(T); T atanh##s(T); T cbrt##s(T); T copysign##s(T, T); \
  T erf##s(T); T erfc##s(T); T exp2##s(T); T expm1##s(T); T fdim##s(T, T); \
  T fma##s(T, T, T); T fmax##s(T, T); T fmin##s(T, T); T hypot##s(T, T); int ilogb##s(T); \
  T lgamma##s(T); long long llrint##s(T); long long llround##s(T); T log1p##s(T); \
  T log2##s(T); T logb##s(T); long lrint##s(T); long lround##s(T); T nan##s(const char*); \
  T nearbyint##s(T); T nextafter##s(T, T); T nexttoward##s(T, long double); \
  T remainder##s(T, T); T remquo##s(T, T, int*); T rint##s(T); T round##s(T); \
  T scalbln##s(T, long); T scalbn##s(T, int); T tgamma##s(T); T trunc##s(T);
ZELFIN_MATH(double, )
ZELFIN_MATH(float, f)
ZELFIN_MATH(long double, l)
#undef ZELFIN_MATH
#ifdef __cplusplus
}
#endif
