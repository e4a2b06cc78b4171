"""The browser engines the web page is tested in, each started at a device pixel ratio and driven through the
few WebDriver calls the tests make (Selenium's names: get, execute_script, set_window_size,
get_screenshot_as_png, find_element("id", ...).click(), the window handles, and execute for ActionChains):

- Chromium, headless, through Debian's chromium-driver;
- WebKitGTK (WebKit, Safari's engine family) through Debian's webkit2gtk-driver and the MiniBrowser it brings,
  on a private Xvfb server (it has no headless mode; GDK_SCALE gives the device pixel ratio);
- Firefox ESR, headless, through its own remote protocol (Marionette), with the small client below, as Debian
  offers no WebDriver for it.

Nothing is downloaded: each engine says what it lacks (missing()) and is then skipped.
What differs between them for the page, besides their launch, lies in each engine's fields:
full_screen, whether the page's full-screen saver can be entered there; wake_lock, the page's line after full
screen was entered ("" where the lock is granted); tabs, whether a second tab hides the page."""
import base64
import glob
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time


class Chromium:
    name = "Chromium"
    full_screen, wake_lock, tabs = True, "", True

    def missing(self):
        return [need for need in ("chromium", "chromedriver") if not shutil.which(need)]

    def start(self, ratio):
        from selenium import webdriver
        options = webdriver.ChromeOptions()
        profile = tempfile.TemporaryDirectory()
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update", "--disable-sync",
                         "--disable-dev-shm-usage", "--force-color-profile=srgb",
                         f"--force-device-scale-factor={ratio}", f"--user-data-dir={profile.name}",
                         "--window-size=1024,768"):
            options.add_argument(argument)
        driver = webdriver.Chrome(options=options)
        driver.cleanups = [profile.cleanup]
        return driver


