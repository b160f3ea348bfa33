#include "testhost/core/Drawing.h"

#include <algorithm>

namespace testhost {

void* DrawObjects::create(Kind kind, DrawingTarget* target) {
  auto object = std::make_unique<Object>();
  object->kind = kind;
  object->target = target;
  void* ref = object.get();
  objects_.emplace(ref, std::move(object));
  return ref;
}

bool DrawObjects::release(void* ref) {
  auto it = objects_.find(ref);
  if (it == objects_.end() || !it->second->live) return false;
  it->second->live = false;
  return true;
}

DrawObjects::Object* DrawObjects::find(void* ref) {
  auto it = objects_.find(ref);
  return it == objects_.end() ? nullptr : it->second.get();
}

bool DrawObjects::isLive(void* ref) const {
  auto it = objects_.find(ref);
  return it != objects_.end() && it->second->live;
}

bool DrawObjects::is(void* ref, Kind kind) const {
  auto it = objects_.find(ref);
  return it != objects_.end() && it->second->kind == kind;
}

void DrawObjects::expireReferences() {
  for (auto& [ref, object] : objects_) {
    const Kind k = object->kind;
    if (k == Kind::DrawRef || k == Kind::Supplier || k == Kind::Surface) object->live = false;
  }
}

int DrawObjects::live() const {
  return static_cast<int>(std::count_if(objects_.begin(), objects_.end(), [](const auto& o) {
    const Kind k = o.second->kind;
    return o.second->live && (k == Kind::Pen || k == Kind::Brush || k == Kind::Path);
  }));
}

}  // namespace testhost
