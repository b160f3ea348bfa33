// The custom-UI and Drawbot suites: drawing references and objects that are recorded and counted,
// drawing into the target (the panel) the event came from.
#include "Internal.h"
#include "testhost/core/DrawingTarget.h"

namespace testhost {

using detail::Arg;
using detail::Finish;
using Kind = DrawObjects::Kind;

namespace {

std::string Colour(const DRAWBOT_ColorRGBA* c) {
  if (!c) return "(null)";
  return "rgba(" + Arg(c->red) + ", " + Arg(c->green) + ", " + Arg(c->blue) + ", " + Arg(c->alpha) +
         ")";
}

// Records the call; false when there is no host or a fault answers it (then `err` is the result).
bool Begin(Host*& h, const char* name, std::vector<std::string> args, SPErr& err) {
  h = Host::current();
  if (!h) {
    err = PF_Err_BAD_CALLBACK_PARAM;
    return false;
  }
  if (auto f = h->enter(name, std::move(args), Returns::Error)) {
    err = Finish(h, f->code);
    return false;
  }
  if (!h->during(PF_Cmd_EVENT, name)) {
    err = Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    return false;
  }
  return true;
}

// A new object of `kind` into *out, after checking that `owner` is a live object of `ownerKind`;
// it draws into the owner's target. Returns null (the call finished with an error) on misuse.
DrawObjects::Object* Create(Host* h, const char* name, void* owner, Kind ownerKind, Kind kind,
                            void** out) {
  if (!out || !h->drawObjects().is(owner, ownerKind) || !h->drawObjects().isLive(owner)) {
    h->violation(std::string(name) + " with an unknown reference or a null result pointer");
    Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    return nullptr;
  }
  *out = h->drawObjects().create(kind, h->drawObjects().find(owner)->target);
  return h->drawObjects().find(*out);
}

SPErr Created(Host* h, DrawObjects::Object* object) {
  return object ? Finish(h, PF_Err_NONE) : PF_Err_BAD_CALLBACK_PARAM;
}

ColorF ColourOf(const DRAWBOT_ColorRGBA& c) { return {c.red, c.green, c.blue, c.alpha}; }

// Checks that every object a drawing call uses is live, and finishes the call: with success, or
// with an error and a violation when one is not.
SPErr CheckObjectsAndFinish(Host* h, const char* name,
                            std::initializer_list<std::pair<void*, Kind>> objects) {
  for (const auto& [ref, kind] : objects) {
    if (!h->drawObjects().is(ref, kind) || !h->drawObjects().isLive(ref)) {
      h->violation(std::string(name) + " with a drawing object that is unknown or released");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
  }
  return Finish(h, PF_Err_NONE);
}

// A target that cannot be drawn into yields no reference; a target that does not paint, or a
// context that no target stands behind, yields one that draws nowhere.
PF_Err GetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef* ref) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "PF_GetDrawingReference", {Arg(static_cast<const void*>(context))}, err))
    return err;
  if (!ref || !context) {
    h->violation("PF_GetDrawingReference with a null context or result pointer");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  DrawingTarget* target = DrawingTarget::fromContext(context);
  if (target && !target->drawable()) {
    *ref = nullptr;
  } else {
    DrawingTarget* paints = target && target->painting() ? target : nullptr;
    *ref = static_cast<DRAWBOT_DrawRef>(h->drawObjects().create(Kind::DrawRef, paints));
  }
  return Finish(h, PF_Err_NONE);
}

SPErr GetSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "GetSupplier", {}, err)) return err;
  return Created(h, Create(h, "GetSupplier", draw, Kind::DrawRef, Kind::Supplier,
                           reinterpret_cast<void**>(supplier)));
}

SPErr GetSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "GetSurface", {}, err)) return err;
  return Created(h, Create(h, "GetSurface", draw, Kind::DrawRef, Kind::Surface,
                           reinterpret_cast<void**>(surface)));
}

SPErr NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour, float width,
             DRAWBOT_PenRef* pen) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "NewPen", {Colour(colour), Arg(width)}, err)) return err;
  if (!colour) {
    h->violation("NewPen with a null colour");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  DrawObjects::Object* object =
      Create(h, "NewPen", supplier, Kind::Supplier, Kind::Pen, reinterpret_cast<void**>(pen));
  if (object) {
    object->colour = ColourOf(*colour);
    object->width = width;
  }
  return Created(h, object);
}

SPErr NewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour,
               DRAWBOT_BrushRef* brush) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "NewBrush", {Colour(colour)}, err)) return err;
  if (!colour) {
    h->violation("NewBrush with a null colour");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  DrawObjects::Object* object = Create(h, "NewBrush", supplier, Kind::Supplier, Kind::Brush,
                                       reinterpret_cast<void**>(brush));
  if (object) object->colour = ColourOf(*colour);
  return Created(h, object);
}

SPErr NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "NewPath", {}, err)) return err;
  return Created(h, Create(h, "NewPath", supplier, Kind::Supplier, Kind::Path,
                           reinterpret_cast<void**>(path)));
}

SPErr ReleaseObject(DRAWBOT_ObjectRef object) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "ReleaseObject", {Arg(static_cast<const void*>(object))}, err)) return err;
  if (!h->drawObjects().is(object, Kind::Pen) && !h->drawObjects().is(object, Kind::Brush) &&
      !h->drawObjects().is(object, Kind::Path) && h->drawObjects().find(object)) {
    h->violation("ReleaseObject of a drawing reference, supplier or surface, which the host owns");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  if (!h->drawObjects().release(object)) {
    h->violation("ReleaseObject of a drawing object that is unknown or already released");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  return Finish(h, PF_Err_NONE);
}

SPErr MoveTo(DRAWBOT_PathRef path, float x, float y) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "MoveTo", {Arg(x), Arg(y)}, err)) return err;
  if (const SPErr used = CheckObjectsAndFinish(h, "MoveTo", {{path, Kind::Path}})) return used;
  h->drawObjects().find(path)->figures.push_back({{x, y}});
  return PF_Err_NONE;
}

