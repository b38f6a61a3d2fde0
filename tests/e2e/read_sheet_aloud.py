"""The sheet as a screen reader gets it, read from the accessibility bus.

Run by accessibility.sh with the program already starting:
    /usr/bin/python3 read_sheet_aloud.py HELP_FILE
Checks cells' names, descriptions and states on an empty sheet, types into
the program with xdotool, and checks them again.
"""

import collections
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

# From "Tank Capacity, gals", where the window starts: 22 as the tank, Enter
# through the side fields to H Hour, -99 for gallons mode, 20 gallons, and a
# lap number below the start's.
KEYS = ["22", "Return"] + ["Return"] * 8 + ["-99", "Return", "20", "Return", "-5", "Return"]
AFTER_KEYS = "Total Race Caution Laps, H Hour"  # the cell then focused

# cell, spoken name, (notes, states) on an empty sheet, (notes, states) after KEYS
CELLS = [
    (132, "Tank Capacity, gals", [MISSING], TYPABLE, [], TYPABLE),
    (133, "Fuel Spec Gravity", [MISSING], TYPABLE, [MISSING], TYPABLE),
    (0, "Can 1 #  (-99 to enter gallons), H Hour", [], TYPABLE, [], TYPABLE),
    (1, "Can 1 Wt Before, lbs, H Hour", [], TYPABLE, [], HIDDEN),
    (42, "Can 2 Wt Before, lbs, 2nd Pit", [], TYPABLE, [], TYPABLE),
    (6, "Total Gallons Added, H Hour", [GREYED], READ_ONLY, [], TYPABLE),
    (101, "Total Gallons Added, 5th Pit", [GREYED], READ_ONLY, [GREYED], READ_ONLY),
    (7, "Lap Number, H Hour", [], TYPABLE, [CONTRADICTS], TYPABLE),
    (14, "Must Pit Before Lap, H Hour", [], HIDDEN, [], HIDDEN),
]

# name, role, description on an empty sheet and after KEYS; no role: nothing
# may have that name. Roles by number: newer AT-SPI names a push button "button".
OTHERS = [
    ("Tank Capacity, gals", pyatspi.ROLE_LABEL, MISSING, ""),
    ("Clc, recalculate", pyatspi.ROLE_PUSH_BUTTON, "", ""),
    ("End of the sheet", pyatspi.ROLE_PUSH_BUTTON, None, None),
    ("Command1", None, None, None),
]

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def pump(seconds):
    """Lets the bus deliver events for a while."""
    context, end = GLib.MainContext.default(), time.monotonic() + seconds
    while time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.02)


def objects(root):
    return [o for child in root if child is not None for o in [child] + objects(child)]


def main_window_objects():
    program = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Quorvel"]
    return [o for frame in program[0] if frame is not None and frame.name.startswith(
        "Quorvel - Dunmere") for o in objects(frame)] if program else []


def states(accessible):
    return {pyatspi.stateToString(s) for s in accessible.getState().getStates()}


def focused_cell_is(name):
    """Waits a minute at most for that cell to have the keyboard; the objects then."""
    for _ in range(600):
        pump(0.1)
        try:  # an object may go while it is being read
            found = main_window_objects()
            if any(o.name == name and "focused" in states(o) for o in found):
                return found
        except Exception:
            pass
    fail(f"waited for {name!r} to be focused")
    return None


def check(found, help_texts, after):
    where = "after typing" if after else "at start"
    names = collections.Counter(o.name for o in found if o.getRoleName() == "text")
    if max(names.values(), default=0) > 1:
        fail(f"{where}: cells sharing a name: {[n for n, k in names.items() if k > 1]}")
    for cell, name, *expected in CELLS:
        notes, (having, lacking) = expected[2:] if after else expected[:2]
        description = " ".join(notes + [help_texts[cell]])
        named = [o for o in found if o.getRoleName() == "text" and o.name == name]
        matches = [o for o in named if o.description == description]
        if len(matches) != 1:
            fail(f"{where}: {len(matches)} cells named {name!r} described {description!r};"
                 f" cells of that name say {[o.description for o in named]}")
        elif not having <= states(matches[0]) or lacking & states(matches[0]):
            fail(f"{where}: {name!r} has states {sorted(states(matches[0]))}")
    for name, role, *descriptions in OTHERS:
        description = descriptions[after]
        matches = [o for o in found if o.name == name and role in (None, o.getRole())
                   and description in (None, o.description)]
        if len(matches) != (role is not None):
            fail(f"{where}: {len(matches)} of role {role} named {name!r} described {description!r}")


def main():
    with open(sys.argv[1], encoding="utf-8") as file:
        help_texts = file.read().splitlines()[1::3]  # title, help line, numbers
    # The splash has gone once the first cell has the keyboard.
    found = focused_cell_is("Tank Capacity, gals")
    if found is None:
        return 1
    check(found, help_texts, after=False)
    for key in KEYS:
        subprocess.run(["xdotool", "key", key] if key == "Return" else
                       ["xdotool", "type", "--", key], check=True, timeout=10)
        pump(0.2)
    found = focused_cell_is(AFTER_KEYS)
    if found is not None:
        check(found, help_texts, after=True)
    print(f"{len(CELLS)} cells checked twice, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
