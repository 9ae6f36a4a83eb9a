#!/usr/bin/env python3
"""Reads Pernard's windows through the accessibility tree (AT-SPI), as a screen reader does.

Run by scripts/read-windows.sh inside a display and a D-Bus session of its own, with the program
started. Opens the main window's dialogs and windows one after another with the keys a user
presses, reads each (again, when a read fails or the window is not there yet), prints every
shown element as "role | name" and fails when a shown text is English, a control a user
operates, a view or a picture has no name, a window is not exposed as one, a description holds
markup or a label is named otherwise than it reads.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

# Controls a user operates: each needs a name a screen reader can say.
OPERATED = {"push button", "check box", "radio button", "text", "password text", "combo box",
            "menu item", "check menu item", "page tab", "toggle button", "spin button",
            "slider"}
# Entries of the collection and file names are data, not the program's texts.
DATA = {"table cell", "tree item", "list item", "table row", "tree table cell"}
# Views a user reads and moves in: each needs a name too.
VIEWS = {"tree table", "table", "tree", "list"}
# Pictures that say something (a message box's icon).
PICTURES = {"icon", "image"}
# The roles a top-level window may have.
WINDOW_ROLES = {"frame", "dialog", "window", "alert", "file chooser"}
MARKUP = re.compile(r"<\s*/?\s*[A-Za-z][^>]*>")
# Latin-letter names that are names, not English: programs, formats, the key labels of menus.
NAMES = {"Pernard", "NetScape", "Netscape", "Internet Explorer", "Chrome / Edge", "Firefox",
         "URL", "HTTP", "UTF-8", "OK", "Enter", "Del", "F2", "Ctrl", "Shift", "Alt", "Tab",
         "WebDAV", "Nextcloud", "XBEL", "HTML", "If-Match"}
LATIN_WORD = re.compile(r"[A-Za-z]{2,}")


def english(name):
    """Whether a name reads as English: Latin words beyond the names above and no Japanese."""
    if any(ord(c) > 0x2E7F for c in name):
        return False
    # A path, an address or a file name is data.
    if "/" in name or "." in name:
        return False
    text = name
    for known in sorted(NAMES, key=len, reverse=True):
        text = text.replace(known, " ")
    return LATIN_WORD.search(text) is not None


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def shown_text(node, role):
    """What a label reads, where it is a label."""
    if role != "label":
        return None
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except Exception:
        return None


def walk(node, found, depth=0):
    try:
        role, name = node.getRoleName(), node.name or ""
        description = node.description or ""
        count = node.childCount
    except Exception:
        return
    if not showing(node) and depth > 0:
        return
    found.append((role, name.strip(), description, shown_text(node, role)))
    if depth < 40:
        for k in range(count):
            try:
                walk(node.getChildAtIndex(k), found, depth + 1)
            except Exception:
                pass


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for k in range(desktop.childCount):
        app = desktop.getChildAtIndex(k)
        if app is not None and app.name == "Pernard":
            return app
    return None


def windows(title=None):
    """The program's shown top-level windows as (title, window) pairs; retried until `title`
    is among them."""
    deadline = time.monotonic() + 30
    while True:
        shown = []
        try:
            app = application()
            if app is not None:
                for k in range(app.childCount):
                    window = app.getChildAtIndex(k)
                    if window is not None and showing(window):
                        shown.append((window.name, window))
        except Exception:
            shown = []
        if shown and (title is None or any(name == title for name, _ in shown)):
            return shown
        if time.monotonic() > deadline:
            raise SystemExit(f"window not shown: {title}")
        time.sleep(0.5)


def read(window):
    """Every shown element of a window; read again while the read comes back short."""
    best = []
    for _ in range(5):
        found = []
        walk(window, found)
        if len(found) > len(best):
            best = found
        if len(found) > 1 and len(found) == len(best):
            break
        time.sleep(0.5)
    return best


def keys(*presses):
    for press in presses:
        if press == "focus list":
            focus_list()
            continue
        subprocess.run(["xdotool", "key", "--clearmodifiers", press], check=True, timeout=10)
        time.sleep(0.4)


def focus_list():
    """A click on the list's first row, as a user makes it: that bookmark becomes current."""
    cells = []

    def first_cell(node, in_list=False, depth=0):
        try:
            role = node.getRoleName()
            in_list = in_list or any(node.getChildAtIndex(k).name == "名称"
                                     for k in range(min(node.childCount, 20)))
            if in_list and role == "table cell" and node.name:
                cells.append(node)
                return
            for k in range(node.childCount):
                if cells or depth > 40:
                    return
                first_cell(node.getChildAtIndex(k), in_list, depth + 1)
        except Exception:
            pass

    first_cell(dict(windows("ペルナード"))["ペルナード"])
    if cells:
        x, y, width, height = cells[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], check=True, timeout=10)
        time.sleep(0.5)


