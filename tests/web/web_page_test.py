#!/usr/bin/python3
"""The web page in each browser engine the machine has (browsers.py: Chromium, WebKitGTK, Firefox ESR) at
device pixel ratios 1 and 2, served by a local HTTP server: frames at fixed ticks are the native render tool's
(every frame's digest, and the canvas read back); the screenshot holds the native frame 1:1 and centred in
device pixels, or the whole picture scaled down in a narrower window; full screen is entered and left as
every host ends its show, and a refused or missing wake lock or a refused full screen is said on the page; a
hidden page draws nothing; the page's files weigh under 100 KB.
    web_page_test.py PAGE_FOLDER RENDER_TOOL [ENGINE...]  (Chromium, WebKitGTK, Firefox; default all;
                                                           exit 77, saying why, where something is missing)"""
import importlib.util
import json
import os
import socket
import subprocess
import sys
import tempfile
import time

import browsers

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def render(tool, *arguments):
    return subprocess.run([tool, "--format", "rgba", *arguments], check=True, capture_output=True).stdout


class Page:
    """One browser engine at one device pixel ratio."""

    def __init__(self, engine, address, ratio):
        self.driver = engine.start(ratio)
        self.engine, self.address, self.ratio = engine, address, ratio

    def __str__(self):
        return f"{self.engine.name}, ratio {self.ratio}"

    def open(self, query, frames=1):
        self.driver.get(f"{self.address}/index.html{query}")
        return self.wait(f"orvelle.framesDrawn >= {frames}", 60)

    def js(self, script):
        return self.driver.execute_script("return " + script)

    def wait(self, script, seconds=5):
        end = time.monotonic() + seconds
        while not self.js(script):
            if time.monotonic() > end:
                return False
            time.sleep(0.05)
        return True

    def act(self, step):
        from selenium.webdriver.common.action_chains import ActionChains
        chain = ActionChains(self.driver, duration=0)  # one pointer event a move, not a path (Firefox draws one)
        {"key": lambda: chain.send_keys("a"), "click": chain.click, "wheel": lambda: chain.scroll_by_amount(0, 40),
         "at": lambda: chain.w3c_actions.pointer_action.move_to_location(*step[1:3]), "wait": lambda: None}[step[0]]()
        chain.perform()
        time.sleep(0.3)


def check_frames(page, tool, tick_ms, frames):
    what = f"{page}, tick-ms {tick_ms}"
    check(page.open(f"?tick-ms={tick_ms}&frames={frames}", frames), f"{what}: not all {frames} frames drawn")
    expected = [int(line.split()[1], 16) for line in
                render(tool, "--tick-ms", str(tick_ms), "--frames", str(frames), "--digest").splitlines()]
    wrong = [n + 1 for n, (got, want) in enumerate(zip(page.js("orvelle.digests"), expected)) if got != want]
    check(not wrong, f"{what}: frames {wrong[:5]} differ from the render tool's")
    check(page.js("orvelle.canvasDigest()") == expected[-1], f"{what}: the canvas does not hold the last frame")
    time.sleep(0.3)
    check(page.js("orvelle.framesDrawn") == frames, f"{what}: frames drawn after the last")


def check_placement(page, frame, width, height, one_to_one):
    page.driver.set_window_size(width, height)
    page.open("?frames=1&tick-ms=16")
    what = f"{page}, window {width}x{height}"
    inner = page.js("[innerWidth, innerHeight]")
    device = [round(v * page.ratio) for v in inner]
    check((device[0] >= 640 and device[1] >= 480) == one_to_one, f"{what}: viewport {device} is not the case meant")
    if not one_to_one:
        box = page.js("(r => [r.left, r.top, r.right, r.bottom])(document.getElementById('show').getBoundingClientRect())")
        inside = min(box[:2]) >= 0 and box[2] <= inner[0] + 0.01 and box[3] <= inner[1] + 0.01
        shape = abs((box[2] - box[0]) * 480 - (box[3] - box[1]) * 640) <= 640 / page.ratio
        return check(inside and shape, f"{what}: the picture is not shown whole at its shape: {box}")
    shot = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=page.driver.get_screenshot_as_png(),
                          check=True, capture_output=True).stdout
    left, top = (device[0] - 640) // 2, (device[1] - 480) // 2
    at = [3 * (device[0] * (top + y) + left) for y in range(480)]
    wrong = [y for y in range(480) if shot[at[y]:at[y] + 1920] != frame[1920 * y:1920 * (y + 1)]]
    check(len(shot) == 3 * device[0] * device[1] and not wrong, f"{what}: not the frame 1:1 at ({left}, {top}): {wrong[:5]}")


# How full screen is entered, then steps ending in whether full screen remains. Pointer positions are CSS
# pixels of the viewport; the first movement in full screen is the origin of travel.
SAVER_CASES = [
    ("key", [("key", False)]),
    ("click", [("at", 100, 100, True), ("at", 102, 101, True), ("at", 100, 100, True), ("at", 101, 103, True),
               ("at", 102, 103, False)]),
    ("button", [("click", False), ("wait", False)]),
    ("key", [("at", 100, 100, True), ("wheel", False)]),
]