def private_x_server(width, height):
    """An Xvfb server on a display number it picks itself; returns the process and the display's name."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24", "-nolisten",
                               "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL,
                              start_new_session=True)
    os.close(write)
    with os.fdopen(read) as number:
        display = number.readline().strip()
    if not display:
        server.kill()
        server.wait()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + display


class WebKitGTK:
    name = "WebKitGTK"
    # The MiniBrowser on a bare X server enters full screen; WebKitGTK offers no wake lock, and the page's line
    # says so.
    full_screen, wake_lock, tabs = True, "The screen wake lock was refused: the display may turn off.", False

    def mini_browser(self):
        found = sorted(glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser"))
        return found[-1] if found else None

    def missing(self):
        needs = {"WebKitWebDriver (webkit2gtk-driver)": shutil.which("WebKitWebDriver"),
                 "WebKitGTK's MiniBrowser (webkit2gtk-driver)": self.mini_browser(), "Xvfb": shutil.which("Xvfb")}
        return [need for need, there in needs.items() if not there]

    def start(self, ratio):
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.service import Service
        # Room for the largest window the tests ask for, in device pixels.
        server, display = private_x_server(1400 * ratio, 1000 * ratio)
        environment = {name: value for name, value in os.environ.items() if name not in ("WAYLAND_DISPLAY",)}
        environment.update(DISPLAY=display, GDK_BACKEND="x11", GDK_SCALE=str(ratio), GDK_DPI_SCALE="1")
        options = webdriver.WebKitGTKOptions()
        options.binary_location = self.mini_browser()
        options.add_argument("--automation")
        # Selenium's WebKitGTK class takes no environment: the driver's service is started here instead.
        service = Service(env=environment)
        try:
            service.start()
            driver = webdriver.Remote(command_executor=service.service_url, options=options)
        except BaseException:
            service.stop()
            server.kill()
            server.wait()
            raise
        driver.cleanups = [service.stop, server.kill, server.wait]
        return driver


class Firefox:
    name = "Firefox ESR"
    # Headless Firefox enters full screen and grants the wake lock.
    full_screen, wake_lock, tabs = True, "", True

    def missing(self):
        return [] if shutil.which("firefox-esr") else ["firefox-esr"]

    def start(self, ratio):
        return Marionette(ratio)


class MarionetteError(Exception):
    pass


class Marionette:
    """Headless Firefox ESR with a fresh profile, driven over Marionette: each message is its JSON text's
    length, a colon and the text; a command is [0, id, name, parameters], its answer [1, id, error, result]."""

    def __init__(self, ratio):
        self.profile = tempfile.TemporaryDirectory()
        with open(os.path.join(self.profile.name, "user.js"), "w") as preferences:
            # Port 0: Firefox picks a free port and writes it into the profile (MarionetteActivePort).
            preferences.write(f'user_pref("marionette.port", 0);\nuser_pref("layout.css.devPixelsPerPx", "{ratio}");\n')
        self.browser = subprocess.Popen(["firefox-esr", "-marionette", "-headless", "-no-remote", "-profile",
                                         self.profile.name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        self.socket, self.last_id = None, 0
        try:
            port_file = os.path.join(self.profile.name, "MarionetteActivePort")
            end = time.monotonic() + 60
            while not (os.path.exists(port_file) and open(port_file).read().strip().isdigit()):
                if time.monotonic() > end or self.browser.poll() is not None:
                    raise MarionetteError("Firefox did not open its Marionette port")
                time.sleep(0.05)
            with open(port_file) as port:
                self.socket = socket.create_connection(("127.0.0.1", int(port.read())), timeout=120)
            self.stream = self.socket.makefile("rb")
            self.receive()  # the greeting: the application and the protocol's version
            self.command("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"pageLoadStrategy": "normal"}}})
        except BaseException:
            self.quit()
            raise
        self.switch_to = self

    def receive(self):
        length = b""
        while not length.endswith(b":"):
            byte = self.stream.read(1)
            if not byte or len(length) > 10:
                raise MarionetteError("Firefox closed its Marionette connection")
            length += byte
        return json.loads(self.stream.read(int(length[:-1])))

    def command(self, name, parameters=None):
        self.last_id += 1
        text = json.dumps([0, self.last_id, name, parameters or {}]).encode()
        self.socket.sendall(str(len(text)).encode() + b":" + text)
        while True:
            kind, number, error, result = self.receive()
            if kind == 1 and number == self.last_id:
                break
        if error:
            raise MarionetteError(f"{name}: {error.get('error')}: {error.get('message')}")
        return result

    # The Selenium calls the tests make.
    def get(self, address):
        self.command("WebDriver:Navigate", {"url": address})

    def execute_script(self, script, *arguments):
        return self.command("WebDriver:ExecuteScript", {"script": script, "args": list(arguments)})["value"]

    def set_window_size(self, width, height):
        self.command("WebDriver:SetWindowRect", {"width": width, "height": height})

    def get_screenshot_as_png(self):
        return base64.b64decode(self.command("WebDriver:TakeScreenshot", {"full": False})["value"])

    def find_element(self, by, value):
        assert by == "id"
        found = self.command("WebDriver:FindElement", {"using": "css selector", "value": f'[id="{value}"]'})["value"]
        element = next(iter(found.values()))
        return type("Element", (), {"click": lambda _: self.command("WebDriver:ElementClick", {"id": element})})()

    @property
    def current_window_handle(self):
        return self.command("WebDriver:GetWindowHandle")["value"]

    def new_window(self, kind):
        handle = self.command("WebDriver:NewWindow", {"type": kind, "focus": True})["handle"]
        self.window(handle)

    def window(self, handle):
        self.command("WebDriver:SwitchToWindow", {"handle": handle, "focus": True})

    def execute(self, command, parameters=None):
        # ActionChains sends its input through these two.
        names = {"actions": "WebDriver:PerformActions", "clearActionState": "WebDriver:ReleaseActions"}
        return self.command(names[command], parameters)

    def quit(self):
        if self.socket:
            try:
                self.command("Marionette:Quit")
            except (OSError, MarionetteError):
                pass
            self.socket.close()
            self.socket = None
        try:
            self.browser.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(self.browser.pid, signal.SIGKILL)
            self.browser.wait()
        self.profile.cleanup()


ENGINES = (Chromium(), WebKitGTK(), Firefox())


def quit(driver):
    """Ends a started browser and whatever was started for it."""
    driver.quit()
    for cleanup in getattr(driver, "cleanups", ()):
        cleanup()
