#!/usr/bin/env python3
"""Two pictures of the same screen, compared region by region.

    compare_screens.py WINE.png SIM.png [--equal X,Y,W,H]...
                       [--tolerance X,Y,W,H PERCENT THRESHOLD]...
                       [--side-by-side OUT.png]

A pixel differs when one of its red, green or blue values differs by more
than the region's threshold (0 for --equal). An --equal region holds when no
pixel differs; a --tolerance region when at most PERCENT % of its pixels do.
Regions may overlap: a pixel belongs to the first region given that covers
it, so text boxes given first are carved out of a larger equal area given
after them. Prints each region's share of differing pixels.

--side-by-side writes the first picture on the left and the second on the
right, for a person to look at.

Exit status 0 when every region holds, 1 when one does not or the pictures
differ in size, 2 on bad arguments or unreadable pictures.
"""
import argparse
import subprocess
import sys


def read_rgb(path):
    """PNG (any ImageMagick can read) -> (width, height, bytes RGBRGB...)."""
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], check=True, capture_output=True, text=True)
    width, height = (int(n) for n in size.stdout.split())
    pixels = subprocess.run(["convert", path + "[0]", "-alpha", "off", "-depth", "8", "rgb:-"], check=True,
                            capture_output=True).stdout
    if len(pixels) != width * height * 3:
        raise ValueError(f"{path}: {len(pixels)} bytes of pixels for {width} x {height}")
    return width, height, pixels


def parse_box(text):
    box = [int(n) for n in text.split(",")]
    if len(box) != 4 or box[2] <= 0 or box[3] <= 0 or box[0] < 0 or box[1] < 0:
        raise ValueError(f"'{text}' is not X,Y,W,H with a positive width and height")
    return tuple(box)


class Region(argparse.Action):
    """Keeps --equal and --tolerance in one list, in the order given, as
    (box, percent allowed, channel threshold)."""

    def __call__(self, parser, namespace, values, option_string=None):
        try:
            if option_string == "--equal":
                region = (parse_box(values), 0.0, 0)
            else:
                box, percent, threshold = values
                region = (parse_box(box), float(percent), int(threshold))
        except ValueError as error:
            raise argparse.ArgumentError(self, str(error))
        namespace.regions = (namespace.regions or []) + [region]


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Compares two screenshots region by region.", allow_abbrev=False)
    parser.add_argument("first")
    parser.add_argument("second")
    parser.add_argument("--equal", dest="regions", action=Region, metavar="X,Y,W,H")
    parser.add_argument("--tolerance", dest="regions", action=Region, nargs=3,
                        metavar=("X,Y,W,H", "PERCENT", "THRESHOLD"))
    parser.add_argument("--side-by-side", metavar="OUT.png")
    return parser.parse_args(argv)


def differing_pixels(first, second, width, box, threshold, claimed):
    """Counts the pixels of box that no earlier region claimed, and those of
    them that differ; claims them. Returns (owned, differing)."""
    x0, y0, w, h = box
    owned = differing = 0
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            pixel = y * width + x
            if claimed[pixel]:
                continue
            claimed[pixel] = 1
            owned += 1
            at = pixel * 3
            if any(abs(first[at + c] - second[at + c]) > threshold for c in range(3)):
                differing += 1
    return owned, differing


def compare(first, second, width, height, regions):
    """Prints one line per region; returns True when every region holds."""
    claimed = bytearray(width * height)
    holds = True
    for box, percent, threshold in regions:
        x, y, w, h = box
        if x + w > width or y + h > height:
            print(f"region {x},{y},{w},{h} lies outside the {width} x {height} picture")
            holds = False
            continue
        owned, differing = differing_pixels(first, second, width, box, threshold, claimed)
        share = 100.0 * differing / owned if owned else 0.0
        ok = differing <= owned * percent / 100
        rule = "equal" if percent == 0 and threshold == 0 else f"at most {percent:g} % beyond {threshold}"
        print(f"{'ok  ' if ok else 'FAIL'} region {x},{y},{w},{h} ({rule}): {differing} of {owned} pixels differ "
              f"({share:.2f} %)")
        holds = holds and ok
    return holds


def main(argv):
    arguments = parse_arguments(argv)
    try:
        first_width, first_height, first = read_rgb(arguments.first)
        second_width, second_height, second = read_rgb(arguments.second)
    except (subprocess.CalledProcessError, ValueError) as error:
        print(f"cannot read the pictures: {error}", file=sys.stderr)
        return 2
    if arguments.side_by_side:
        subprocess.run(["convert", arguments.first, arguments.second, "+append", arguments.side_by_side], check=True)
    if (first_width, first_height) != (second_width, second_height):
        print(f"the pictures differ in size: {first_width} x {first_height} and {second_width} x {second_height}")
        return 1
    return 0 if compare(first, second, first_width, first_height, arguments.regions or []) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
