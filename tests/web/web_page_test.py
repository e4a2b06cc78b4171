#!/usr/bin/python3
"""The web page in headless Chromium, served by a local HTTP server, at device pixel ratios 1 and 2: its
frames at fixed ticks are the native render tool's, byte for byte (every frame's digest, and the canvas's
own pixels read back); the picture lies centred and 1:1 in device pixels in windows of several sizes (the
screenshot holds the native frame there), or whole and scaled down in a narrower one; full screen is
entered on a key or a click and left as every host ends its show, not on a jiggle below the threshold; a
hidden page draws nothing; bad URL values are said on the page and ignored.

    web_page_test.py PAGE_FOLDER RENDER_TOOL

Exits 77 (skipped) with the reason when the page, Chromium, its driver or Selenium is missing."""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIP = 77
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)
    return condition


def skip(reason):
    print("web_page_test: skipped:", reason)
    sys.exit(SKIP)


def png_rgb(data):
    """Width, height and the RGB bytes of an 8-bit, non-interlaced RGB or RGBA PNG."""
    width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
    assert depth == 8 and kind in (2, 6), "unexpected PNG format"
    chunks, at = [], 8
    while at < len(data):
        size, name = struct.unpack(">I4s", data[at:at + 8])
        if name == b"IDAT":
            chunks.append(data[at + 8:at + 8 + size])
        at += size + 12
    raw, step = zlib.decompress(b"".join(chunks)), 3 if kind == 2 else 4
    stride, rows, previous = width * step, [], bytearray(width * step)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind_of_filter, row = line[0], bytearray(line[1:])
        for i in range(stride):
            a = row[i - step] if i >= step else 0
            b, c = previous[i], previous[i - step] if i >= step else 0
            if kind_of_filter == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind_of_filter == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind_of_filter == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind_of_filter == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(row if step == 3 else bytes(v for i, v in enumerate(row) if i % 4 != 3))
        previous = row
    return width, height, rows


