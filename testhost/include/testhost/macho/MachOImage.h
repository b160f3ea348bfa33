// The code of a macOS bundle for this process's architecture (x86_64 or arm64), loaded into this
// Linux process by hand: macOS and Linux share the calling convention (but for arm64 variadic
// arguments) and the C++ runtime's binary interface, so once its segments are mapped, its
// pointers slid and bound and its unwind data translated, the host can call its entry points as
// it calls the Linux library's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "testhost/formats/MachO.h"
#include "testhost/formats/ByteReader.h"

namespace testhost {

class MachOImage {
 public:
  // Loads the slice of this process's architecture of a thin or universal code file held in
  // `file`. Throws MachOError naming the problem (malformed file, no code for this architecture,
  // an import this process does not have, unwind data that cannot be translated); nothing stays
  // mapped or registered then.
  explicit MachOImage(const std::vector<std::uint8_t>& file);
  ~MachOImage();
  MachOImage(const MachOImage&) = delete;
  MachOImage& operator=(const MachOImage&) = delete;

  // The exported symbol of that C name (without the leading underscore), or null.
  void* find(const std::string& name) const;

 private:
  // The steps of loading, in order: copy each segment into a fresh mapping, slide and bind its
  // pointers, check the exports, then give each segment its protection.
  void mapSegments(const std::vector<std::uint8_t>& file, const MachOSlice& slice,
                   std::uint64_t low, std::uint64_t high);
  void link(const MachOSlice& slice, const std::vector<MachOLocation>& rebases,
            const std::vector<MachOBinding>& bindings, std::uint64_t low);
  void checkExports() const;
  ByteReader image(const MachOSlice& slice, std::uint64_t low) const;
  void protectSegments(const MachOSlice& slice, std::uint64_t low);

  // Owns the reserved address range; unmaps it when destroyed.
  class Mapping {
   public:
    Mapping() = default;
    explicit Mapping(std::size_t size);
    ~Mapping();
    Mapping(Mapping&& other) noexcept;
    Mapping& operator=(Mapping&& other) noexcept;
    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

   private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
  };
  // Deregisters the frame data it registered when destroyed.
  class FrameRegistration {
   public:
    FrameRegistration() = default;
    explicit FrameRegistration(const std::vector<std::uint8_t>& ehFrame);
    ~FrameRegistration();
    FrameRegistration(const FrameRegistration&) = delete;
    FrameRegistration& operator=(const FrameRegistration&) = delete;
    FrameRegistration& operator=(FrameRegistration&& other) noexcept;

   private:
    const void* registered_ = nullptr;
  };

  Mapping mapping_;
  const std::uint8_t* header_ = nullptr;
  std::map<std::string, std::uint64_t> exports_;
  std::vector<std::uint8_t> ehFrame_;
  FrameRegistration frames_;  // last: deregistered before the frame data and the code go
};

}  // namespace testhost
