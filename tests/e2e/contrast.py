"""How readable the figures are, measured in the real window's pixels.

    /usr/bin/python3 contrast.py QUORVEL
On an X server of its own, under each desktop look this machine offers (the
light one; dark palettes through qt6ct's schemes with the Fusion style and
through Qt's gtk3 theme with Adwaita dark), starts the program, types a small
race, photographs the screen and measures each kind of figure against its
field as WCAG contrast. Prints the table; fails where a figure falls below
4.5:1, a magenta below 3:1, or a magenta is no longer magenta. With
CONTRAST_SHOTS=DIR it keeps a photograph of the sheet in each look there.
"""

import collections
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

FIGURE, MAGENTA = 4.5, 3.0
CLIENT_WIDTH, CLIENT_HEIGHT = 11325, 7845  # twips, below the menu bar
SPLASH_WIDTH, ABOUT_WIDTH = 5010, 7095
# The grid's frame stands at 3240, 0; its cells at 2760 + 840 x column and
# the row tops below, 735 x 285.
ROW_TOPS = [480, 840, 1200, 1560, 1920, 2280, 2640, 3120, 3480, 3840]


def grid(column, row):
    return (3240 + 2760 + 840 * column, ROW_TOPS[row], 735, 285)


TANK, LAP_LENGTH, PRE_RACE = (2280, 120, 855, 285), (1800, 840, 735, 285), (2280, 1680, 855, 285)
# The crew's steps: click a field, type into it. The 2nd Pit's lap is below
# the 1st Pit's; the 3rd Pit's is magenta until typed.
STEPS = [(TANK, "22"), (grid(1, 1), "100"), (grid(1, 2), "64"), (grid(1, 7), "30"),
         (grid(2, 7), "20"), (grid(3, 7), "40"), (LAP_LENGTH, "2.5"), (PRE_RACE, "")]
# kind, where on the client, least contrast, colour it must still have
SHEET = [
    ("typed input", TANK, FIGURE, None),
    ("cleared contradiction", grid(3, 7), FIGURE, None),
    ("result", grid(3, 9), FIGURE, None),
    ("greyed result", grid(1, 6), FIGURE, None),
    ("contradiction", grid(2, 7), MAGENTA, "magenta"),
    ("missing caption", (120, 480, 2055, 255), MAGENTA, "magenta"),
]
SPLASH = ("splash version", (0, 3795, 4935, 495), FIGURE, None)
ABOUT = ("About version", (1920 + 40, 120 + 1365, 4935, 285), FIGURE, None)
# Bare window between the side fields and the projections: dark in a dark look.
WINDOW = (120, 1980, 2900, 170)

# name: environment, qt6ct colour scheme (None: not through qt6ct)
LOOKS = {
    "light": ({"QT_QPA_PLATFORMTHEME": ""}, None),
    "qt6ct darker": ({"QT_QPA_PLATFORMTHEME": "qt6ct"}, "darker"),
    "qt6ct dusk": ({"QT_QPA_PLATFORMTHEME": "qt6ct"}, "dusk"),
    "Adwaita dark": ({"QT_QPA_PLATFORMTHEME": "gtk3", "GTK_THEME": "Adwaita:dark"}, None),
}
QT6CT_COLOURS = "/usr/share/qt6ct/colors/%s.conf"
GTK3_THEME = "/usr/lib/*/qt6/plugins/platformthemes/libqgtk3.so"


