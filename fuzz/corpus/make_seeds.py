#!/usr/bin/env python3
"""Writes the seed inputs for the fuzzers next to this script.

Each seed is a small, readable case the readers must handle; the fuzzers
start from these and mutate them. Run it again after changing a seed here.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
CELLS = 151
MAGIC = b"DNX-LQR*1.20"


def write(folder, name, data):
    path = HERE / folder / name
    path.parent.mkdir(parents=True, exist_ok=True)
    assert len(data) < 4096, name
    path.write_bytes(data)


def race(cells, comment_lines, tail=b"", eol=b"\r\n", modes=(b" 0 ", b" 0 ")):
    lines = [MAGIC, *modes, *cells]
    lines += [*comment_lines, b"-9999"]
    return eol.join(lines) + eol + tail


def padded(cells):
    return list(cells) + [b""] * (CELLS - len(cells))


example = (ROOT / "data" / "lqrfiles" / "worked-example.lqr").read_bytes()

# Race files.
write("racefile", "worked-example.lqr", example)
write("racefile", "magic-only.lqr", MAGIC + b"\r\n")
write("racefile", "lf-line-ends.lqr", example.replace(b"\r\n", b"\n"))
write("racefile", "cr-line-ends.lqr", example.replace(b"\r\n", b"\r"))
write("racefile", "mixed-line-ends.lqr",
      race(padded([b"12", b"3.5"]), [b"a", b"b"], eol=b"\r\n").replace(b"3.5\r\n", b"3.5\r\r\n"))
write("racefile", "comment-and-gasket.lqr",
      race(padded([b"100", b"", b"40"]),
           [b"Stint plan:", b"", b"  two cans at the start,", b"-99 is not the marker"],
           tail=b" 1 \r\n"))
write("racefile", "quoted-fields.lqr",
      race(padded([b'"12, 5"', b'" leading blank"', b'"\ttab"', b'plain "inner" quotes',
                   b'"unterminated', b'"closed" then dropped', b"1,2,3", b'  "blank first"',
                   b'"",x', b"trailing blank "]),
           [b'"quoted", comment, line']))
write("racefile", "latin1.lqr",
      race(padded([b"caf\xe9", b"\xb0F", b"\xc3\xa9t\xc3\xa9", b"m\xe9lange \xc3\xa9"]),
           [b"r\xe9servoir", b"d\xc3\xa9j\xc3\xa0 vu"]))
write("racefile", "ends-in-cells.lqr", MAGIC + b"\r\n 1 \r\n 2 \r\n5\r\n6")
write("racefile", "integers-out-of-range.lqr",
      race(padded([b"1"]), [b""], tail=b"32767.5\r\n", modes=(b"40000", b"-32768.5")))
write("racefile", "no-end-marker.lqr",
      (MAGIC + b"\r\n 0 \r\n 1 \r\n" + b"\r\n" * CELLS + b"first\r\n-9999x\r\nlast"))
write("racefile", "quoted-magic.lqr", b'  "DNX-LQR*1.20",2,1\n7,8\n')

# Found by fuzzing: a first field that only starts with the magic text, cut
# at the reader's limit inside a non-ASCII character.
write("racefile", "magic-then-latin1.lqr", MAGIC + b"\xff")
write("racefile", "magic-then-partial-utf8.lqr", MAGIC + b"\xe2\x82")

# Settings files: five integer fields.
write("settings", "five-lines", b" 1 \r\n 0 \r\n 0 \r\n 0 \r\n 2 \r\n")
write("settings", "negatives", b"-1 \r\n-32768 \r\n 32767 \r\n 0 \r\n-2 \r\n")
write("settings", "one-line", b" 1 \r\n")
write("settings", "short-no-line-end", b" 1 \r\n 5")
write("settings", "empty", b"")
write("settings", "commas-lf", b"1,2,3\n4,5\n6\n")
write("settings", "out-of-range", b"40000\r\n2.5\r\n3.5\r\n-32768.5\r\n1e9\r\n")
write("settings", "quoted-and-text", b'"3"\r\nabc\r\n  7x\r\n\r\n-4\r')

# Cell texts.
for i, text in enumerate([b"12.5", b"-99", b" 1 2 . 5 e 3", b"1e400", b"abc", b".5",
                          b"-.5e-3", b"2.675", b"1.005", b"0", b"-0", b"4.9e-324",
                          b"1.7976931348623157e308", b"123456789012345.4", b"1e", b"1.2.3",
                          b"+\t7\n5", b"0.0000000000000000000000001", b"9" * 40 + b".5",
                          b"1" + b"0" * 700 + b"1e-700", b"x12", b"--5", b"-inf", b"0,72",
                          b"2e-x", b"0.72", b"12.5 laps", b"\t-\n.5E+\n1", b"-9e999999999999",
                          b"9007199254740993", b"9007199254740993." + b"0" * 1000 + b"1", b"10",
                          b"-0.004", b"12345678901234.25", b"-9.255960211696245e61", b"-3.04",
                          b"0.25", b"-0.25", b"0.999", b"0.004", b"-0.456"]):
    write("cellnumber", f"text-{i:02d}", text)
