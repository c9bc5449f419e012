#!/usr/bin/env python3
"""Measures the native desktop against the virtual one, side by side, in a Release tree:
    tools/measure/native.py [BUILD_TREE] [ROUNDS]     (default build/release, 7 rounds)

On an X server of its own (Xvfb, 1280 x 1024) with openbox as the window manager:
1. Start to the first painted window: the player is started on the sdl backend, alternately
   with TD_DESKTOP=native and TD_DESKTOP=virtual, ROUNDS times each, and timed until the main
   window's caption shows its active colour on the X screen (read back from the server, so
   the window is mapped and painted). Wall time and the CPU time the player had used by then;
   medians, and native over virtual.
2. Idle: CPU ticks the player uses over 10 s with nothing playing, 3 s after it painted.
3. Moving by the caption: the native window dragged by its caption (180, 120) pixels in 60 steps
   through the window manager; CPU ticks the player used meanwhile, and whether its pixels
   stayed the same (a repaint of the client area would show in the first, and a late
   composition in the second). The virtual desktop's own moving loop, for comparison.
Needs Xvfb, openbox, xdotool and xwininfo. Figures taken while other programs compete for
the processor are noisy: CPU time is the steadier of the two, and the rounds alternate so
that both desktops meet the same load.
"""
import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "release"))
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
PLAYER = os.path.join(BUILD, "Tunedeck")
TICKS = os.sysconf("SC_CLK_TCK")
ACTIVE_CAPTION = 0x000080
# Where the main form is on the virtual screen (its designed place), and a caption pixel
# clear of the icon, the title and the buttons.
FORM = (231, 128)
CAPTION = (120, 8)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte))]


class Screen:
    """Pixels of the X screen, read from the server."""

    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            raise SystemExit(f"cannot open the display {display}")
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixel(self, px, py):
        image = self.x.XGetImage(self.display, self.root, px, py, 1, 1, 0xFFFFFFFF, 2)
        if not image:
            return None
        data = image.contents.data
        value = data[0] | (data[1] << 8) | (data[2] << 16)
        self.x.XFree(ctypes.cast(data, ctypes.c_void_p))
        self.x.XFree(ctypes.cast(image, ctypes.c_void_p))
        return value

    def area(self, px, py, width, height):
        return [self.pixel(px + dx, py + dy) for dy in range(0, height, 7) for dx in range(0, width, 7)]


def window_at(display):
    """The top-left corner of the window titled Tunedeck on the screen, or None."""
    out = subprocess.run(["xwininfo", "-display", display, "-name", "Tunedeck"],
                         capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        if ":" in line:
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
    if values.get("Map State") != "IsViewable":
        return None
    return int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def cpu_ms(pid):
    """The CPU time all the player's threads have used, from the scheduler's account."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass
    return total / 1e6


def start(environment, folder):
    return subprocess.Popen([PLAYER], cwd=folder, env=environment, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def form_origin(desktop, corner):
    """Where the form's top-left corner is, given the host window's."""
    return corner if desktop == "native" else (corner[0] + FORM[0], corner[1] + FORM[1])


def until_painted(screen, display, desktop, began, limit=30):
    while time.monotonic() - began < limit:
        corner = window_at(display)
        if corner:
            fx, fy = form_origin(desktop, corner)
            if screen.pixel(fx + CAPTION[0], fy + CAPTION[1]) == ACTIVE_CAPTION:
                return (fx, fy)
        time.sleep(0.002)
    raise SystemExit(f"{desktop}: no painted window after {limit} s")


def stop(player, display):
    player.kill()
    player.wait()
    # The server drops the windows of a client that went a moment later; the next start must
    # not find them.
    while window_at(display):
        time.sleep(0.01)


def main():
    scratch = tempfile.mkdtemp()
    processes = []
    try:
        songs = os.path.join(scratch, "songs")
        subprocess.run([os.path.join(BUILD, "bin", "demosongs"), songs], check=True)
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                 "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
        processes.append(xvfb)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise SystemExit("Xvfb did not start")
            number += chunk
        os.close(read)
        display = ":" + number.decode().strip()
        manager = subprocess.Popen(["openbox"], env={**os.environ, "DISPLAY": display},
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        processes.append(manager)
        time.sleep(1)
        screen = Screen(display)
        base = {k: v for k, v in os.environ.items() if not k.startswith("TD_")}
        base.update({"DISPLAY": display, "TD_BACKEND": "sdl", "TD_AUDIO": "null", "TD_SCALE": "1",
                     "TD_DRIVES": f"C={scratch}", "SDL_AUDIODRIVER": "dummy"})
        base.pop("COMSPEC", None)

        # 1. Start to the first painted window, the two desktops in turn.
        walls = {"native": [], "virtual": []}
        cpus = {"native": [], "virtual": []}
        for _ in range(ROUNDS):
            for desktop in ("native", "virtual"):
                began = time.monotonic()
                player = start({**base, "TD_DESKTOP": desktop}, songs)
                until_painted(screen, display, desktop, began)
                walls[desktop].append((time.monotonic() - began) * 1000)
                cpus[desktop].append(cpu_ms(player.pid))
                stop(player, display)
        for desktop in ("native", "virtual"):
            print(f"{desktop}: start to the first painted window: median "
                  f"{statistics.median(walls[desktop]):.0f} ms wall, "
                  f"{statistics.median(cpus[desktop]):.0f} ms CPU "
                  f"(runs: {' '.join(f'{w:.0f}' for w in walls[desktop])} ms)")
        print(f"native / virtual: {statistics.median(walls['native']) / statistics.median(walls['virtual']):.2f} "
              f"wall, {statistics.median(cpus['native']) / statistics.median(cpus['virtual']):.2f} CPU")

        # 2 and 3, for each desktop.
        for desktop in ("native", "virtual"):
            began = time.monotonic()
            player = start({**base, "TD_DESKTOP": desktop}, songs)
            processes.append(player)
            fx, fy = until_painted(screen, display, desktop, began)
            time.sleep(3)
            before = cpu_ticks(player.pid)
            time.sleep(10)
            print(f"{desktop}: idle over 10 s: {cpu_ticks(player.pid) - before} ticks "
                  f"(of {TICKS} a second)")
            client = screen.area(fx + 10, fy + 50, 250, 220)
            x, y = fx + CAPTION[0], fy + CAPTION[1]
            steps = ["mousemove", str(x), str(y), "mousedown", "1", "sleep", "0.2"]
            for step in range(1, 61):
                steps += ["mousemove", str(x + 3 * step), str(y + 2 * step), "sleep", "0.03"]
            steps += ["sleep", "0.3", "mouseup", "1", "sleep", "0.5"]
            before = cpu_ticks(player.pid)
            subprocess.run(["xdotool"] + steps, env={**os.environ, "DISPLAY": display}, check=True)
            used = cpu_ticks(player.pid) - before
            moved = screen.area(fx + 180 + 10, fy + 120 + 50, 250, 220)
            print(f"{desktop}: dragged by its caption (180, 120) pixels in 60 steps: {used} ticks of CPU; "
                  f"the client area {'shows the same pixels' if moved == client else 'CHANGED'} "
                  f"at its new place")
            stop(player, display)
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(scratch, ignore_errors=True)


main()
