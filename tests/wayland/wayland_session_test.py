#!/usr/bin/python3
"""The real program under a real headless Wayland compositor (sway), driven as a user would.

It starts with a file and paints; a tap on a hex cell opens the entry dialog with the tapped
cell still in view; a tap on the main window leaves the keyboard with the dialog, so typed
bytes reach the file; the output is turned with a dialog open and back, and the window and the
dialog follow it: screenshots show no strip of the compositor's background at any edge, and
the dialog stays on the output and still takes keys. Nothing is printed on stderr.

Usage: wayland_session_test.py PROGRAM VIRTUAL_POINTER [SHOTS_FOLDER]
Exit codes: 0 passed, 1 failed, 77 skipped (the compositor cannot start here).
"""

import glob
import json
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checklist import Checklist, log, wait_for  # noqa: E402

SKIPPED = 77
NOBODY = 65534


def is_edit_marker(r, g, b):
    """The default colour of the cell an entry dialog edits, pure green, also when a cover over
    the window behind a dialog dims it."""
    return g >= 100 and r * 7 <= g and b * 7 <= g


def is_change_mark(r, g, b):
    """The default colour of changed bytes, 250,152,5."""
    return r >= 200 and 110 <= g <= 190 and b <= 80


def runs(columns):
    """The contiguous runs of `columns` as (first, last) pairs."""
    found = []
    for c in sorted(columns):
        if found and c == found[-1][1] + 1:
            found[-1] = (found[-1][0], c)
        else:
            found.append((c, c))
    return found


FILE_BYTE = 0x2E
FILE_SIZE = 4096
# Conditions are waited for with these deadlines (seconds); a loaded two-core machine needs
# a few seconds where an idle one needs a fraction of one.
START_DEADLINE = 60
STEP_DEADLINE = 30


class Skip(Exception):
    pass


class Shot:
    """A screenshot of the whole output as RGB rows."""

    def __init__(self, data):
        # A binary PPM: "P6", width, height, maximum, one white-space byte, then the pixels.
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:pos + 1 + 3 * self.width * self.height]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def share(self, colour, xs, ys):
        """The share of the pixels at xs x ys that have `colour`."""
        hits = total = 0
        for y in ys:
            for x in xs:
                total += 1
                hits += self.pixel(x, y) == colour
        return hits / total if total else 0.0

    def columns_where(self, test, y_step=2):
        """The x of every pixel (on every y_step-th row) whose colour passes `test`(r, g, b)."""
        found = set()
        for y in range(0, self.height, y_step):
            row = self.pixels[3 * y * self.width:3 * (y + 1) * self.width]
            for x in range(self.width):
                if test(row[3 * x], row[3 * x + 1], row[3 * x + 2]):
                    found.add(x)
        return found

    def save_png(self, path):
        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        stride = 3 * self.width
        raw = b"".join(b"\0" + self.pixels[y * stride:(y + 1) * stride] for y in range(self.height))
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)) +
                      chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


