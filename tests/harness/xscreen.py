"""The X display the Wine programs of a test show their windows on.

    screen = XScreen()                                 # $DISPLAY
    window = screen.wait_for(title="Korva游戏下载器", timeout=60)
    window = screen.wait_for(wm_class="korvalauncher.exe")
    screen.geometry(window)                             -> (x, y, width, height)
    image = screen.screenshot(window)                   # screen_image.Image
    screen.click(window, 695, 25)                       # real pointer input, xdotool
    with screen.watch_maps() as maps:                   # every window mapped meanwhile
        ...
    maps.mapped(wm_class="korvalauncher.exe")           -> [XWindow, ...]

Wine shows each top-level window in an X window whose WM_CLASS is the
program's file name in lower case and whose name is the window title. The
Windows class name is not on the X side: the e2e kit finds it with
tests/programs/winprobe.exe (see e2e.Kit.find_by_class).
"""
import os
import select
import subprocess
import sys
import threading
import time

try:
    from Xlib import X, display, error
except ImportError:  # Debian's python3-xlib, when python3 is not Debian's own
    sys.path.append("/usr/lib/python3/dist-packages")
    from Xlib import X, display, error

from screen_image import Image


class XWindow:
    def __init__(self, xid, wm_class=None, title=None, pid=None):
        self.xid = xid
        self.wm_class = wm_class
        self.title = title
        self.pid = pid

    def __repr__(self):
        return f"XWindow(0x{self.xid:x}, class={self.wm_class!r}, title={self.title!r})"


class _Properties:
    """Reads the properties the kit matches windows by."""

    def __init__(self, conn):
        self.conn = conn
        self.net_wm_name = conn.intern_atom("_NET_WM_NAME")
        self.utf8 = conn.intern_atom("UTF8_STRING")
        self.net_wm_pid = conn.intern_atom("_NET_WM_PID")

    def describe(self, xid):
        """An XWindow for xid; None when the window is gone."""
        window = self.conn.create_resource_object("window", xid)
        try:
            wm_class = window.get_wm_class()
            name = window.get_full_property(self.net_wm_name, self.utf8)
            title = name.value.decode("utf-8", errors="replace") if name else window.get_wm_name()
            pid = window.get_full_property(self.net_wm_pid, X.AnyPropertyType)
        except error.XError:
            return None
        if isinstance(title, bytes):
            title = title.decode("latin-1")
        return XWindow(xid, wm_class[0] if wm_class else None, title, int(pid.value[0]) if pid else None)


def _matches(window, title, wm_class):
    return ((title is None or window.title == title)
            and (wm_class is None or (window.wm_class or "").lower() == wm_class.lower()))


class MapWatch:
    """Records every top-level window mapped while it runs (own connection)."""

    def __init__(self, display_name=None):
        self.conn = display.Display(display_name)
        self.properties = _Properties(self.conn)
        self.events = []  # (seconds since the watch began, XWindow or a bare one when it was gone at once)
        self._stop = threading.Event()
        self._began = time.monotonic()
        self.conn.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.conn.sync()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        fd = self.conn.fileno()
        while not self._stop.is_set():
            select.select([fd], [], [], 0.05)
            self._take_events()

    def _take_events(self):
        while self.conn.pending_events():
            event = self.conn.next_event()
            if event.type == X.MapNotify:
                xid = event.window.id
                window = self.properties.describe(xid) or XWindow(xid)
                self.events.append((time.monotonic() - self._began, window))

    def mapped(self, title=None, wm_class=None):
        return [window for _, window in list(self.events) if _matches(window, title, wm_class)]

    def stop(self):
        if not self._stop.is_set():
            self._stop.set()
            self._thread.join(timeout=5)
            # A window seen mapped elsewhere may still have its event on the
            # way: the round trip brings in everything sent before the stop.
            self.conn.sync()
            self._take_events()
            self.conn.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class XScreen:
    def __init__(self, display_name=None):
        self.display_name = display_name or os.environ.get("DISPLAY")
        if not self.display_name:
            raise RuntimeError("no X display: DISPLAY is not set (the tests run on Xvfb, see scripts/run-tests)")
        self.conn = display.Display(self.display_name)
        self.root = self.conn.screen().root
        self.properties = _Properties(self.conn)

    @property
    def size(self):
        screen = self.conn.screen()
        return screen.width_in_pixels, screen.height_in_pixels

    def close(self):
        self.conn.close()

    def is_mapped(self, window):
        try:
            attributes = self.conn.create_resource_object("window", window.xid).get_attributes()
        except error.XError:
            return False
        return attributes.map_state == X.IsViewable

    def windows(self, title=None, wm_class=None, mapped=True):
        """Top-level windows matching every criterion given."""
        found = []
        for child in self.root.query_tree().children:
            window = self.properties.describe(child.id)
            if window is None or not _matches(window, title, wm_class):
                continue
            if mapped and not self.is_mapped(window):
                continue
            found.append(window)
        return found

    def window(self, xid):
        return self.properties.describe(xid)

    def wait_for(self, title=None, wm_class=None, timeout=60, interval=0.1):
        """The first mapped window that matches, waiting up to `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while True:
            found = self.windows(title=title, wm_class=wm_class)
            if found:
                return found[0]
            if time.monotonic() >= deadline:
                raise TimeoutError(f"no window with title={title!r} class={wm_class!r} mapped within {timeout} s")
            time.sleep(interval)

    def wait_gone(self, window, timeout=30, interval=0.1):
        """Waits until the window is unmapped or destroyed."""
        deadline = time.monotonic() + timeout
        while self.is_mapped(window):
            if time.monotonic() >= deadline:
                raise TimeoutError(f"{window} still mapped after {timeout} s")
            time.sleep(interval)

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen."""
        target = self.conn.create_resource_object("window", window.xid)
        geometry = target.get_geometry()
        origin = target.translate_coords(self.root, 0, 0)
        return -origin.x, -origin.y, geometry.width, geometry.height

    def screenshot(self, window=None):
        """The window's area as the screen shows it (the whole screen without a window)."""
        if window is None:
            x, y, (width, height) = 0, 0, self.size
        else:
            x, y, width, height = self.geometry(window)
        screen_width, screen_height = self.size
        left, top = max(0, x), max(0, y)
        right, bottom = min(screen_width, x + width), min(screen_height, y + height)
        shot = self.root.get_image(left, top, right - left, bottom - top, X.ZPixmap, 0xFFFFFFFF)
        return Image.from_bgrx(right - left, bottom - top, shot.data)

    def pixel(self, window, x, y):
        """One pixel at a window-relative point, read from the screen."""
        wx, wy, _, _ = self.geometry(window)
        shot = self.root.get_image(wx + x, wy + y, 1, 1, X.ZPixmap, 0xFFFFFFFF)
        return Image.from_bgrx(1, 1, shot.data).pixel(0, 0)

    def click(self, window, x, y, button=1):
        """Moves the pointer to the window-relative point and clicks there."""
        self.move(window, x, y)
        subprocess.run(["xdotool", "click", str(button)], check=True, env=self._env())

    def move(self, window, x, y):
        subprocess.run(["xdotool", "mousemove", "--window", str(window.xid), str(x), str(y)], check=True,
                       env=self._env())

    def watch_maps(self):
        return MapWatch(self.display_name)

    def _env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display_name
        return env
