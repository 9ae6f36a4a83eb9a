#!/usr/bin/env python3
"""Drives two Pernard windows (scripts/sync-two-windows.sh) through their syncs as their users do.

Each window is reached through its display (xdotool, the keys a user presses) and read through
the accessibility tree (AT-SPI): its status bar, its dialogs, its folder tree. Between the runs a
browser extension's client rewrites the shared file in its own bytes (a renamed bookmark and a
new one under the next id, its extras gone). At the end both windows, both bookmark files and
the server's file must hold the same collection, each bookmark once, nothing lost.
"""

import argparse
import collections
import os
import re
import subprocess
import sys
import time

import pyatspi

parser = argparse.ArgumentParser()
for machine in ("a", "b"):
    parser.add_argument(f"--display-{machine}", required=True)
    parser.add_argument(f"--pid-{machine}", type=int, required=True)
    parser.add_argument(f"--file-{machine}", required=True)
parser.add_argument("--shared", required=True)
parser.add_argument("--cli", required=True)
args = parser.parse_args()
MACHINES = {"a": (args.display_a, args.pid_a, args.file_a),
            "b": (args.display_b, args.pid_b, args.file_b)}


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for k in range(desktop.childCount):
        app = desktop.getChildAtIndex(k)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def Screenshot(machine):
    """The machine's screen, for the one who reads why it failed (PERNARD_SHOTS: a folder)."""
    folder = os.environ.get("PERNARD_SHOTS")
    if folder:
        subprocess.run(["import", "-display", MACHINES[machine][0], "-window", "root",
                        f"{folder}/{machine}-{int(time.time())}.png"], timeout=30)


def window(machine, title, seconds=30):
    """The machine's shown top-level window of this title; waits for it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            app = application(MACHINES[machine][1])
            for k in range(app.childCount if app else 0):
                shown = app.getChildAtIndex(k)
                if shown.name == title and shown.getState().contains(pyatspi.STATE_SHOWING):
                    return shown
        except Exception:
            pass
        time.sleep(0.3)
    raise SystemExit(f"{machine}: window not shown: {title}")


def find(node, test, depth=0):
    found = []
    try:
        if test(node):
            found.append(node)
        if depth < 40:
            for k in range(node.childCount):
                found += find(node.getChildAtIndex(k), test, depth + 1)
    except Exception:
        pass
    return found


SYNC_WORDS = re.compile(r"^(同期|未送信|オフライン|他の端末|初めての同期)")


STATUS_BARS = {}


def status(machine):
    """What the status bar's sync place says."""
    if machine not in STATUS_BARS:
        bars = find(window(machine, "ペルナード"), lambda n: n.getRoleName() == "status bar")
        if not bars:
            return ""
        STATUS_BARS[machine] = bars[0]
    labels = find(STATUS_BARS[machine],
                  lambda n: n.getRoleName() == "label" and SYNC_WORDS.match(n.name or ""))
    return labels[0].name if labels else ""


def keys(machine, *presses):
    display = MACHINES[machine][0]
    env = {"DISPLAY": display, "PATH": "/usr/bin:/bin"}
    ids = subprocess.run(["xdotool", "search", "--name", "^ペルナード$"], capture_output=True,
                         text=True, timeout=10, env=env).stdout.split()
    for shown in ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", shown], timeout=10, env=env)
    for press in presses:
        subprocess.run(["xdotool", "key", "--clearmodifiers", press], check=True, timeout=10,
                       env=env)
        time.sleep(0.4)


def select_in_tree(machine, typed, name):
    """Selects a shown node of the tree by typing the start of its name, as a user does; the
    list's caption then names it."""
    keys(machine, "Home")
    env = {"DISPLAY": MACHINES[machine][0], "PATH": "/usr/bin:/bin"}
    subprocess.run(["xdotool", "type", "--delay", "40", typed], check=True, timeout=10, env=env)
    time.sleep(0.4)
    caption = find(window(machine, "ペルナード"),
                   lambda n: n.getRoleName() == "label" and n.name == name)
    if not caption:
        Screenshot(machine)
        raise SystemExit(f"{machine}: {name} is not selected in the tree")


def press_in_dialog(machine, *presses):
    env = {"DISPLAY": MACHINES[machine][0], "PATH": "/usr/bin:/bin"}
    for press in presses:
        subprocess.run(["xdotool", "key", "--clearmodifiers", press], check=True, timeout=10,
                       env=env)
        time.sleep(0.4)


