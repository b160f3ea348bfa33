#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz target into fuzz/corpus: one input per typical session, in
the input format that plugin_fuzzer.cpp reads (little-endian, read from the front)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
EFFECTS = {"2d": 0, "3d": 1, "camera": 2, "light": 3, "bezier": 4}
CALLS = ["AcquireSuite", "ReleaseSuite", "add_param", "register_ui", "PF_UpdateParamUI",
         "host_new_handle", "host_lock_handle", "AEGP_RegisterWithAEGP", "checkout_layer",
         "checkout_layer_pixels", "checkout_output", "PF_COPY", "layer_to_comp", "comp_to_layer",
         "source_to_frame", "frame_to_source", "PF_GetDrawingReference", "GetSurface",
         "GetSupplier", "NewPath", "NewPen", "MoveTo", "LineTo", "StrokePath", "PaintRect",
         "ReleaseObject", "fabs", "PF_STRCPY", "PF_SPRINTF"]
ABOUT, SETUP, SETDOWN, PARAMS, UPDATE_UI, EVENT, PRE_RENDER, RENDER, SET_PARAM, FAULT, VIEW, \
    SELECTOR, PANEL, ABSOLUTE = range(14)
CLICK, DRAG, DRAW = 0, 2, 4


def i32(v):
    return struct.pack("<i", v)


def fault(call, occurrence=1, code=1234):
    """A fault that fails the call with `code` (kind 0)."""
    pick = CALLS.index(call) or len(CALLS)
    return bytes([pick, occurrence, 0]) + i32(code)


def session(effect, *steps, setup_fault=b"\0", params_fault=b"\0"):
    return bytes([EFFECTS[effect]]) + setup_fault + params_fault + b"".join(steps)


def frame(depth_index, width=12, height=7):
    return bytes([PRE_RENDER, depth_index, width - 1, height - 1, 1, 3, 0]) + bytes([RENDER])


def number(value):
    """A double in steps of 1/256, the Reader's second form."""
    return bytes([12]) + i32(int(value * 256))


def view(window, zoom=2.0, scroll=(10, 4), layer=(5, 3)):
    """Picks the panel of the EVENT steps: its window, view (frame = source * zoom - scroll) and,
    in the Composition panel, where the layer's origin sits."""
    return bytes([VIEW, window]) + b"".join(
        number(v) for v in (zoom, scroll[0], scroll[1], layer[0], layer[1]))


def point(index, x, y):
    """Parameter 1 + index of Bezier Control, in whole pixels."""
    return bytes([SET_PARAM, index]) + i32(x << 16) + i32(y << 16) + b"\0\0"


def mouse(kind, h, v, shift=False, last=False, carry=True):
    flags = (1 if shift else 0) | (2 if carry else 0)
    body = i32(h) + i32(v) + (b"" if shift else i32(0)) + bytes([1, 0, 1 if last else 0])
    return bytes([EVENT, kind, flags]) + body


def panel_event(layer_panel, kind, h=0, v=0, transform=None, zoom=None, shift=False, last=False):
    """An event of the stand-in host's Composition (or Layer) panel, optionally moving the layer
    (position, anchor, scale, rotation) or the view (zoom) first."""
    flags = (1 if layer_panel else 0) | (4 if transform else 0) | (8 if zoom else 0)
    body = bytes([PANEL, flags])
    if transform:
        body += b"".join(number(x) for x in transform)
    if zoom:
        body += number(zoom) + number(0) + number(0)
    body += bytes([kind])
    if kind == DRAW:
        return body + bytes([2]) + i32(0) + i32(0) + i32(64) + i32(48)
    body += bytes([(1 if shift else 0) | 2]) + i32(h) + i32(v)
    return body + (b"" if shift else i32(0)) + bytes([1, 0, 1 if last else 0])


def draw():
    return bytes([EVENT, DRAW, 2]) + i32(0) + i32(0) + i32(64) + i32(48)


