#include "testhost/panels/Png.h"

#ifndef ZELFIN_TESTHOST_PNG
#define ZELFIN_TESTHOST_PNG 0
#endif
#if ZELFIN_TESTHOST_PNG
#include <png.h>
#endif

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "testhost/formats/File.h"

namespace testhost {

RgbaImage MakeImage(int width, int height) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.samples.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  return image;
}

bool PngSupported() { return ZELFIN_TESTHOST_PNG != 0; }

#if ZELFIN_TESTHOST_PNG

namespace {

// Larger pictures are refused before anything is allocated for them: libpng is let read any
// size a PNG file may declare, and the limits are checked here, so that every dimension that is
// too large gets the same message.
constexpr png_uint_32 kLargestPngSide = 0x7FFFFFFF;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr Open(const std::string& path, const char* mode) {
  FilePtr file(std::fopen(path.c_str(), mode), &std::fclose);
  if (!file) {
    throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  }
  return file;
}

// libpng reports errors through this callback and expects it not to return: the message is kept
// and control goes back to the setjmp of the call in progress.
struct ErrorSink {
  char message[200] = "";
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The libpng calls run in functions holding nothing with a destructor, so that the longjmp of an
// error skips no C++ object. Each returns false after an error, with the message in the sink.
bool ReadHeader(png_structp png, png_infop info, std::FILE* file, png_uint_32* width,
                png_uint_32* height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_set_user_limits(png, kLargestPngSide, kLargestPngSide);
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  return true;
}

// Into 16-bit or 8-bit RGBA, whatever the file holds.
bool SetUpTransforms(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  if (!(png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) &&
      !png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

bool WriteRows(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
               png_uint_32 height, int bits, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, bits, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

struct ReadStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct WriteStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteStructs() { png_destroy_write_struct(&png, &info); }
};

}  // namespace

RgbaImage ReadPng(const std::string& path) {
  try {
    const CheckedFile checked(path, kMaxPngFileSize, "a picture");
  } catch (const LoadError& e) {
    throw std::runtime_error("cannot read " + path + ": " + e.what());
  }
  FilePtr file = Open(path, "rb");
  png_byte signature[8] = {};
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    throw std::runtime_error(path + " is not a PNG file");
  }
  ErrorSink sink;
  ReadStructs s;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
  if (s.png) s.info = png_create_info_struct(s.png);
  if (!s.info) throw std::runtime_error("cannot set up the PNG reader");

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  if (!ReadHeader(s.png, s.info, file.get(), &width, &height)) {
    throw std::runtime_error("cannot read " + path + ": " + sink.message);
  }
  if (width > kMaxPngSide || height > kMaxPngSide ||
      std::uint64_t{width} * height > kMaxPngPixels) {
    throw std::runtime_error(path + " is too large: " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels, where at most " +
                             std::to_string(kMaxPngSide) + " on a side and " +
                             std::to_string(kMaxPngPixels) + " in all are read");
  }
  if (!SetUpTransforms(s.png, s.info)) {
    throw std::runtime_error("cannot read " + path + ": " + sink.message);
  }
  const int bits = png_get_bit_depth(s.png, s.info);
  const std::size_t rowBytes = png_get_rowbytes(s.png, s.info);
  std::vector<png_byte> bytes(rowBytes * height);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = bytes.data() + rowBytes * y;
  if (!ReadRows(s.png, s.info, rows.data())) {
    throw std::runtime_error("cannot read " + path + ": " + sink.message);
  }

  RgbaImage image = MakeImage(static_cast<int>(width), static_cast<int>(height));
  for (png_uint_32 y = 0; y < height; ++y) {
    const png_byte* in = rows[y];
    std::uint16_t* out = image.pixel(0, static_cast<int>(y));
    for (std::size_t i = 0; i < std::size_t{width} * 4; ++i) {
      out[i] = bits == 16 ? static_cast<std::uint16_t>(in[2 * i] << 8 | in[2 * i + 1])
                          : static_cast<std::uint16_t>(in[i] * 257);
    }
  }
  return image;
}

void WritePng(const std::string& path, const RgbaImage& image, int bitsPerChannel) {
  if (bitsPerChannel != 8 && bitsPerChannel != 16) {
    throw std::invalid_argument("PNG files are written with 8 or 16 bits per channel");
  }
  // The rows below are read straight from the samples, so they must all be there.
  if (image.width <= 0 || image.height <= 0 ||
      image.samples.size() != static_cast<std::size_t>(image.width) *
                                  static_cast<std::size_t>(image.height) * 4) {
    throw std::invalid_argument("cannot write " + path + ": the image is not " +
                                std::to_string(image.width) + " x " +
                                std::to_string(image.height) + " pixels of four samples");
  }
  const std::size_t bytesPerSample = bitsPerChannel / 8;
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4 * bytesPerSample;
  std::vector<png_byte> bytes(rowBytes * static_cast<std::size_t>(image.height));
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    png_bytep row = bytes.data() + rowBytes * static_cast<std::size_t>(y);
    rows[static_cast<std::size_t>(y)] = row;
    const std::uint16_t* in = image.pixel(0, y);
    for (std::size_t i = 0; i < static_cast<std::size_t>(image.width) * 4; ++i) {
      if (bitsPerChannel == 16) {
        row[2 * i] = static_cast<png_byte>(in[i] >> 8);
        row[2 * i + 1] = static_cast<png_byte>(in[i] & 0xFF);
      } else {
        row[i] = static_cast<png_byte>((in[i] * 255u + 32767u) / 65535u);
      }
    }
  }

  FilePtr file = Open(path, "wb");
  ErrorSink sink;
  WriteStructs s;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
  if (s.png) s.info = png_create_info_struct(s.png);
  if (!s.info) throw std::runtime_error("cannot set up the PNG writer");
  if (!WriteRows(s.png, s.info, file.get(), static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), bitsPerChannel, rows.data())) {
    throw std::runtime_error("cannot write " + path + ": " + sink.message);
  }
  if (std::fflush(file.get()) != 0) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  }
}

#else

RgbaImage ReadPng(const std::string& path) {
  throw std::runtime_error("cannot read " + path + ": this build has no PNG support");
}

void WritePng(const std::string& path, const RgbaImage&, int) {
  throw std::runtime_error("cannot write " + path + ": this build has no PNG support");
}

#endif

}  // namespace testhost
