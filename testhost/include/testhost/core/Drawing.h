// The host's drawing objects behind the Drawbot suites: opaque references that must be released,
// with what each one holds (a path's figures, a pen's colour and width) and the target that a
// drawing reference, supplier or surface draws into.
#pragma once

#include "testhost/core/DrawingTarget.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testhost {

class DrawObjects {
 public:
  enum class Kind { DrawRef, Supplier, Surface, Pen, Brush, Path };

  struct Object {
    Kind kind;
    bool live = true;
    DrawingTarget* target = nullptr;            // DrawRef, Supplier, Surface: null draws nowhere
    ColorF colour;                              // Pen, Brush
    float width = 0;                            // Pen
    std::vector<std::vector<PointF>> figures;  // Path: each MoveTo starts one
  };

  // A fresh reference, live until released (pens, brushes, paths) or until its event ends.
  void* create(Kind kind, DrawingTarget* target = nullptr);
  // False for a reference that is unknown or already released.
  bool release(void* ref);
  bool isLive(void* ref) const;
  bool is(void* ref, Kind kind) const;
  // The object behind a reference, or null for one this host never made.
  Object* find(void* ref);
  // Pens, brushes and paths created and not yet released.
  int live() const;
  // Ends the drawing references, suppliers and surfaces handed out so far: they belong to the
  // event that got them, and a later use of one is reported as a use of a released object.
  void expireReferences();

 private:
  std::map<void*, std::unique_ptr<Object>> objects_;
};

}  // namespace testhost
