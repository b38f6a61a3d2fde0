"""The sheet as a screen reader gets it, read from the accessibility bus.

Run by accessibility.sh with the program already starting:
    /usr/bin/python3 read_sheet_aloud.py HELP_FILE
Checks each cell's name, description and states on an empty sheet, then
types into the program with xdotool and checks them again, together with
the events that tell a screen reader the descriptions changed.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

MISSING = "Required, still missing."
CONTRADICTS = "Contradicts earlier data."
GREYED = "Worked out by the sheet, cannot be typed into."

# States as (must have, must not have).
TYPABLE = ({"enabled", "sensitive", "editable", "showing"}, {"read only"})
READ_ONLY = ({"read only", "showing"}, {"enabled", "sensitive"})
HIDDEN = (set(), {"showing"})

# The keys typed, from "Tank Capacity, gals" where the window starts: 22 as
# the tank, Enter through the other side fields to the H Hour column, -99
# for gallons mode, 20 gallons, and a lap number below the start's.
KEYS = ["22", "Return"] + ["Return"] * 8 + ["-99", "Return", "20", "Return", "-5", "Return"]

# cell, spoken name, (notes, states) on an empty sheet, (notes, states) after KEYS
CELLS = [
    (132, "Tank Capacity, gals", [MISSING], TYPABLE, [], TYPABLE),
    (133, "Fuel Spec Gravity", [MISSING], TYPABLE, [MISSING], TYPABLE),
    (137, "Avg Caution Lap, sec", [], HIDDEN, [], HIDDEN),
    (138, "Current Lap", [], TYPABLE, [], TYPABLE),
    (0, "Can #  (-99 to enter gallons), H Hour", [], TYPABLE, [], TYPABLE),
    (1, "Can Wt Before, lbs, H Hour", [], TYPABLE, [], HIDDEN),
    # The two cans share their captions; the help tells them apart.
    (39, "Can Wt Before, lbs, 2nd Pit", [], TYPABLE, [], TYPABLE),
    (42, "Can Wt Before, lbs, 2nd Pit", [], TYPABLE, [], TYPABLE),
    (6, "Total Gallons Added, H Hour", [GREYED], READ_ONLY, [], TYPABLE),
    (101, "Total Gallons Added, 5th Pit", [GREYED], READ_ONLY, [GREYED], READ_ONLY),
    (7, "Lap Number, H Hour", [], TYPABLE, [CONTRADICTS], TYPABLE),
    (14, "Must Pit Before Lap, H Hour", [], HIDDEN, [], HIDDEN),
]

# name, description, role on an empty sheet; None: no such object at all.
# Roles by their number: newer AT-SPI calls a push button "button".
OTHERS = [
    ("Tank Capacity, gals", MISSING, pyatspi.ROLE_LABEL),
    ("Clc, recalculate", "", pyatspi.ROLE_PUSH_BUTTON),
    ("End of the sheet", None, pyatspi.ROLE_PUSH_BUTTON),
    ("Command1", None, None),
]

failures = []
described = set()  # names of the objects whose description-change event came


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def pump(seconds):
    """Lets the bus deliver events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.02)


def until(what, condition, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump(0.1)
        try:
            if condition():
                return True
        except Exception:  # an object went while being read: read again
            pass
    fail("waited for " + what)
    return False


def program():
    return next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Quorvel"),
                None)


def objects(root):
    return [o for child in root if child is not None for o in [child] + objects(child)]


def main_window_objects():
    frames = [f for f in program() if f is not None and f.name.startswith("Quorvel - Dunmere")]
    return objects(frames[0]) if frames else []


def states(accessible):
    return {pyatspi.stateToString(s) for s in accessible.getState().getStates()}


def read_help(path):
    # Per cell a title, the help line and a line of numbers.
    with open(path, encoding="utf-8") as file:
        return file.read().splitlines()[1::3]


def check_cells(help_texts, after):
    found = main_window_objects()
    texts = [o for o in found if o.getRoleName() == "text"]
    for cell, name, *expected in CELLS:
        notes, (having, lacking) = expected[2:] if after else expected[:2]
        description = " ".join(notes + [help_texts[cell]])
        where = f"cell {cell} {'after typing' if after else 'at start'}"
        named = [t for t in texts if t.name == name]
        matches = [t for t in named if t.description == description]
        if len(matches) != 1:
            fail(f"{where}: {len(matches)} cells named {name!r} described {description!r};"
                 f" cells of that name say {[t.description for t in named]}")
            continue
        have = states(matches[0])
        if not having <= have or lacking & have:
            fail(f"{where} ({name}): states {sorted(have)}, want {sorted(having)}"
                 f" and none of {sorted(lacking)}")
    return found


def check_others(found):
    for name, description, role in OTHERS:
        matches = [o for o in found if o.name == name and role in (None, o.getRole())
                   and description in (None, o.description)]
        if len(matches) != (0 if role is None else 1):
            fail(f"{len(matches)} objects of role {role} named {name!r} described {description!r}")


def focused_cell_name(found):
    focused = [o for o in found if o.getRoleName() == "text" and "focused" in states(o)]
    return focused[0].name if focused else None


def main():
    help_texts = read_help(sys.argv[1])
    # The splash has gone once the main window's first cell has the keyboard,
    # announced by its caption.
    if not until("the first cell focused",
                 lambda: focused_cell_name(main_window_objects()) == "Tank Capacity, gals"):
        return 1

    check_others(check_cells(help_texts, after=False))

    # The program sends only the events someone listens for; it hears of a
    # new listener over the bus, so the keys wait a moment.
    pyatspi.Registry.registerEventListener(
        lambda event: described.add(event.source.name),
        "object:property-change:accessible-description")
    pump(1)

    for key in KEYS:
        command = ["xdotool", "key", key] if key == "Return" else ["xdotool", "type", "--", key]
        subprocess.run(command, check=True, timeout=10)
        pump(0.2)
    if until("the cell after the keys focused",
             lambda: focused_cell_name(main_window_objects()) == "Total Race Caution Laps, H Hour"):
        found = check_cells(help_texts, after=True)
        # The Help box shows the focused cell's help, as before.
        if not any(o.getRoleName() == "label" and o.name == help_texts[8] for o in found):
            fail("the Help box does not show the help of Total Race Caution Laps, H Hour")
        if not any(o.getRoleName() == "label" and o.name == "Tank Capacity, gals"
                   and o.description == "" for o in found):
            fail("the caption of a filled required field still says it is missing")
    pump(0.5)
    # A screen reader hears of each change, not only when it reads again.
    for name in ("Tank Capacity, gals", "Total Gallons Added, H Hour", "Lap Number, H Hour"):
        if name not in described:
            fail(f"no description-change event for {name!r}")

    print(f"{len(CELLS)} cells checked twice, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
