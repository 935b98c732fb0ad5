#!/usr/bin/python3
"""What a screen reader finds in the real program, read through AT-SPI as a screen reader reads it.

The program runs in a real X server with its accessibility bridge on; the test taps and types
through the X server as a user would and reads the accessibility tree after each step: the main
window, the settings page shown and hidden again, the byte menu of a held byte, and the entry,
search, goto, converter and file browser dialogs. At every step:
- nothing under a node that is not showing reports itself as showing (hidden widgets are hidden
  to the screen reader too);
- every showing control a user taps (buttons, menu items, list and table entries, boxes, lists,
  sliders, scroll bars, tabs) has a name.

Run under an X server and a session bus, for example:
  xvfb-run -a -s '-screen 0 480x800x24' dbus-run-session -- accessibility_test.py PROGRAM
Exit codes: 0 passed, 1 failed, 77 skipped (no accessibility bus here).
"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checklist import Checklist, wait_for  # noqa: E402

SKIPPED = 77
DEADLINE = 30

try:
    import pyatspi
except ImportError:
    print("SKIPPED: python3-pyatspi is not installed")
    sys.exit(SKIPPED)

# Roles of the things a user taps or types into: each needs a name a screen reader can say.
TAPPED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
    pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SCROLL_BAR,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TREE_ITEM,
    pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE,
}


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def describe(node):
    try:
        return f"[{node.getRoleName()}] '{node.name}'"
    except Exception:
        return "[gone]"


def walk(node, path=()):
    """Every node below `node` with the path of descriptions leading to it."""
    for child in children(node):
        if child is None:
            continue
        here = path + (describe(child),)
        yield child, here
        yield from walk(child, here)


def find(root, role=None, name=None, must_show=True):
    for node, _ in walk(root):
        try:
            if role is not None and node.getRole() != role:
                continue
            if name is not None and node.name != name:
                continue
        except Exception:
            continue
        if must_show and not showing(node):
            continue
        return node
    return None


def centre(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


class Run(Checklist):
    def __init__(self, program):
        super().__init__()
        self.program = program

    def app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for child in children(desktop):
            try:
                if child is not None and child.name == "Nibblet" and child.get_process_id() == self.process.pid:
                    return child
            except Exception:
                continue
        return None

    # --- input through the X server ------------------------------------------------------

    def click(self, node, hold=0.0):
        x, y = centre(node)
        self.press_at(x, y, hold)

    def press_at(self, x, y, hold=0.0):
        pyatspi.Registry.generateMouseEvent(x, y, "abs")
        time.sleep(0.05)
        pyatspi.Registry.generateMouseEvent(x, y, "b1p")
        time.sleep(hold if hold else 0.05)
        pyatspi.Registry.generateMouseEvent(x, y, "b1r")

    def key(self, keysym):
        pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)

    def escape(self):
        self.key(0xFF1B)

    def choose(self, menu, item):
        """Opens `menu` of the menu bar with a tap and taps its `item`."""
        bar = wait_for(lambda: find(self.app(), pyatspi.ROLE_MENU_BAR), DEADLINE, "the menu bar")
        top = find(bar, pyatspi.ROLE_MENU_ITEM, menu) if bar else None
        if not self.check(top is not None, f"the menu bar offers {menu}"):
            return False
        self.click(top)
        entry = wait_for(lambda: find(self.app(), pyatspi.ROLE_MENU_ITEM, item), DEADLINE, f"{menu} > {item}")
        if not self.check(entry is not None, f"{menu} > {item} is shown"):
            self.escape()
            return False
        self.click(entry)
        return True

    # --- the checks ----------------------------------------------------------------------

    def check_tree(self, step, root=None):
        """Hidden stays hidden, and every showing control a user taps has a name."""
        root = root or self.app()
        leaks, nameless = [], []

        def visit(node, path, parent_showing):
            for child in children(node):
                if child is None:
                    continue
                here = path + (describe(child),)
                is_showing = showing(child)
                # Qt gives a closed drop-down's list of choices the state of the drop-down:
                # a screen reader reads them as the drop-down's options. Left as Qt has it.
                try:
                    closed_choices = node.getRole() == pyatspi.ROLE_LIST and \
                        node.parent.getRole() == pyatspi.ROLE_COMBO_BOX
                except Exception:
                    closed_choices = False
                if is_showing and not parent_showing and not closed_choices:
                    leaks.append(" > ".join(here))
                try:
                    role = child.getRole()
                    name = child.name
                except Exception:
                    continue
                if is_showing and parent_showing and role in TAPPED_ROLES and not name.strip():
                    nameless.append(" > ".join(here))
                visit(child, here, parent_showing and is_showing)

        visit(root, (describe(root),), True)
        self.check(not leaks, f"{step}: nothing hidden reports itself as showing" +
                   "".join(f"\n    {p}" for p in leaks[:10]))
        self.check(not nameless, f"{step}: every showing control has a name" +
                   "".join(f"\n    {p}" for p in nameless[:15]))

    def settings_cells(self):
        return [n for n, _ in walk(self.app()) if n.getRole() == pyatspi.ROLE_TABLE_CELL and showing(n)]

    def dialog_check(self, step, opened):
        """Waits for a window other than the main one, checks it, and closes it with Escape."""
        if not opened:
            return
        main = self.main_window

        def other_window():
            # A window of its own, or a dialog shown as a sheet inside the main window.
            for child in children(self.app()):
                if child is not None and showing(child) and child != main:
                    return child
            for node, _ in walk(main):
                if node.getRole() == pyatspi.ROLE_DIALOG and showing(node):
                    return node
            return None

        window = wait_for(other_window, DEADLINE, step)
        if not self.check(window is not None, f"{step} opens"):
            return
        time.sleep(0.3)  # its controls are laid out
        self.check_tree(step, window)
        self.escape()
        wait_for(lambda: other_window() is None, DEADLINE, f"{step} to close")

    def run(self):
        folder = tempfile.mkdtemp(prefix="nibblet-a11y.")
        path = os.path.join(folder, "a11y.bin")
        with open(path, "wb") as f:
            f.write(bytes(range(256)) * 16)
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", XDG_CONFIG_HOME=os.path.join(folder, "config"),
                   XDG_CACHE_HOME=os.path.join(folder, "cache"), LANG="C.UTF-8")
        self.process = subprocess.Popen([self.program, path], env=env, stderr=subprocess.DEVNULL)
        try:
            app = wait_for(self.app, 60, "the program on the accessibility bus")
            if app is None:
                raise RuntimeError("the program never appeared on the accessibility bus")
            self.main_window = wait_for(lambda: next((c for c in children(self.app()) if showing(c)), None),
                                        DEADLINE, "the main window")
            wait_for(lambda: find(self.app(), pyatspi.ROLE_SCROLL_BAR), DEADLINE, "the hex view")
            self.check_tree("main window")

            # The settings page: shown with named rows, then hidden to the reader once left.
            if self.choose("Tools", "Settings"):
                cells = wait_for(lambda: len(self.settings_cells()) >= 12 and self.settings_cells(), DEADLINE,
                                 "the rows")
                self.check(cells is not None, "the settings page shows its twelve rows")
                if cells:
                    self.click(cells[2])  # Work path: a text box and its "..." button
                    wait_for(lambda: find(self.app(), pyatspi.ROLE_TEXT), DEADLINE, "the row's editor")
                    self.check_tree("settings page with the work path row active")
                    chooser = find(self.app(), pyatspi.ROLE_PUSH_BUTTON, "Choose a folder")
                    if self.check(chooser is not None, "the work path row's button is named for what it does"):
                        self.click(chooser)
                        self.dialog_check("the folder browser of the work path row", True)
                    self.click(cells[0])  # Language: a drop-down
                    time.sleep(0.3)
                    self.check_tree("settings page with the language row active")
                    self.click(cells[4])  # Changes mark color: the colour picker
                    picker = wait_for(lambda: find(self.app(), pyatspi.ROLE_PUSH_BUTTON, "Choose a colour"),
                                      DEADLINE, "the colour row's button")
                    if self.check(picker is not None, "the colour row's button is named for what it does"):
                        self.click(picker)
                        self.dialog_check("the colour picker", True)
                ok = find(self.app(), pyatspi.ROLE_PUSH_BUTTON, "OK")
                if self.check(ok is not None, "the title bar's OK is there"):
                    self.click(ok)
                gone = wait_for(lambda: not self.settings_cells() or None, DEADLINE, "the page to close")
                self.check(gone is not None, "after the settings page closes, none of its rows is showing")
                self.check_tree("main window after the settings page")

            # Tap-and-hold on a byte: the byte menu and its items are in the tree, named.
            view = find(self.app(), pyatspi.ROLE_SCROLL_BAR)
            frame = view.parent if view else None
            if self.check(frame is not None, "the hex view is in the tree"):
                extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                self.press_at(extents.x + extents.width // 3, extents.y + 40, hold=1.2)

                def byte_menu():
                    # Reached from the window that opened it, as a screen reader walks the tree.
                    for node, _ in walk(self.app()):
                        if node.getRole() == pyatspi.ROLE_POPUP_MENU and showing(node) and node.parent and \
                                node.parent.getRole() != pyatspi.ROLE_MENU_ITEM:
                            items = [c for c in children(node) if c.getRole() == pyatspi.ROLE_MENU_ITEM]
                            if len(items) >= 3:
                                return node
                    return None

                menu = wait_for(byte_menu, DEADLINE, "the byte menu")
                if self.check(menu is not None, "the byte menu's items are in the tree"):
                    self.check_tree("byte menu", menu)
                    self.escape()
                    wait_for(lambda: byte_menu() is None, DEADLINE, "the byte menu to close")

            # The dialogs a user opens from the menus, and the entry dialog of a tapped byte.
            for menu, item in (("Tools", "Search"), ("Tools", "Goto"), ("Tools", "Converter"), ("File", "Open")):
                self.dialog_check(f"{menu} > {item}", self.choose(menu, item))
            if frame is not None:
                extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                self.press_at(extents.x + extents.width // 3, extents.y + 40)
                self.dialog_check("the entry dialog of a tapped byte", True)
        finally:
            self.process.terminate()
            try:
                self.process.wait(DEADLINE)
            except subprocess.TimeoutExpired:
                self.process.kill()
            subprocess.run(["rm", "-rf", folder])


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("SKIPPED: needs an X server and a session bus")
        return SKIPPED
    try:
        pyatspi.Registry.getDesktop(0)
    except Exception as error:
        print(f"SKIPPED: the accessibility bus does not answer: {error}")
        return SKIPPED
    run = Run(os.path.abspath(sys.argv[1]))
    run.run()
    return run.summary()


if __name__ == "__main__":
    sys.exit(main())
