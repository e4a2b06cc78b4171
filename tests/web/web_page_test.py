#!/usr/bin/python3
"""The web page in each browser engine the machine has (browsers.py: Chromium, WebKitGTK, Firefox ESR) at
device pixel ratios 1 and 2, served by a local HTTP server: frames at fixed ticks are the native render tool's
(every frame's digest, and the canvas read back); the screenshot holds the native frame 1:1 and centred in
device pixels, or the whole picture scaled down in a narrower window, and in a short window's the picture is
whole and centred with the note readable beside it; full screen is entered and left as every host ends its
show, and a refused or missing wake lock or a refused full screen is said on the page; a hidden page draws
nothing; a first frame timed before the show's start draws as a clean start; the loader's and the keys'
paths, a strict Content-Security-Policy and a page opened as a file. In Chromium only (its DevTools
protocol): phones' viewports and reduced motion; and, once, the page's build stopping at a failed compile
and the page's files weighing under 100 KB. Digests are the test's own: the page offers only its canvas and
its frame count.
    web_page_test.py PAGE_FOLDER RENDER_TOOL [ENGINE...]  (Chromium, WebKitGTK, Firefox; default all;
                                                           exit 77, saying why, where something is missing)"""
import base64
import importlib.util
import json
import math
import os
import socket
import subprocess
import sys
import tempfile
import time
import zlib

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

    def open(self, query, frames=1, name="index.html"):
        self.driver.get(f"{self.address}/{name}{query}")
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
        {"key": lambda: chain.send_keys("a"), "press": lambda: chain.send_keys(step[1]),
         "chord": lambda: chain.key_down(step[1]).send_keys(step[2]).key_up(step[1]), "click": chain.click,
         "wheel": lambda: chain.scroll_by_amount(0, 40),
         "at": lambda: chain.w3c_actions.pointer_action.move_to_location(*step[1:3]), "wait": lambda: None}[step[0]]()
        chain.perform()
        time.sleep(0.3)


# Scripts run before the page's own in test copies of index.html (the test's side of the page). FRAMES keeps
# the CRC-32 of the canvas after every frame the page draws, as the render tool's --digest prints them; CLOCK
# hands the page's frames times 16 ms apart from a first one OFFSET ms from the page's first request.
FRAMES = """window.digests = [];
(() => {
    const table = Array.from({length: 256}, (_, n) => {
        for (let k = 0; k < 8; ++k)
            n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
        return n >>> 0;
    });
    const ask = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => ask((now) => {
        const drawn = window.orvelle.framesDrawn;
        callback(window.frameTime ? window.frameTime(now) : now);
        if (window.orvelle.framesDrawn === drawn)
            return;
        const bytes = document.getElementById('show').getContext('2d').getImageData(0, 0, 640, 480).data;
        let crc = 0xFFFFFFFF;
        for (let i = 0; i < bytes.length; ++i)
            crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >>> 8);
        digests.push((crc ^ 0xFFFFFFFF) >>> 0);
    });
})();
"""
CLOCK = """(() => {
    let first = null, n = 0;
    window.frameTime = () => (first === null ? first = performance.now() + OFFSET : first) + 16 * n++;
})();
"""


def canvas_digest(page):
    """The CRC-32 of the canvas's pixels read back."""
    data = page.js("(b => { let s = ''; for (let i = 0; i < b.length; i += 8192)"
                   " s += String.fromCharCode.apply(null, b.subarray(i, i + 8192)); return btoa(s); })"
                   "(document.getElementById('show').getContext('2d').getImageData(0, 0, 640, 480).data)")
    return zlib.crc32(base64.b64decode(data))


def check_frames(page, tool, tick_ms, frames):
    what = f"{page}, tick-ms {tick_ms}"
    check(page.open(f"?tick-ms={tick_ms}&frames={frames}", frames, "frames.html"),
          f"{what}: not all {frames} frames drawn")
    expected = [int(line.split()[1], 16) for line in
                render(tool, "--tick-ms", str(tick_ms), "--frames", str(frames), "--digest").splitlines()]
    wrong = [n + 1 for n, (got, want) in enumerate(zip(page.js("digests"), expected)) if got != want]
    check(not wrong, f"{what}: frames {wrong[:5]} differ from the render tool's")
    check(canvas_digest(page) == expected[-1], f"{what}: the canvas does not hold the last frame")
    time.sleep(0.3)
    check(page.js("orvelle.framesDrawn") == frames, f"{what}: frames drawn after the last")


