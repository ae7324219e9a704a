#!/usr/bin/python3
"""Acts on a headless GNOME Shell for the end-to-end tests, as a learner's keyboard, mouse
and eyes would: keys and clicks through Mutter's RemoteDesktop D-Bus API, screenshots
through GNOME Shell's Screenshot API (which answers only a caller that owns the name
org.gnome.Screenshot).

Reads one command a line on standard input and answers "ok", a value, or "error ..." on
standard output:
  key NAME...        presses and releases each key (Tab, Return, space, Escape, Up, Down,
                     Super_L, Alt_L, letters and digits); A+B holds A while B is pressed
  click X Y          a left click at that point of the screen
  shot FILE          a screenshot of the whole screen into FILE (an absolute path)
  overview           "true" or "false": whether the overview shows
"""

import sys

from gi.repository import Gio, GLib

KEYSYMS = {"Tab": 0xFF09, "Return": 0xFF0D, "space": 0x20, "Escape": 0xFF1B, "Up": 0xFF52,
           "Down": 0xFF54, "Super_L": 0xFFEB, "Alt_L": 0xFFE9}
BTN_LEFT = 0x110
SESSION_IFACE = "org.gnome.Mutter.RemoteDesktop.Session"


def call(bus, name, path, iface, method, args=None, reply=None):
    return bus.call_sync(name, path, iface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 10000, None)


class Driver:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        owned = call(self.bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                     "org.freedesktop.DBus", "RequestName",
                     GLib.Variant("(su)", ("org.gnome.Screenshot", 4)), "(u)").unpack()[0]
        if owned != 1:
            raise RuntimeError("could not own org.gnome.Screenshot (%d)" % owned)
        self.session = call(self.bus, "org.gnome.Mutter.RemoteDesktop",
                            "/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                            "CreateSession", None, "(o)").unpack()[0]
        self.remote("Start")

    def remote(self, method, args=None):
        call(self.bus, "org.gnome.Mutter.RemoteDesktop", self.session, SESSION_IFACE, method,
             args)

    def key(self, names):
        for chord in names:
            keysyms = []
            for name in chord.split("+"):
                keysym = KEYSYMS.get(name) or (ord(name) if len(name) == 1 else None)
                if keysym is None:
                    raise ValueError("no key " + name)
                keysyms.append(keysym)
            for keysym in keysyms:
                self.remote("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, True)))
            for keysym in reversed(keysyms):
                self.remote("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, False)))

    def click(self, x, y):
        # Relative moves only (absolute ones need a screen cast stream): into the top left
        # corner, where the pointer stops, then to the point.
        self.remote("NotifyPointerMotionRelative", GLib.Variant("(dd)", (-100000.0, -100000.0)))
        self.remote("NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(x), float(y))))
        for pressed in (True, False):
            self.remote("NotifyPointerButton", GLib.Variant("(ib)", (BTN_LEFT, pressed)))
        # Back into the corner, off anything a screenshot reads next.
        self.remote("NotifyPointerMotionRelative", GLib.Variant("(dd)", (-100000.0, -100000.0)))

    def shot(self, path):
        ok, _ = call(self.bus, "org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                     "org.gnome.Shell.Screenshot", "Screenshot",
                     GLib.Variant("(bbs)", (False, False, path)), "(bs)").unpack()
        if not ok:
            raise RuntimeError("no screenshot")

    def overview(self):
        value = call(self.bus, "org.gnome.Shell", "/org/gnome/Shell",
                     "org.freedesktop.DBus.Properties", "Get",
                     GLib.Variant("(ss)", ("org.gnome.Shell", "OverviewActive")),
                     "(v)").unpack()[0]
        return "true" if value else "false"


def main():
    driver = Driver()
    print("ok", flush=True)
    for line in sys.stdin:
        words = line.split()
        try:
            if words[0] == "key":
                driver.key(words[1:])
                answer = "ok"
            elif words[0] == "click":
                driver.click(int(words[1]), int(words[2]))
                answer = "ok"
            elif words[0] == "shot":
                driver.shot(words[1])
                answer = "ok"
            elif words[0] == "overview":
                answer = driver.overview()
            else:
                answer = "error: no command " + words[0]
        except (GLib.Error, RuntimeError, ValueError, IndexError) as error:
            answer = "error: %s" % error
        print(answer, flush=True)


if __name__ == "__main__":
    main()