HANDLES = [
    point(0, 20, 12), point(1, -10, 0), point(2, 8, 5),
]
# Where the vertex shows in a panel with the layer at (30, 20) in the composition and a zoom of 2.
PANEL_SPOTS = [(100, 64), (40, 24)]
# Where the handles show in the Composition panel of view(0) and the Layer panel of view(1).
COMP = [(40, 26), (20, 26), (56, 36)]
LAYER = [(30, 20), (10, 20), (46, 30)]


def seeds():
    for name in EFFECTS:
        yield f"{name}-render", session(name, bytes([ABOUT, UPDATE_UI]), frame(0), frame(1),
                                        frame(2), bytes([SETDOWN]))
    for value in range(0, 6):
        light = bytes([SET_PARAM, 0]) + i32(value) + b"\0\0"
        yield f"light-type-{value}", session("light", light, bytes([UPDATE_UI]))
    yield "camera-two-node", session("camera", bytes([SET_PARAM, 0]) + i32(2) + b"\0\0",
                                     bytes([UPDATE_UI]))
    yield "2d-uniform", session("2d", bytes([SET_PARAM, 2, 1, 0, 0]), bytes([UPDATE_UI]))
    yield "light-update-fails", session("light", bytes([FAULT]) + fault("PF_UpdateParamUI", 3),
                                        bytes([UPDATE_UI]))
    yield "commands-without-extra", session(
        "bezier", *(bytes([SELECTOR]) + i32(cmd) for cmd in (15, 23, 24, 2, 25, -1)))
    yield "setup-lock-fails", session("camera", setup_fault=fault("host_lock_handle"))
    yield "params-refused", session("bezier", params_fault=fault("add_param", 2))
    for panel, window, spots in (("comp", 0, COMP), ("layer", 1, LAYER)):
        base = b"".join(HANDLES) + view(window)
        yield f"bezier-{panel}-draw", session("bezier", base, draw())
        yield f"bezier-{panel}-draw-pen-fails", session(
            "bezier", base, bytes([FAULT]) + fault("NewPen"), draw())
        yield f"bezier-{panel}-draw-release-fails", session(
            "bezier", base, bytes([FAULT]) + fault("ReleaseObject", 2), draw())
        for k, (h, v) in enumerate(spots):
            yield f"bezier-{panel}-drag-{k}", session(
                "bezier", base, mouse(CLICK, h, v), mouse(DRAG, h + 6, v - 4),
                mouse(DRAG, h + 30, v + 9, last=True), draw())
            yield f"bezier-{panel}-shift-drag-{k}", session(
                "bezier", base, mouse(CLICK, h, v), mouse(DRAG, h - 7, v + 3, shift=True),
                mouse(DRAG, h - 40, v + 1, shift=True, last=True))
        yield f"bezier-{panel}-panel-drag", session(
            "bezier", b"".join(HANDLES),
            panel_event(window, CLICK, *PANEL_SPOTS[window], transform=(30, 20, 0, 0, 100, 100, 0),
                        zoom=2),
            panel_event(window, DRAG, PANEL_SPOTS[window][0] + 9, PANEL_SPOTS[window][1] - 3),
            panel_event(window, DRAG, PANEL_SPOTS[window][0] + 20, PANEL_SPOTS[window][1],
                        last=True),
            panel_event(window, DRAW, transform=(30, 20, 4, 2, 150, 50, 30), zoom=1.5))
        yield f"bezier-{panel}-absolute-value-negative", session(
            "bezier", base, bytes([ABSOLUTE]) + number(-3), mouse(CLICK, 500, 500))
        yield f"bezier-{panel}-drag-as-clicks", session(
            "bezier", base, mouse(CLICK, *spots[2]),
            bytes([EVENT, CLICK, 2]) + i32(spots[2][0] + 5) + i32(spots[2][1]) + i32(0) +
            bytes([1, 1, 0]))


def main():
    out = os.path.join(HERE, "corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