def check_clock(page, tool):
    """The live clock: a first frame 12.5 ms before the show's start, and one 3.5 ms after, both draw the
    frames at 0, 16, 32... ms of the show (a time before the start once wrapped to 49.7 days)."""
    frames = 20
    expected = [int(line.split()[1], 16) for line in
                render(tool, "--ms", ",".join(str(16 * n) for n in range(frames)), "--digest").splitlines()]
    for name in ("early.html", "late.html"):
        check(page.open(f"?frames={frames}", frames, name) and page.js("digests") == expected,
              f"{name}: the live frames are not a clean start's: {page.js('digests')[:3]} for {expected[:3]}")


def check_whole(page, what):
    """The picture whole, at its shape, as large as it may be and centred, in the window or in the room above
    the note's bar; the page not widened nor zoomed out (a phone's viewport); the note readable beside it."""
    got = page.js("""{view: [innerWidth, innerHeight, visualViewport.scale, document.documentElement.scrollWidth,
        devicePixelRatio],
        ...Object.fromEntries(['show', 'bar', 'note'].map(id =>
            [id, (r => [r.left, r.top, r.right, r.bottom])(document.getElementById(id).getBoundingClientRect())]))}""")
    (width, height, zoom, scroll_width, ratio), box, note = got["view"], got["show"], got["note"]
    pixel = 1 / ratio + 0.01
    room = got["bar"][1]
    fills = box[2] - box[0] >= min(640 / ratio, width) - pixel or box[3] - box[1] >= min(480 / ratio, room) - pixel
    centred = (abs(box[0] + box[2] - width) <= 2 * pixel
               and min(abs(box[1] + box[3] - h) for h in (height, room)) <= 2 * pixel)
    check(zoom == 1 and scroll_width <= width and min(box[:2]) >= 0 and box[2] <= width + 0.01
          and box[3] <= height + 0.01
          and abs((box[2] - box[0]) * 480 - (box[3] - box[1]) * 640) <= 640 / ratio and fills and centred,
          f"{what}: the picture is not whole and centred: {got}")
    apart = note[1] >= box[3] or note[3] <= box[1] or note[0] >= box[2] or note[2] <= box[0]
    check(apart and note[2] > note[0] and min(note[:2]) >= 0 and note[2] <= width + 0.01 and note[3] <= height + 0.01,
          f"{what}: the note {note} is not readable beside the picture {box}")


def size_viewport(page, width, height):
    """Sizes the window so that the page's viewport is width x height: a browser's own bars take their share of
    the window (Debian's Firefox 140 shows its toolbars even headless, and their height changes with the
    window's width), so the window is grown by what they take, a few times at most."""
    page.driver.set_window_size(width, height)
    for _ in range(3):
        inner, outer = page.js("[[innerWidth, innerHeight], [outerWidth, outerHeight]]")
        if inner == [width, height]:
            return
        page.driver.set_window_size(outer[0] + width - inner[0], outer[1] + height - inner[1])


def check_placement(page, frame, width, height, one_to_one):
    size_viewport(page, width, height)
    page.open("?frames=1&tick-ms=16")
    what = f"{page}, window {width}x{height}"
    inner = page.js("[innerWidth, innerHeight]")
    device = [round(v * page.ratio) for v in inner]
    check(device[0] >= 640 and device[1] >= 480 or not one_to_one, f"{what}: viewport {device} is not the case meant")
    check_whole(page, what)
    if not one_to_one:
        return
    shot = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=page.driver.get_screenshot_as_png(),
                          check=True, capture_output=True).stdout
    # Centred in the window, or in the room above the note's bar where it would not fit beneath the picture.
    room = math.floor(page.js("document.getElementById('bar').getBoundingClientRect().top") * page.ratio)
    left = (device[0] - 640) // 2
    top = (device[1] - 480) // 2 if device[1] - 480 >= 2 * (device[1] - room) else (room - 480) // 2
    at = [3 * (device[0] * (top + y) + left) for y in range(480)]
    wrong = [y for y in range(480) if shot[at[y]:at[y] + 1920] != frame[1920 * y:1920 * (y + 1)]]
    check(len(shot) == 3 * device[0] * device[1] and not wrong,
          f"{what}: not the frame 1:1 at ({left}, {top}): {wrong[:5]}")


def emulate(page, phone=None, reduced_motion=False):
    """Chromium's mobile emulation of a phone (width, height, scale) and its reduced motion; none: the window."""
    if phone:
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", dict(
            zip(("width", "height", "deviceScaleFactor"), phone), mobile=True))
    else:
        page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
        {"name": "prefers-reduced-motion", "value": "reduce" if reduced_motion else ""}]})


def check_phones(page):
    for phone in ((375, 667, 2), (667, 375, 2), (375, 667, 3), (667, 375, 3)):
        emulate(page, phone)
        page.open("?frames=1&tick-ms=16")
        check_whole(page, f"a phone {phone[0]}x{phone[1]} at scale {phone[2]}")
    emulate(page)