def wait_status(machine, starts, seconds=60):
    deadline = time.monotonic() + seconds
    said = ""
    while time.monotonic() < deadline:
        said = status(machine)
        if said.startswith(starts):
            print(f"{machine}: {said}")
            return said
        time.sleep(0.3)
    Screenshot(machine)
    raise SystemExit(f"{machine}: the status bar says {said!r}, not {starts!r}")


def sync_now(machine, first=False):
    before = status(machine)
    keys(machine, "alt+f", "y", "n")
    # The run starts (its words replace the last run's), unless it ended before a look.
    deadline = time.monotonic() + 8
    while status(machine) == before and time.monotonic() < deadline:
        time.sleep(0.05)
    if first:
        window(machine, "初めての同期")
        press_in_dialog(machine, "Return")  # 結合, the default
    return wait_status(machine, ("同期済み", "同期しました"))


def browser_client_rewrite(path):
    """What a browser's client of the file does: a rename and a new bookmark under the next id,
    written in its own bytes."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    highest = int(re.search(r"highestId :(\d+):", text).group(1))
    text = text.replace("<title>ウィキペディア</title>", "<title>Wikipedia 日本語版</title>")
    added = (f'<bookmark href="https://browser.example/" id="{highest + 1}">'
             f'<title>ブラウザーで追加</title></bookmark>\n</xbel>')
    text = text.replace("</xbel>", added).replace(f"highestId :{highest}:",
                                                  f"highestId :{highest + 1}:")
    time.sleep(1.1)  # a new modification time, so the server gives a new ETag
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace("\n  ", "\n\t"))


def collection(path):
    """A bookmark file's first root as (path, url) rows, its folders by title."""
    listed = subprocess.run([args.cli, "list", path], capture_output=True, text=True,
                            timeout=60, check=True).stdout.splitlines()
    names, rows = {}, []
    for line in listed:
        index, parent, kind, name, url = line.split("\t")[:5]
        if kind == "root":
            names[index] = ""
            continue
        where = names.get(parent, "?") + "/" + name
        if kind == "folder":
            names[index] = where
            rows.append((where, ""))
        else:
            rows.append((where, url))
    return sorted(rows)


def shared_collection(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return sorted(re.findall(r'<bookmark href="([^"]*)"', text))


def tree_names(machine):
    return sorted(n.name for n in find(window(machine, "ペルナード"),
                                       lambda n: n.getRoleName() == "tree item"))


problems = []
window("a", "ペルナード")
window("b", "ペルナード")
time.sleep(1)
# The first syncs: A sends its collection, B merges its own with it.
sync_now("a", first=True)
sync_now("b", first=True)
sync_now("a")
browser_client_rewrite(args.shared)
# Each user deletes a bookmark at the top of the tree (found by typing its name) and syncs;
# then each syncs once more to take the other's.
select_in_tree("a", "Google", "Google")
keys("a", "Delete")
press_in_dialog("a", "alt+y")
sync_now("a")
select_in_tree("b", "NHK", "NHK ニュース")
keys("b", "Delete")
press_in_dialog("b", "alt+y")
sync_now("b")
sync_now("a")
sync_now("b")

mine, theirs = collection(args.file_a), collection(args.file_b)
only_b = {"/メール"}  # a mailto: link stays on its machine
if [r for r in mine] != [r for r in theirs if r[0] not in only_b]:
    problems.append(f"the two files differ:\nA {mine}\nB {theirs}")
urls = [url for _, url in mine if url]
doubled = [row for row, n in collections.Counter(mine).items() if n > 1]
if doubled:
    problems.append(f"bookmarks doubled: {doubled}")
if sorted(urls) != shared_collection(args.shared):
    problems.append(f"the server's file differs:\n{shared_collection(args.shared)}\n{sorted(urls)}")
for expected in ("/Wikipedia 日本語版", "/ブラウザーで追加", "/家族/家族の写真",
                 "/ニュース・天気/NHK ニュース"):
    if not any(where == expected for where, _ in mine):
        problems.append(f"missing after the syncs: {expected}")
for deleted in ("/Google", "/NHK ニュース"):
    if any(where == deleted for where, _ in mine):
        problems.append(f"deleted on one machine, still there: {deleted}")
if tree_names("a") != [n for n in tree_names("b") if n != "メール"]:
    problems.append(f"the windows show different trees:\nA {tree_names('a')}\nB {tree_names('b')}")
print(f"{len(urls)} bookmarks on both machines and the server")
if problems:
    Screenshot("a")
    Screenshot("b")
    print("\n".join(problems), file=sys.stderr)
    sys.exit(1)