SPErr LineTo(DRAWBOT_PathRef path, float x, float y) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "LineTo", {Arg(x), Arg(y)}, err)) return err;
  if (const SPErr used = CheckObjectsAndFinish(h, "LineTo", {{path, Kind::Path}})) return used;
  // A line with no figure started begins one where it ends.
  auto& figures = h->drawObjects().find(path)->figures;
  if (figures.empty()) figures.push_back({});
  figures.back().push_back({x, y});
  return PF_Err_NONE;
}

SPErr ClosePath(DRAWBOT_PathRef path) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "Close", {}, err)) return err;
  return CheckObjectsAndFinish(h, "Close", {{path, Kind::Path}});
}

SPErr StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "StrokePath", {}, err)) return err;
  if (const SPErr used = CheckObjectsAndFinish(
          h, "StrokePath", {{surface, Kind::Surface}, {pen, Kind::Pen}, {path, Kind::Path}}))
    return used;
  DrawObjects& objects = h->drawObjects();
  if (DrawingTarget* target = objects.find(surface)->target) {
    const DrawObjects::Object& p = *objects.find(pen);
    target->strokePolylines(objects.find(path)->figures, p.width, p.colour);
  }
  return PF_Err_NONE;
}

SPErr FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
               DRAWBOT_FillType fill) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  if (!Begin(h, "FillPath", {Arg(static_cast<long long>(fill))}, err)) return err;
  return CheckObjectsAndFinish(
      h, "FillPath", {{surface, Kind::Surface}, {brush, Kind::Brush}, {path, Kind::Path}});
}

SPErr PaintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA* colour,
                const DRAWBOT_RectF32* rect) {
  const CallbackTimer timer;
  Host* h;
  SPErr err;
  std::vector<std::string> args{Colour(colour)};
  if (rect) {
    for (float v : {rect->left, rect->top, rect->width, rect->height}) args.push_back(Arg(v));
  }
  if (!Begin(h, "PaintRect", std::move(args), err)) return err;
  if (!colour || !rect) {
    h->violation("PaintRect with a null colour or rectangle");
    return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
  }
  if (const SPErr used = CheckObjectsAndFinish(h, "PaintRect", {{surface, Kind::Surface}}))
    return used;
  if (DrawingTarget* target = h->drawObjects().find(surface)->target) {
    target->paintRect(rect->left, rect->top, rect->width, rect->height, ColourOf(*colour));
  }
  return PF_Err_NONE;
}

}  // namespace

namespace detail {

const std::vector<SuiteEntry>& DrawingSuites() {
  static const PF_EffectCustomUISuite1 customUI = [] {
    PF_EffectCustomUISuite1 s{};
    s.PF_GetDrawingReference = &GetDrawingReference;
    return s;
  }();
  static const DRAWBOT_DrawbotSuite1 draw = [] {
    DRAWBOT_DrawbotSuite1 s{};
    s.GetSupplier = &GetSupplier;
    s.GetSurface = &GetSurface;
    return s;
  }();
  static const DRAWBOT_SupplierSuite1 supplier = [] {
    DRAWBOT_SupplierSuite1 s{};
    s.NewPen = &NewPen;
    s.NewBrush = &NewBrush;
    Stub(s.SupportsText);
    Stub(s.GetDefaultFontSize);
    Stub(s.NewDefaultFont);
    Stub(s.NewImageFromBuffer);
    s.NewPath = &NewPath;
    Stub(s.SupportsPixelLayoutBGRA);
    Stub(s.PrefersPixelLayoutBGRA);
    Stub(s.SupportsPixelLayoutARGB);
    Stub(s.PrefersPixelLayoutARGB);
    Stub(s.RetainObject);
    s.ReleaseObject = &ReleaseObject;
    return s;
  }();
  static const DRAWBOT_SurfaceSuite1 surface = [] {
    DRAWBOT_SurfaceSuite1 s{};
    Stub(s.PushStateStack);
    Stub(s.PopStateStack);
    s.PaintRect = &PaintRect;
    s.FillPath = &FillPath;
    s.StrokePath = &StrokePath;
    Stub(s.Clip);
    Stub(s.GetClipBounds);
    Stub(s.IsWithinClipBounds);
    Stub(s.Transform);
    Stub(s.DrawString);
    Stub(s.DrawImage);
    Stub(s.SetInterpolationPolicy);
    Stub(s.GetInterpolationPolicy);
    Stub(s.SetAntiAliasPolicy);
    Stub(s.GetAntiAliasPolicy);
    Stub(s.Flush);
    return s;
  }();
  static const DRAWBOT_PathSuite1 path = [] {
    DRAWBOT_PathSuite1 s{};
    s.MoveTo = &MoveTo;
    s.LineTo = &LineTo;
    Stub(s.BezierTo);
    Stub(s.AddRect);
    Stub(s.AddArc);
    s.Close = &ClosePath;
    return s;
  }();
  static const std::vector<SuiteEntry> suites = {
      {kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &customUI},
      {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &draw},
      {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &supplier},
      {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1, &surface},
      {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &path},
  };
  return suites;
}

}  // namespace detail
}  // namespace testhost
