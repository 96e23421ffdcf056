#!/usr/bin/env python3
"""The demo window as a screen reader meets it over AT-SPI, over a phone folder this test
makes. Qt 6.4 offers no actions of Qt Quick buttons over AT-SPI, so the window is driven
with keys, and names, roles, states, values, events and focus are checked.
Usage: screen_reader_test.py TARVEL_DEMO, inside an X server with the accessibility bus up."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

TAB, RETURN, SPACE, F5, END = 0xFF09, 0xFF0D, 0x20, 0xFFC2, 0xFF57
failures = []


def check(condition, what):
    print(("ok     " if condition else "FAILED ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def spin(seconds=0.1):
    """Lets pyatspi deliver the events that came in meanwhile."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def until(find, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # a node that went away while it was read
            found = None
        if found:
            return found
        spin()
    return None


def press(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    spin(0.3)


def showing(root):
    """Every node under root that is showing, depth first."""
    found, stack = [], [root]
    while stack:
        node = stack.pop()
        try:
            if node is root or node.getState().contains(pyatspi.STATE_SHOWING):
                found.append(node)
                stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
        except Exception:
            continue
    return found


def first(root, role, test=lambda node: True):
    return next((node for node in showing(root) if node.getRole() == role and test(node)), None)


def focused(root):
    """The control with the focus: the deepest focused node, as the panes around it have it too."""
    return next((node for node in reversed(showing(root)) if node.getState().contains(pyatspi.STATE_FOCUSED)), None)


def main(demo):
    work = tempfile.mkdtemp(prefix="tarvel-a11y-")
    phone = os.path.join(work, "phone")
    os.makedirs(os.path.join(phone, "DCIM"))
    with open(os.path.join(phone, "photo.jpg"), "wb") as f:
        f.write(b"\xff" * 2_000_000)
    with open(os.path.join(phone, "video.mp4"), "wb") as f:
        f.truncate(12_000_000)  # at the demo's slow 1 MB/s, on screen for seconds
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), LANGUAGE="en", LC_ALL="C.UTF-8")
    events = []

    def heard(event):
        try:
            events.append((event.type, event.source.getRole(), str(event.source.name or "")))
        except Exception:  # from a process that has gone (the panel's, the demo at the end)
            pass
    pyatspi.Registry.registerEventListener(heard,
        "object:state-changed:showing", "object:state-changed:selected", "object:selection-changed",
        "object:property-change:accessible-name")
    process = subprocess.Popen([demo, "--slow", phone], env=env, cwd=work)
    try:
        def app():
            desktop = pyatspi.Registry.getDesktop(0)
            return next((a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
                         if a is not None and a.name == "Tarvel Demo"), None)
        frame = until(lambda: app() and app().getChildAtIndex(0))
        if not check(frame is not None, "the demo's window is on the accessibility bus"):
            return
        # No window manager gives the window the keyboard here, as a desktop's would.
        subprocess.run(["xdotool", "search", "--sync", "--name", "Tarvel$", "windowfocus", "--sync"], check=False)
        listing = until(lambda: first(frame, pyatspi.ROLE_LIST, lambda l: l.childCount >= 3))
        if not check(listing is not None, "the listing is a list"):
            return
        items = [listing.getChildAtIndex(i) for i in range(listing.childCount)]
        items = {i.name: i.description for i in items if i.getRole() == pyatspi.ROLE_LIST_ITEM}
        check({"DCIM, Folder", "photo.jpg, Image, 2 MB", "video.mp4, Video, 12 MB"} <= set(items),
              "its items are named with name, kind and size: %s" % items)

        buttons = [b for b in showing(frame) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON]
        check(buttons and all(b.name.strip() for b in buttons), "all %d buttons have a name" % len(buttons))
        download = first(frame, pyatspi.ROLE_PUSH_BUTTON, lambda b: b.name == "Download")
        # Qt 6.4 sends no disabled state for Qt Quick items; the button says so itself.
        check(download is not None and download.description == "Unavailable",
              "Download, with nothing selected, is announced as unavailable")
        status = first(frame, pyatspi.ROLE_NOTIFICATION)
        check(status is not None and status.name.startswith("Showing phone"), "the status line is a notification: %s" % (status and status.name))

        # Tab walks the window in reading order, the left pane before the right, and round.
        order = []
        for _ in range(30):
            press(TAB)
            now = focused(frame)
            order.append((now.getRoleName(), now.name) if now else None)
        print("Tab order:", order, flush=True)
        check(None not in order, "every Tab lands on a control that says it has the focus")
        # Round from the header's sort: the left pane, its rows, then the right pane.
        names = [o[1] for o in order if o]
        names = names[names.index("Sort by"):] if "Sort by" in names else []
        row = next((n for r, n in order if r == "list item"), None)
        check(row in names and "Choose File to Upload" in names
              and names.index(row) < names.index("Choose File to Upload"),
              "Tab reaches the listing's current row before the right pane's buttons")
        check(len(set(names)) < len(order), "Tab comes back round")

        events.clear()
        press(F5)
        check(until(lambda: any(r == pyatspi.ROLE_NOTIFICATION for _, r, _ in events), 10),
              "a new status is announced: %s" % events)

        for _ in range(30):
            if focused(frame).getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_ITEM):
                break
            press(TAB)
        events.clear()
        press(END)  # to the last row, which it selects as a file manager does
        check(until(lambda: any(r == pyatspi.ROLE_NOTIFICATION and n.startswith("1 item selected")
                                for _, r, n in events), 5), "the selection is announced: %s" % events)
        check(until(lambda: download.description == "", 5), "Download is available once a file is selected")

        # Enter downloads the current file through the save panel; its progress is a bar with a value.
        press(RETURN)
        panel = until(lambda: next((w for w in (app().getChildAtIndex(i) for i in range(app().childCount))
                                    if w is not None and w.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_FILE_CHOOSER)), None))
        if not check(panel is not None, "Enter on a file asks where to save it: %s"
                     % [(w.getRoleName(), w.name) for w in (app().getChildAtIndex(i) for i in range(app().childCount))]):
            return
        accept = first(panel, pyatspi.ROLE_PUSH_BUTTON, lambda b: b.name == "Download")
        if not check(accept is not None, "the panel's button says Download"):
            return
        accept.queryAction().doAction(0)
        bar = until(lambda: first(frame, pyatspi.ROLE_PROGRESS_BAR, lambda b: " of " in b.name))
        how_far = False
        if bar is not None:
            try:
                value = bar.queryValue()
                how_far = 0 < value.currentValue <= value.maximumValue
            except NotImplementedError:  # Qt 6.4 gives a Qt Quick progress bar no value: its name says it
                how_far = bar.name.endswith("of 12 MB")
        check(how_far, "the copy's progress is a progress bar that says how far it is: %s" % (bar and bar.name))
    finally:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1])
    print("%d checks failed" % len(failures), flush=True)
    sys.exit(1 if failures else 0)