def luminance(rgb):
    def linear(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = map(linear, rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def ratio(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True,
                          timeout=10).stdout


def until(what, found, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = found()
        if result:
            return result
        time.sleep(0.1)
    raise RuntimeError("waited for " + what)


def screenshot():
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                          capture_output=True, check=True, timeout=30).stdout
    magic, width, height, depth, pixels = data.split(maxsplit=4)
    return int(width), pixels


def measure(shot, origin, scale, twips):
    """Field (the commonest colour) and figure (the colour furthest from it)
    inside a box, a few pixels in from its frame."""
    width, pixels = shot
    x, y, w, h = (round(v * scale) for v in twips)
    x, y = x + origin[0], y + origin[1]
    seen = [tuple(pixels[3 * (width * row + col):3 * (width * row + col) + 3])
            for row in range(y + 3, y + h - 3) for col in range(x + 3, x + w - 3)]
    field = collections.Counter(seen).most_common(1)[0][0]
    return field, max(seen, key=lambda p: ratio(p, field))


def window_scale(pid, twips_width, named=""):
    """Where a visible window of that width in twips stands on the screen, and
    its pixels per twip; None until it shows."""
    for window in xdo("search", "--onlyvisible", "--pid", str(pid), "").split():
        shell = dict(line.split("=") for line in
                     xdo("getwindowgeometry", "--shell", window).split())
        if (shell and xdo("getwindowname", window).startswith(named)
                and abs(int(shell["WIDTH"]) * 15 - twips_width) < 300):
            width = int(shell["WIDTH"])
            return (int(shell["X"]), int(shell["Y"]), int(shell["HEIGHT"])), width / twips_width
    return None


def drawn(origin, scale, twips):
    """A screenshot once the box shows a figure."""
    return until("a figure at %s" % (twips,), lambda: shot if ratio(*measure(
        (shot := screenshot()), origin, scale, twips)) > 1.2 else None)


def run_look(program, env, photo):
    """The figures of one look: kind -> (field, figure)."""
    figures = {}
    process = subprocess.Popen([program], env=env)
    try:
        # The splash is up for three seconds: measured again and again while
        # it shows, what it shows most of that time counts.
        (x, y, _), scale = until("the splash", lambda: window_scale(process.pid, SPLASH_WIDTH))
        splash = collections.Counter()
        while window_scale(process.pid, SPLASH_WIDTH):
            splash[measure(screenshot(), (x, y), scale, SPLASH[1])] += 1
        if not splash:
            raise RuntimeError("the splash went before it was photographed")
        figures[SPLASH[0]] = splash.most_common(1)[0][0]
        (x, y, h), scale = until("the window", lambda: window_scale(
            process.pid, CLIENT_WIDTH, "Quorvel - Dunmere"))
        client = (x, y + h - round(CLIENT_HEIGHT * scale))
        for (left, top, width, height), text in STEPS:
            xdo("mousemove", str(client[0] + round((left + width / 2) * scale)),
                str(client[1] + round((top + height / 2) * scale)), "click", "1")
            xdo("type", "--", text)
        # The result shows once the lap length typed last has been left.
        shot = drawn(client, scale, SHEET[2][1])
        for kind, where, *_ in SHEET + [("window", WINDOW)]:
            figures[kind] = measure(shot, client, scale, where)
        if photo:
            subprocess.run(["import", "-window", "root", photo], timeout=30)
        xdo("key", "alt", "Right", "Right", "Return", "Down", "Return")
        (x, y, _), scale = until("About", lambda: window_scale(process.pid, ABOUT_WIDTH))
        figures[ABOUT[0]] = measure(drawn((x, y), scale, ABOUT[1]), (x, y), scale, ABOUT[1])
    finally:
        process.kill()
        process.wait()
    return figures


def main():
    program = sys.argv[1]
    work = tempfile.mkdtemp()
    xvfb = None
    try:
        shutil.copytree(os.path.dirname(program), os.path.join(work, "program"))
        program = os.path.join(work, "program", os.path.basename(program))
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-dpi", "96",
                                 "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        os.environ.update(DISPLAY=":" + os.read(read, 16).decode().strip(),
                          QT_QPA_PLATFORM="xcb")
        looks = {name: look for name, look in LOOKS.items()
                 if (look[1] and os.path.exists(QT6CT_COLOURS % look[1]))
                 or (not look[1] and (name == "light" or glob.glob(GTK3_THEME)))}
        if len(looks) < 2:
            print("SKIP: no dark desktop palette (qt6ct, qt6-gtk-platformtheme) installed")
            return 77
        table, failures = {}, []
        for name, (extra, scheme) in looks.items():
            home = tempfile.mkdtemp(dir=work)
            env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
                       XDG_STATE_HOME=home + "/state", QT_STYLE_OVERRIDE="Fusion", **extra)
            if scheme:
                os.makedirs(home + "/config/qt6ct")
                with open(home + "/config/qt6ct/qt6ct.conf", "w") as conf:
                    conf.write("[Appearance]\ncustom_palette=true\nstyle=Fusion\n"
                               "color_scheme_path=" + QT6CT_COLOURS % scheme + "\n")
            shots = os.environ.get("CONTRAST_SHOTS")
            table[name] = run_look(program, env, shots and os.path.join(
                shots, "contrast-" + name.replace(" ", "-") + ".png"))
        print("%-22s" % "" + "".join("%15s" % name for name in table))
        for kind, _, least, colour in SHEET + [SPLASH, ABOUT]:
            print("%-22s" % kind + "".join(
                "%14.2f " % ratio(*table[name][kind]) for name in table))
            for name in table:
                field, (r, g, b) = table[name][kind]
                if ratio(field, (r, g, b)) < least:
                    failures.append(f"{kind}, {name}: {(r, g, b)} on {field} is below {least}:1")
                if colour == "magenta" and not (r > g + 80 and b > g + 80):
                    failures.append(f"{kind}, {name}: {(r, g, b)} is no longer magenta")
        failures += [f"{name}: the desktop's dark palette did not apply" for name in table
                     if name != "light" and luminance(table[name]["window"][0]) > 0.3]
        for failure in failures:
            print("FAIL: " + failure, file=sys.stderr)
        return 1 if failures else 0
    finally:
        if xvfb:
            xvfb.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