def check_saver(page, enter, steps):
    page.open("?tick-ms=16")
    page.act(("at", 50, 50))
    page.driver.find_element("id", "saver").click() if enter == "button" else page.act((enter,))
    what = f"{page}, entered by {enter}"
    state = "[orvelle.saver, !!document.fullscreenElement, getComputedStyle(document.getElementById('show')).cursor]"
    check(page.wait("orvelle.saver") and page.js(state) == [True, True, "none"], f"{what}: {page.js(state)}")
    # The wake lock is asked for once full screen is entered; where the engine refuses it the page says so.
    note, wake_lock = "document.getElementById('note').textContent", page.engine.wake_lock
    check(page.wait(f"{note} === {json.dumps(wake_lock)}", 2), f"{what}: the note says '{page.js(note)}'")
    for step in steps:
        page.act(step)
        check(page.js(state)[:2] == [step[-1]] * 2, f"{what}: after {step[:-1]} full screen is {page.js(state)}")


def check_hidden(page):
    # Without a fixed tick the show plays on the page's own clock.
    check(page.open("?frames=12x", 10) and "frames: bad value" in page.js("document.body.textContent"),
          "a bad frames value is not said on the page, or the show does not play")
    first_picture = page.js("orvelle.canvasDigest()")
    if page.engine.tabs:  # a second tab hides the page (not in WebKitGTK's MiniBrowser)
        shown = page.driver.current_window_handle
        page.driver.switch_to.new_window("tab")
        time.sleep(1)
        page.driver.switch_to.window(shown)
        page.wait("orvelle.shownAt.length > 0")
        hidden_at, shown_at = page.js("orvelle.hiddenAt"), page.js("orvelle.shownAt")
        check(len(hidden_at) == 1 and hidden_at == shown_at, f"{page}: drawn while hidden: {hidden_at} to {shown_at}")
        check(page.wait(f"orvelle.framesDrawn > {sum(shown_at)} + 5"), f"{page}: no frames after shown again")
    check(page.wait(f"orvelle.framesDrawn > {page.js('orvelle.framesDrawn')} + 5") and
          page.js("orvelle.canvasDigest()") != first_picture, f"{page}: the page's own clock does not move the picture")
    # Over plain HTTP elsewhere than on this computer browsers offer no wake lock: the page says so.
    page.driver.execute_script("delete Navigator.prototype.wakeLock")
    page.act(("key",))
    said = "document.getElementById('note').textContent.includes('no screen wake lock')"
    check(page.wait("orvelle.saver") and page.wait(said), f"{page}: a missing wake lock is not said")
    page.act(("key",))
    page.driver.execute_script("document.documentElement.requestFullscreen = () => Promise.reject(new Error('no'))")
    page.act(("key",))
    drawn = page.js("orvelle.framesDrawn")
    check(page.js("document.getElementById('note').textContent").startswith("Full screen was refused") and not
          page.js("orvelle.saver") and page.wait(f"orvelle.framesDrawn > {drawn} + 5"), "a refusal is not said, or stops the show")


def main():
    folder, tool = sys.argv[1:3]
    needs = {f"the page in '{folder}' (scripts/build web)": os.path.isfile(os.path.join(folder, "orvelle.wasm")),
             "python3-selenium": importlib.util.find_spec("selenium")}
    missing = [need for need, there in needs.items() if not there]
    engines = []
    for engine in browsers.ENGINES:
        if sys.argv[3:] and engine.name.split()[0] not in sys.argv[3:]:
            continue
        lacks = engine.missing()
        if lacks:
            print(f"web_page_test: {engine.name} skipped: missing {', '.join(lacks)} (scripts/setup installs it)")
        else:
            engines.append(engine)
    if missing or not engines:
        print("web_page_test: skipped: missing", ", ".join(missing) or "the browser",
              "(scripts/setup installs the programs)")
        return 77
    weight = sum(os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder))
    check(weight < 100_000, f"the page's files weigh {weight} bytes, not under 100 KB")
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port), "--directory",
                               folder], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as work:
        render(tool, "--frames", "1", "--raw", "--out", work)
        with open(os.path.join(work, "frame-00001.raw"), "rb") as raw:
            frame = bytes(v for i, v in enumerate(raw.read()) if i % 4 != 3)
    tested = 0
    try:
        # Per ratio: a clock (tick, frames) and windows (width, height, whether the viewport holds the picture).
        for engine in engines:
            engine_started = time.monotonic()
            for ratio, clock, sizes in ((1, (16, 300), [(1024, 768, True), (801, 661, True), (500, 400, False)]),
                                        (2, (1000, 200), [(1280, 800, True), (901, 701, True), (300, 260, False)])):
                try:
                    page = Page(engine, f"http://127.0.0.1:{port}", ratio)
                except Exception as error:  # an engine the machine has but that cannot start here
                    print(f"web_page_test: {engine.name} skipped: it did not start: {error}")
                    break
                try:
                    check_frames(page, tool, *clock)
                    for size in sizes:
                        check_placement(page, frame, *size)
                    page.driver.set_window_size(1024, 768)
                    for enter, steps in SAVER_CASES if engine.full_screen else ():
                        check_saver(page, enter, steps)
                    if ratio == 1:
                        check_hidden(page)
                finally:
                    browsers.quit(page.driver)
            else:
                tested += 1
                print(f"web_page_test: {engine.name} tested in {time.monotonic() - engine_started:.1f} s")
    finally:
        server.kill()
    print(f"web_page_test: {len(failures)} failures in {time.monotonic() - started:.1f} s")
    return 1 if failures else 0 if tested else 77


if __name__ == "__main__":
    sys.exit(main())