class Session(Checklist):
    def __init__(self, program, pointer_helper, shots):
        super().__init__()
        self.program = program
        self.pointer_helper = pointer_helper
        self.shots = shots
        self.dir = tempfile.mkdtemp(prefix="nibblet-wayland.")
        os.chmod(self.dir, 0o755)
        self.processes = []
        self.shot_count = 0
        self.background = None

    # --- processes -----------------------------------------------------------------------

    def spawn(self, args, env, **kwargs):
        process = subprocess.Popen(args, env=env, **kwargs)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    # --- the compositor ------------------------------------------------------------------

    def start_compositor(self):
        for tool in ("sway", "swaymsg", "grim", "wtype"):
            if not shutil.which(tool):
                raise Skip(f"{tool} is not installed")
        run = os.path.join(self.dir, "run")
        home = os.path.join(self.dir, "home")
        os.makedirs(run, mode=0o700)
        os.makedirs(home)
        config = os.path.join(self.dir, "sway.cfg")
        with open(config, "w") as f:
            f.write("xwayland disable\n"
                    "output HEADLESS-1 resolution 480x800 scale 1\n"
                    "default_border none\n"
                    "default_floating_border none\n")
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "XDG_RUNTIME_DIR": run,
               "WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"}
        args = ["sway", "-c", config]
        if os.geteuid() == 0:
            # sway refuses to run as root: it runs as nobody, in folders nobody owns.
            os.chown(run, NOBODY, NOBODY)
            os.chown(home, NOBODY, NOBODY)
            args = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + args
        self.sway_log = os.path.join(self.dir, "sway.log")
        with open(self.sway_log, "w") as out:
            self.sway = self.spawn(args, env, stdout=out, stderr=subprocess.STDOUT, cwd=self.dir)

        def sockets():
            if self.sway.poll() is not None:
                return "died"
            displays = [p for p in glob.glob(os.path.join(run, "wayland-*")) if not p.endswith(".lock")]
            ipc = glob.glob(os.path.join(run, "sway-ipc.*.sock"))
            return (displays[0], ipc[0]) if displays and ipc else None

        found = wait_for(sockets, START_DEADLINE, "the compositor's sockets")
        if not found or found == "died":
            with open(self.sway_log) as f:
                tail = f.read()[-2000:]
            raise Skip("the compositor cannot start here:\n" + tail)
        self.display, self.ipc = found
        client_run = os.path.join(self.dir, "client-run")
        os.makedirs(client_run, mode=0o700)
        self.client_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "SWAYSOCK": self.ipc,
                           "XDG_RUNTIME_DIR": client_run, "WAYLAND_DISPLAY": self.display,
                           "HOME": os.path.join(self.dir, "user")}
        if not wait_for(lambda: self.tree_or_none() is not None, STEP_DEADLINE, "the compositor's answer"):
            raise Skip("the compositor does not answer")
        self.background = self.shot("empty")

    def swaymsg(self, *args):
        return subprocess.run(["swaymsg"] + list(args), env=self.client_env, capture_output=True,
                              text=True, timeout=STEP_DEADLINE)

    def tree_or_none(self):
        result = self.swaymsg("-t", "get_tree")
        if result.returncode != 0:
            return None
        return json.loads(result.stdout)

    def windows(self):
        """The program's windows: (kind, name, rect, focused) for each tiled or floating one."""
        found = []

        def walk(node):
            if node.get("type") in ("con", "floating_con") and node.get("app_id") == "nibblet":
                found.append((node["type"], node.get("name"), node["rect"], node.get("focused")))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        tree = self.tree_or_none()
        if tree:
            walk(tree)
        return found

    def output_size(self):
        result = self.swaymsg("-t", "get_outputs")
        for output in json.loads(result.stdout):
            if output.get("active"):
                rect = output["rect"]
                return rect["width"], rect["height"]
        return None

    def shot(self, name):
        data = subprocess.run(["grim", "-t", "ppm", "-"], env=self.client_env, capture_output=True,
                              timeout=STEP_DEADLINE).stdout
        return Shot(data)

    def keep(self, shot, name):
        """Saves `shot` among the run's screenshots, for a person to look at."""
        if shot and self.shots:
            self.shot_count += 1
            shot.save_png(os.path.join(self.shots, f"{self.shot_count:02d}-{name}.png"))
        return shot

    def stable_shot(self, name, deadline=STEP_DEADLINE):
        """A screenshot that did not change over 0.4 s: the program has answered and painted."""
        state = {"last": None}

        def settled():
            time.sleep(0.4)
            current = self.shot(name)
            same = state["last"] is not None and current.pixels == state["last"].pixels
            state["last"] = current
            return current if same else None

        return self.keep(wait_for(settled, deadline, f"a settled screen ({name})", interval=0) or state["last"], name)

    # --- input ---------------------------------------------------------------------------

    def start_input(self):
        self.pointer = self.spawn([self.pointer_helper], self.client_env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.pointer.stdout], [], [], STEP_DEADLINE)
        if not ready or self.pointer.stdout.readline().strip() != "ready":
            raise RuntimeError("the virtual pointer did not start")
        # One virtual keyboard lives for the whole run, so no key is lost to a keyboard that
        # comes and goes.
        self.spawn(["wtype", "-s", "600000"], self.client_env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)

    def tap(self, x, y):
        self.swaymsg("seat", "-", "cursor", "set", str(x), str(y))
        self.swaymsg("seat", "-", "cursor", "press", "button1")
        time.sleep(0.1)
        self.swaymsg("seat", "-", "cursor", "release", "button1")

    def type_text(self, text):
        subprocess.run(["wtype", text], env=self.client_env, timeout=STEP_DEADLINE)

    def press(self, key):
        subprocess.run(["wtype", "-k", key], env=self.client_env, timeout=STEP_DEADLINE)

    # --- checks --------------------------------------------------------------------------

    def edge_gaps(self, shot):
        """The edges of the screen where a strip shows the compositor's background."""
        gaps = []
        w, h = shot.width, shot.height
        bands = {"top": (range(0, w, 2), range(0, 2)), "bottom": (range(0, w, 2), range(h - 2, h)),
                 "left": (range(0, 2), range(0, h, 2)), "right": (range(w - 2, w), range(0, h, 2))}
        colour = self.background.pixel(0, 0)
        for edge, (xs, ys) in bands.items():
            if shot.share(colour, xs, ys) > 0.5:
                gaps.append(edge)
        return gaps

    def file_bytes(self):
        with open(self.file, "rb") as f:
            return f.read()

    def changed_bytes(self):
        data = self.file_bytes()
        return {i: b for i, b in enumerate(data) if b != FILE_BYTE}

    def dialog_windows(self):
        return [w for w in self.windows() if w[0] == "floating_con"]

    def open_entry_dialog(self, x, y, name):
        """Taps the cell at x, y and waits until the entry dialog is up; its screenshot."""
        self.tap(x, y)
        # The edited cell is marked as soon as the dialog opens; a dialog that is a window of
        # its own is waited for until it has the keyboard.
        seen = {}

        def marked():
            seen["shot"] = self.shot(name)
            return bool(seen["shot"].columns_where(is_edit_marker, 4))

        if not wait_for(marked, STEP_DEADLINE, "the entry dialog"):
            self.keep(seen.get("shot"), name + "-missing")
            return None
        wait_for(lambda: not self.dialog_windows() or any(w[3] for w in self.dialog_windows()), STEP_DEADLINE,
                 "the dialog's keyboard focus")
        return self.stable_shot(name)

    def check_fits(self, shot, what):
        width, height = self.output_size()
        self.check((shot.width, shot.height) == (width, height), f"{what}: the screenshot is the output's {width}x{height}")
        gaps = self.edge_gaps(shot)
        self.check(not gaps, f"{what}: no strip of background at the screen's edges" +
                   (f" (seen at {', '.join(gaps)})" if gaps else ""))
        main = [w for w in self.windows() if w[0] == "con"]
        self.check(len(main) == 1 and main[0][2]["width"] == width and main[0][2]["height"] == height,
                   f"{what}: the main window fills the output")
        for kind, name, rect, _ in self.dialog_windows():
            inside = (rect["x"] >= 0 and rect["y"] >= 0 and rect["x"] + rect["width"] <= width and
                      rect["y"] + rect["height"] <= height)
            self.check(inside, f"{what}: dialog \"{name}\" {rect['width']}x{rect['height']} at "
                               f"{rect['x']},{rect['y']} lies on the output")

    # --- the run -------------------------------------------------------------------------

    def run(self):
        self.start_compositor()
        self.start_input()
        self.file = os.path.join(self.dir, "test.bin")
        with open(self.file, "wb") as f:
            f.write(bytes([FILE_BYTE]) * FILE_SIZE)
        user = os.path.join(self.dir, "user")
        os.makedirs(user)
        env = dict(self.client_env, QT_QPA_PLATFORM="wayland", XDG_CONFIG_HOME=os.path.join(user, "config"),
                   XDG_CACHE_HOME=os.path.join(user, "cache"), LANG="C.UTF-8")
        self.stderr_path = os.path.join(self.dir, "program.err")
        with open(self.stderr_path, "w") as err:
            self.app = self.spawn([self.program, self.file], env, stdout=subprocess.DEVNULL, stderr=err,
                                  cwd=self.dir)

        # Start and first paint: the window is mapped and its hex rows are drawn.
        def painted():
            if not self.windows():
                return None
            shot = self.shot("start")
            middle = range(shot.width // 4, shot.width // 2)
            rows = range(shot.height // 3, shot.height // 2, 3)
            white = shot.share((255, 255, 255), middle, rows)
            return shot if 0.2 < white < 0.98 else None

        first = wait_for(painted, START_DEADLINE, "the first paint")
        if not self.check(first is not None, "the program starts with a file and paints its rows"):
            return
        self.check_fits(self.stable_shot("portrait"), "portrait at start")

        # A tap on a byte in the middle of the screen: the entry dialog opens and the tapped
        # cell stays in view.
        width, height = first.width, first.height
        x, y = width // 3, height // 2
        shot = self.open_entry_dialog(x, y, "entry")
        if not self.check(shot is not None, "a tap on a byte opens the entry dialog"):
            return
        marked = [c for c in shot.columns_where(is_edit_marker) if abs(c - x) < width // 10]
        self.check(bool(marked), "the tapped cell stays in view beside the dialog")
        cell = max(marked) - min(marked) + 1 if marked else width // 20

        # A tap on the main window (its title) while the dialog is open: typed keys still
        # reach the dialog.
        self.tap(8, 8)
        time.sleep(0.5)
        self.type_text("a5")
        self.press("Return")
        written = wait_for(lambda: self.changed_bytes() or None, STEP_DEADLINE, "the byte on disk")
        focus_kept = written is not None and list(written.values()) == [0xA5]
        self.check(focus_kept, "after a tap on the main window the typed byte a5 is written to disk")
        if not focus_kept:
            # The keys went elsewhere: a tap on the dialog gives it the keyboard, as a user would.
            for kind, name, rect, _ in self.dialog_windows():
                self.tap(rect["x"] + rect["width"] // 2, rect["y"] + 8)
            self.type_text("a5")
            self.press("Return")
            written = wait_for(lambda: self.changed_bytes() or None, STEP_DEADLINE, "the byte on disk")
            self.check(written is not None and list(written.values()) == [0xA5],
                       "the typed byte a5 is written to disk")
        first_offset = next(iter(written)) if written else None
        wait_for(lambda: not self.dialog_windows(), STEP_DEADLINE, "the dialog to close")
        # The value went to the tapped byte alone: one cell near the tap carries the change mark
        # (a value typed after the old one, "2E a5", would write the next byte too).
        after = self.stable_shot("written")
        changed = [r for r in runs(c for c in after.columns_where(is_change_mark) if abs(c - x) <= 4 * cell)]
        self.check(len(changed) == 1 and changed[0][1] - changed[0][0] + 1 <= cell * 3 // 2,
                   f"a5 replaced the tapped byte alone (change marks {changed}, a cell is {cell} px wide)")

        # The output turns with a dialog open, and turns back: the window and the dialog follow.
        shot = self.open_entry_dialog(x, height // 4, "entry-before-turn")
        if not self.check(shot is not None, "a second tap opens the entry dialog again"):
            return
        self.swaymsg("output", "*", "transform", "90")
        wait_for(lambda: self.output_size() == (height, width), STEP_DEADLINE, "the turned output")
        self.check_fits(self.stable_shot("landscape"), "landscape with the dialog open")
        self.swaymsg("output", "*", "transform", "normal")
        wait_for(lambda: self.output_size() == (width, height), STEP_DEADLINE, "the output turned back")
        self.check_fits(self.stable_shot("portrait-again"), "portrait again with the dialog open")
        self.type_text("5a")
        self.press("Return")
        both = wait_for(lambda: len(self.changed_bytes()) == 2 and self.changed_bytes(), STEP_DEADLINE,
                        "the second byte on disk")
        self.check(both is not None and first_offset in both and sorted(both.values()) == [0x5A, 0xA5],
                   "after the turns the dialog still takes keys: 5a is written beside a5")

        # The program ends on a termination request, cleanly and without a word on stderr.
        self.app.send_signal(signal.SIGTERM)
        try:
            code = self.app.wait(STEP_DEADLINE)
        except subprocess.TimeoutExpired:
            code = None
        self.check(code == 0, f"the program ends with code 0 (got {code})")
        with open(self.stderr_path) as f:
            errors = f.read()
        self.check(errors.strip() == "", "nothing on stderr" + (":\n" + errors if errors.strip() else ""))


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    if shots:
        shutil.rmtree(shots, ignore_errors=True)
        os.makedirs(shots)
    session = Session(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), shots)
    try:
        session.run()
    except Skip as reason:
        log(f"SKIPPED: {reason}")
        return SKIPPED
    finally:
        session.close()
    if shots:
        log(f"screenshots in {shots}")
    return session.summary()


if __name__ == "__main__":
    sys.exit(main())