def focus_main():
    ids = subprocess.run(["xdotool", "search", "--name", "^ペルナード$"], capture_output=True,
                         text=True, timeout=10).stdout.split()
    for window in ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], timeout=10)


problems = []


def check(title, elements):
    print(f"== {title}")
    if elements and elements[0][0] not in WINDOW_ROLES:
        problems.append(f"{title}: a window shown as {elements[0][0]}")
    for role, name, description, text in elements:
        if name:
            print(f"{role} | {name}")
        if MARKUP.search(description):
            problems.append(f"{title}: markup in a description: {role} | {description}")
        if role in DATA:
            continue
        if name and english(name):
            problems.append(f"{title}: English text: {role} | {name}")
        if not name and role in OPERATED | VIEWS | PICTURES:
            problems.append(f"{title}: unnamed {role}")
        if text and name and text.strip() != name:
            problems.append(f"{title}: a label named {name!r} reads {text.strip()!r}")


# The windows a user opens from the main window: the keys, the title, the keys that close it.
OPENED = [
    # The tree has the focus at start-up: its last entry is a bookmark of the sample.
    (["focus list", "F2"], "URL", ["alt+e"]),
    (["alt+v", "s"], "設定", ["alt+c"]),
    (["alt+s", "b"], "検索(ブックマーク)", ["alt+c"]),
    (["alt+v", "n"], "最近追加", ["alt+c"]),
    (["alt+e", "d"], "重複の整理", ["alt+c"]),
    (["alt+d", "o"], "並べ替え", ["Escape"]),
    (["alt+d", "n"], "タグと説明", ["Escape"]),
    (["alt+f", "r", "n"], "", ["Escape"]),
    (["alt+h", "a"], "ペルナード", ["Escape"]),
    (["alt+f", "y", "s"], "同期の設定", ["Escape"]),
    (["alt+f", "y", "l"], "同期の記録", ["Escape"]),
    # A question: Escape answers キャンセル, and nothing is deleted.
    (["focus list", "alt+d", "d"], "確認", ["Escape"]),
]

# With a server to sync with: the first sync's question, answered キャンセル.
if os.environ.get("PERNARD_READ_SYNC"):
    OPENED.append((["alt+f", "y", "n"], "初めての同期", ["Escape"]))

main = dict(windows("ペルナード"))["ペルナード"]
time.sleep(1)
check("ペルナード", read(main))
for opening, title, closing in OPENED:
    focus_main()
    before = [name for name, _ in windows()]
    keys(*opening)
    deadline = time.monotonic() + 30
    opened = None
    while opened is None:
        shown = windows()
        names = [name for name, _ in shown]
        # The window that was not there before (a second one of a title counts).
        for name, window in shown:
            if names.count(name) > before.count(name):
                opened, title = window, name
                break
        if opened is None and time.monotonic() > deadline:
            problems.append(f"did not open: {title or ' '.join(opening)}")
            break
        if opened is None:
            time.sleep(0.5)
    if opened is not None:
        check(title or "file dialog", read(opened))
    keys(*closing)
    time.sleep(0.5)

if problems:
    print("\n".join(problems), file=sys.stderr)
    sys.exit(1)