def check_reduced_motion(page):
    emulate(page, reduced_motion=True)
    page.open("")
    time.sleep(0.5)
    check(page.js("orvelle.framesDrawn") == 1 and "less motion" in page.js(NOTE),
          "reduced motion: the first frame is not held still")
    page.act(("key",))
    check(page.wait("orvelle.saver && orvelle.framesDrawn > 5"),
          "reduced motion: a key does not play the show full screen")
    emulate(page)


def check_file(page, folder):
    page.driver.get(f"file://{os.path.abspath(folder)}/index.html")
    check(page.wait("orvelle.framesDrawn > 1", 10), f"opened as a file, the page does not play: {page.js(NOTE)}")


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
    wake_lock = page.engine.wake_lock
    check(page.wait(f"{NOTE} === {json.dumps(wake_lock)}", 2), f"{what}: the note says '{page.js(NOTE)}'")
    for step in steps:
        page.act(step)
        check(page.js(state)[:2] == [step[-1]] * 2, f"{what}: after {step[:-1]} full screen is {page.js(state)}")


def check_hidden(page):
    # Without a fixed tick the show plays on the page's own clock.
    check(page.open("?frames=12x", 10) and "frames: bad value" in page.js("document.body.textContent"),
          "a bad frames value is not said on the page, or the show does not play")
    first_picture = canvas_digest(page)
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
          canvas_digest(page) != first_picture, f"{page}: the page's own clock does not move the picture")
    # Over plain HTTP elsewhere than on this computer browsers offer no wake lock: the page says so.
    page.driver.execute_script("delete Navigator.prototype.wakeLock")
    page.act(("key",))
    check(page.wait("orvelle.saver") and page.wait(f"{NOTE}.includes('no screen wake lock')"),
          f"{page}: a missing wake lock is not said")
    page.act(("key",))
    page.driver.execute_script("document.documentElement.requestFullscreen = () => Promise.reject(new Error('no'))")
    page.act(("key",))
    drawn = page.js("orvelle.framesDrawn")
    check(page.js(NOTE).startswith("Full screen was refused") and not
          page.js("orvelle.saver") and page.wait(f"orvelle.framesDrawn > {drawn} + 5"),
          f"{page}: a refusal is not said, or stops the show")


NOTE = "document.getElementById('note').textContent"
PLAYS = "orvelle.framesDrawn > 2"
STRICT = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self';"
          " connect-src 'self'")
# The loader's and the keys' paths: a test page (a script run before the page's own, a Content-Security-Policy),
# then steps (None: only wait), each with what must then hold in the page.
PATHS = [
    ("loading", "(get => window.fetch = (...a) => new Promise(r => setTimeout(r, 1500)).then(() => get(...a)))"
     "(window.fetch);", None, [(None, f"{NOTE} === 'Loading…'"), (None, PLAYS)]),
    ("no-streaming", "delete WebAssembly.instantiateStreaming;", None, [(None, PLAYS)]),
    ("missing", "window.fetches = []; (get => window.fetch = (url, ...a) => (fetches.push(url),"
     " get(String(url).replace('orvelle.wasm', 'missing.wasm'), ...a)))(window.fetch);", None,
     [(None, f"{NOTE}.includes('HTTP 404') && fetches.length === 1 && orvelle.failed"),
      (("click",), f"{NOTE}.includes('HTTP 404') && document.getElementById('saver').textContent === 'Not loaded'")]),
    ("prefixed", "delete Element.prototype.requestFullscreen; delete Document.prototype.exitFullscreen;"
     " delete Document.prototype.fullscreenElement;", None,
     [(("key",), "orvelle.saver && !!document.webkitFullscreenElement"),
      (("key",), "!orvelle.saver && !document.webkitFullscreenElement")]),
    ("no-fullscreen", "delete Element.prototype.requestFullscreen; delete Element.prototype.webkitRequestFullscreen;",
     None, [(("key",), f"{NOTE}.includes('offers no full screen') && !orvelle.saver && {PLAYS}")]),
    ("strict", "window.refused = [];"
     " document.addEventListener('securitypolicyviolation', e => refused.push(e.violatedDirective));",
     STRICT, [(None, f"{PLAYS} && refused.length === 0")]),
    ("unsafe-eval-refused", None, "default-src 'self'", [(None, f"{NOTE}.startsWith('The show could not be loaded')")]),
    ("index", None, None, [(("press", "\ue009"), PLAYS), (("press", "\ue00a"), PLAYS), (("press", "\ue03d"), PLAYS),
                           (("chord", "\ue009", "r"), PLAYS), (("chord", "\ue00a", "\ue004"), PLAYS),
                           (None, f"!orvelle.saver && !{NOTE}.includes('refused')")]),
    ("index", None, None, [(("press", " "), "orvelle.saver")]),
    ("index", None, None, [(("press", "\ue007"), "orvelle.saver")]),
]


