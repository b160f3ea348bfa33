// The host's drawing objects behind the Drawbot suites: opaque references that must be released.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace testhost {

class DrawObjects {
 public:
  enum class Kind { DrawRef, Supplier, Surface, Pen, Brush, Path };

  // A fresh reference; Pen, Brush and Path objects count as live until released.
  void* create(Kind kind);
  // False for a reference that is unknown or already released.
  bool release(void* ref);
  bool isLive(void* ref) const;
  bool is(void* ref, Kind kind) const;
  // Pens, brushes and paths created and not yet released.
  int live() const;

 private:
  struct Object {
    Kind kind;
    bool live;
  };
  std::map<void*, std::unique_ptr<Object>> objects_;
};

}  // namespace testhost
