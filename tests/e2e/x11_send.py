#!/usr/bin/env python3
"""Sends a window key strokes and the window manager's close request in one go.

    x11_send.py WINDOW ITEM...

Each ITEM is a key name as X knows it (k, q, Escape) pressed and released, or
"close" for WM_DELETE_WINDOW, the close button's message. All items are flushed
together, so the game finds them in one batch of events: a close after the keys
that start a sound cue is handled inside that cue. Needs only libX11.
"""
import ctypes
import sys

KEY_PRESS, KEY_RELEASE, CLIENT_MESSAGE = 2, 3, 33
KEY_PRESS_MASK, KEY_RELEASE_MASK = 1 << 0, 1 << 1


class XKeyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("root", ctypes.c_ulong),
                ("subwindow", ctypes.c_ulong), ("time", ctypes.c_ulong), ("x", ctypes.c_int), ("y", ctypes.c_int),
                ("x_root", ctypes.c_int), ("y_root", ctypes.c_int), ("state", ctypes.c_uint),
                ("keycode", ctypes.c_uint), ("same_screen", ctypes.c_int)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xkey", XKeyEvent), ("xclient", XClientMessageEvent),
                ("pad", ctypes.c_long * 24)]


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XStringToKeysym.restype = ctypes.c_ulong
    x.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x.XKeysymToKeycode.restype = ctypes.c_ubyte
    x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    # The game may be gone before the last event is delivered: not an error here.
    handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)
    x.XSetErrorHandler(handler)
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("x11_send.py: cannot open the display")
    window = int(sys.argv[1], 0)
    root = x.XDefaultRootWindow(display)
    protocols = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    delete = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    time = 1
    for item in sys.argv[2:]:
        event = XEvent()
        if item == "close":
            m = event.xclient
            m.type, m.window, m.message_type, m.format = CLIENT_MESSAGE, window, protocols, 32
            m.l[0], m.l[1] = delete, 0
            x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
            continue
        keycode = x.XKeysymToKeycode(display, x.XStringToKeysym(item.encode()))
        if not keycode:
            sys.exit("x11_send.py: no key " + item)
        for kind, mask in ((KEY_PRESS, KEY_PRESS_MASK), (KEY_RELEASE, KEY_RELEASE_MASK)):
            k = event.xkey
            k.type, k.window, k.root, k.time, k.keycode, k.same_screen = kind, window, root, time, keycode, 1
            # Distinct times: SDL takes a release and a press at the same time for auto-repeat.
            time += 5
            x.XSendEvent(display, window, 1, mask, ctypes.byref(event))
    x.XSync(display, 0)
    x.XCloseDisplay(display)


if __name__ == "__main__":
    main()