def test_pages(folder, served):
    """The page's files in served, beside copies of index.html that run one of the test's scripts before the
    page's own or set a Content-Security-Policy."""
    for name in os.listdir(folder):
        os.symlink(os.path.abspath(os.path.join(folder, name)), os.path.join(served, name))
    with open(os.path.join(folder, "index.html"), encoding="utf-8") as original:
        html = original.read()
    pages = [("frames", FRAMES, None), ("early", FRAMES + CLOCK.replace("OFFSET", "-12.5"), None),
             ("late", FRAMES + CLOCK.replace("OFFSET", "3.5"), None)] + [row[:3] for row in PATHS if row[0] != "index"]
    for name, script, policy in pages:
        head = (f'<meta http-equiv="Content-Security-Policy" content="{policy}">\n' if policy else "") + \
            (f'<script src="{name}.js"></script>\n' if script else "")
        with open(os.path.join(served, f"{name}.html"), "w", encoding="utf-8") as copy:
            copy.write(html.replace('<meta charset="utf-8">\n', '<meta charset="utf-8">\n' + head, 1))
        if script:
            with open(os.path.join(served, f"{name}.js"), "w", encoding="utf-8") as code:
                code.write(script)


def check_paths(page):
    for name, _, _, steps in PATHS:
        if name == "prefixed" and not page.js("'webkitRequestFullscreen' in Element.prototype"):
            continue  # Firefox offers the unprefixed call only
        page.open("", 0, f"{name}.html")
        for step, holds in steps:
            if step:  # once the page has loaded or failed to
                page.wait("orvelle.failed || orvelle.framesDrawn > 0", 10)
                page.act(step)
            check(page.wait(holds, 10), f"{name}: after {step}, not {holds}: the note says '{page.js(NOTE)}'")


def check_failed_compile():
    """A compiler that fails stops the page's build and the compilers still running."""
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "emcc"), "w", encoding="utf-8") as emcc:
            emcc.write(f'#!/bin/sh\ncase "$*" in *bitmap_sprite*) exit 1 ;; esac\nexec sleep 30.{os.getpid()}\n')
        os.chmod(os.path.join(work, "emcc"), 0o755)
        build = subprocess.run([os.path.join(os.path.dirname(__file__), "../../web/build-page"), work],
                               env=dict(os.environ, PATH=f"{work}:{os.environ['PATH']}"),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)  # no pipe a compiler left holds
        time.sleep(0.3)
        left = subprocess.run(["pgrep", "-f", f"sleep 30.{os.getpid()}"], capture_output=True, text=True).stdout.split()
        for pid in left:
            os.kill(int(pid), 15)
        check(build.returncode != 0 and not left,
              f"a failed compile: exit {build.returncode}, {len(left)} compilers left")


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
    if engines[0] is browsers.ENGINES[0]:  # what needs no browser, once: in Chromium's test
        check_failed_compile()
        weight = sum(os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder))
        check(weight < 100_000, f"the page's files weigh {weight} bytes, not under 100 KB")
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    served = tempfile.TemporaryDirectory()
    test_pages(folder, served.name)
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port), "--directory",
                               served.name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as work:
        render(tool, "--frames", "1", "--raw", "--out", work)
        with open(os.path.join(work, "frame-00001.raw"), "rb") as raw:
            frame = bytes(v for i, v in enumerate(raw.read()) if i % 4 != 3)
    tested = 0
    try:
        for engine in engines:
            engine_started = time.monotonic()
            # Per ratio: a clock (tick, frames) and viewports (width, height, whether it holds the picture).
            for ratio, clock, sizes in ((1, (16, 300), [(1024, 768, True), (801, 661, True), (500, 400, False),
                                                        (640, 480, False)]),
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
                        check_clock(page, tool)
                        check_hidden(page)
                        check_paths(page)
                        check_file(page, folder)
                        if engine is browsers.ENGINES[0]:  # DevTools' emulation
                            check_reduced_motion(page)
                            check_phones(page)
                finally:
                    browsers.quit(page.driver)
            else:
                tested += 1
                print(f"web_page_test: {engine.name} tested in {time.monotonic() - engine_started:.1f} s")
    finally:
        server.kill()
        served.cleanup()
    print(f"web_page_test: {len(failures)} failures in {time.monotonic() - started:.1f} s")
    return 1 if failures else 0 if tested else 77


if __name__ == "__main__":
    sys.exit(main())