class Page:
    """One headless Chromium at one device pixel ratio, on the local server."""

    def __init__(self, webdriver, address, ratio):
        options = webdriver.ChromeOptions()
        self.profile = tempfile.TemporaryDirectory()
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update", "--disable-sync",
                         "--force-color-profile=srgb", f"--force-device-scale-factor={ratio}",
                         f"--user-data-dir={self.profile.name}", "--window-size=1024,768"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(options=options)
        self.address, self.ratio = address, ratio

    def open(self, query):
        self.driver.get(f"{self.address}/index.html{query}")

    def js(self, script):
        return self.driver.execute_script("return " + script)

    def wait(self, script, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self.js(script):
                return True
            time.sleep(0.05)
        return False


def render(tool, *arguments):
    return subprocess.run([tool, "--format", "rgba", *arguments], check=True, capture_output=True, text=True).stdout


def check_frames(page, tool, tick_ms, frames):
    """Every frame at fixed ticks is the render tool's, and the last is held."""
    page.open(f"?tick-ms={tick_ms}&frames={frames}")
    what = f"ratio {page.ratio}, tick-ms {tick_ms}, {frames} frames"
    if not check(page.wait(f"orvelle.framesDrawn >= {frames}", 60), f"{what}: the frames were not all drawn"):
        return
    expected = [int(line.split()[1], 16) for line in
                render(tool, "--tick-ms", str(tick_ms), "--frames", str(frames), "--digest").splitlines()]
    digests = page.js("orvelle.digests")
    wrong = [n + 1 for n, (got, want) in enumerate(zip(digests, expected)) if got != want]
    check(len(digests) == frames and not wrong, f"{what}: frames differ from the render tool's: {wrong[:5]}")
    check(page.js("orvelle.canvasDigest()") == expected[-1], f"{what}: the canvas does not hold the last frame")
    time.sleep(0.3)
    check(page.js("orvelle.framesDrawn") == frames, f"{what}: frames drawn after the last")


def check_placement(page, frame, size):
    """The screenshot holds the frame 1:1 and centred, or the whole picture scaled down."""
    page.driver.set_window_size(*size)
    page.open("?tick-ms=16&frames=1")
    page.wait("orvelle.framesDrawn >= 1")
    what = f"ratio {page.ratio}, window {size[0]}x{size[1]}"
    inner = page.js("[innerWidth, innerHeight]")
    device = [round(v * page.ratio) for v in inner]
    if device[0] < 640 or device[1] < 480:
        box = page.js("(r => [r.left, r.top, r.right, r.bottom])(document.getElementById('show').getBoundingClientRect())")
        inside = box[0] >= 0 and box[1] >= 0 and box[2] <= inner[0] + 0.01 and box[3] <= inner[1] + 0.01
        shape = abs((box[2] - box[0]) * 480 - (box[3] - box[1]) * 640) <= 640 / page.ratio
        check(inside and shape, f"{what}: the picture is not shown whole at its shape: {box}")
        return
    width, height, rows = png_rgb(page.driver.get_screenshot_as_png())
    left, top = (device[0] - 640) // 2, (device[1] - 480) // 2
    check(width == device[0] and height == device[1], f"{what}: screenshot {width}x{height}, window {device}")
    wrong = [y for y in range(480) if rows[top + y][3 * left:3 * (left + 640)] != frame[y]]
    check(not wrong, f"{what}: the picture is not the frame 1:1 at ({left}, {top}): rows {wrong[:5]} differ")


# Saver cases: how full screen is entered, then steps of (action, whether full screen remains). Pointer
# positions are CSS pixels of the viewport; the first movement in full screen is the origin of travel.
SAVER_CASES = [
    ("key", [("key", False)]),
    ("click", [("at", 100, 100, True), ("at", 102, 101, True), ("at", 100, 100, True), ("at", 101, 103, True),
               ("at", 102, 103, False)]),
    ("button", [("click", False), ("wait", False)]),
    ("key", [("at", 100, 100, True), ("wheel", False)]),
]


def act(page, step):
    from selenium.webdriver.common.action_chains import ActionChains
    chain = ActionChains(page.driver)
    if step[0] == "key":
        chain.send_keys("a")
    elif step[0] == "click":
        chain.click()
    elif step[0] == "at":
        chain.w3c_actions.pointer_action.move_to_location(step[1], step[2])
    elif step[0] == "wheel":
        chain.scroll_by_amount(0, 40)
    if step[0] != "wait":
        chain.perform()
    time.sleep(0.3)


def check_saver(page, enter, steps):
    page.open("?tick-ms=16")
    page.wait("orvelle.framesDrawn >= 1")
    act(page, ("at", 50, 50))
    if enter == "button":
        page.driver.find_element("id", "saver").click()
    else:
        act(page, (enter,))
    what = f"ratio {page.ratio}, entered by {enter}"
    in_saver = "[orvelle.saver, !!document.fullscreenElement, getComputedStyle(document.getElementById('show')).cursor]"
    check(page.wait("orvelle.saver", 5) and page.js(in_saver) == [True, True, "none"],
          f"{what}: not full screen without a cursor: {page.js(in_saver)}")
    for step in steps:
        act(page, step)
        state = page.js(in_saver)[:2]
        check(state == [step[-1], step[-1]], f"{what}: after {step[:-1]} full screen is {state}")


def check_hidden_and_bad_values(page):
    page.open("?tick-ms=16&frames=12x")
    check(page.wait("orvelle.framesDrawn >= 10") and "frames: bad value" in page.js("document.body.textContent"),
          "a bad frames value is not said on the page, or the show does not play")
    shown = page.driver.current_window_handle
    page.driver.switch_to.new_window("tab")
    time.sleep(1)
    page.driver.switch_to.window(shown)
    page.wait("orvelle.shownAt.length > 0", 5)
    hidden_at, shown_at = page.js("orvelle.hiddenAt"), page.js("orvelle.shownAt")
    check(len(hidden_at) == 1 and hidden_at == shown_at, f"frames drawn while hidden: hidden at {hidden_at}, shown at {shown_at}")
    check(page.wait(f"orvelle.framesDrawn > {shown_at[-1] if shown_at else 0} + 5", 5), "no frames after shown again")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    folder, tool = sys.argv[1:]
    if not folder or not os.path.isfile(os.path.join(folder, "orvelle.wasm")):
        skip(f"no web page built in '{folder}' (scripts/build web)")
    for program in ("chromium", "chromedriver"):
        if not any(os.access(os.path.join(d, program), os.X_OK) for d in os.environ.get("PATH", "").split(":")):
            skip(f"{program} is not installed (scripts/setup installs it)")
    try:
        from selenium import webdriver
    except ImportError:
        skip("python3-selenium is not installed (scripts/setup installs it)")
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port), "--directory",
                               folder], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as work:
        render(tool, "--frames", "1", "--raw", "--out", work)
        with open(os.path.join(work, "frame-00001.raw"), "rb") as raw:
            rgba = raw.read()
        frame = [bytes(v for i, v in enumerate(rgba[y * 2560:(y + 1) * 2560]) if i % 4 != 3) for y in range(480)]
    try:
        # Per ratio: a clock (tick, frames) and window sizes (the last narrower than the picture).
        for ratio, clock, sizes in ((1, (16, 300), [(1024, 768), (801, 613), (500, 400)]),
                                    (2, (1000, 200), [(1280, 800), (901, 701), (300, 260)])):
            page = Page(webdriver, f"http://127.0.0.1:{port}", ratio)
            try:
                check_frames(page, tool, *clock)
                for size in sizes:
                    check_placement(page, frame, size)
                page.driver.set_window_size(1024, 768)
                for enter, steps in SAVER_CASES:
                    check_saver(page, enter, steps)
                if ratio == 1:
                    check_hidden_and_bad_values(page)
            finally:
                page.driver.quit()
    finally:
        server.kill()
    print(f"web_page_test: {len(failures)} failures in {time.monotonic() - started:.1f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
