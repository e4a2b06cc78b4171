// Orvelle's web page: loads the show (orvelle.wasm), draws one frame per display refresh on the canvas,
// 1:1 in device pixels and centred, and plays full screen as a screen saver on a click or a key, ended as
// every host ends its show. ?tick-ms=N&frames=K fixes the clock, as the render tool's options do: frame i
// at i*N ms, the picture held at frame K.
'use strict';

(() => {
    const width = 640;
    const height = 480;
    const maxFrames = 10000000; // as the render tool's --frames
    // ShowEventKind's numbers, as the show's module takes them.
    const keyPressed = 0, buttonPressed = 1, wheelTurned = 2, pointerMoved = 3, activationLost = 4;

    const canvas = document.getElementById('show');
    const bar = document.getElementById('bar');
    const note = document.getElementById('note');
    const button = document.getElementById('saver');
    const context = canvas.getContext('2d', {alpha: false});
    const page = {framesDrawn: 0, hiddenAt: [], shownAt: [], saver: false, failed: null};
    window.orvelle = page;

    // The line beside the button; the picture makes room for it, so it is never hidden under the picture.
    function say(text) {
        note.textContent = text;
        place();
    }

    // The URL parameter name, a whole number least to most, or null when it is absent; a bad value is said
    // on the page and counts as absent.
    function parameter(name, least, most) {
        const text = new URLSearchParams(location.search).get(name);
        if (text === null)
            return null;
        const value = /^[0-9]{1,10}$/.test(text) ? Number(text) : NaN;
        if (value >= least && value <= most)
            return value;
        say(`${name}: bad value '${text}' (a whole number ${least} to ${most}): ignored.`);
        return null;
    }

    // The canvas's CSS size is its size in device pixels over the device pixel ratio, and its corner lies on
    // a whole device pixel, so every picture pixel is one device pixel; a window too small for the picture
    // shows it whole, scaled down to fit. The picture is centred in the window where the bar fits beneath
    // it, else centred in the room above the bar (in full screen the bar is empty unless it has something
    // to say).
    function place() {
        const ratio = window.devicePixelRatio || 1;
        const deviceWidth = Math.round(window.innerWidth * ratio);
        const deviceHeight = Math.round(window.innerHeight * ratio);
        const aboveBar = Math.max(1, Math.floor(bar.getBoundingClientRect().top * ratio));
        const fits = (roomHeight) => Math.min(1, deviceWidth / width, roomHeight / height);
        const roomHeight = deviceHeight - Math.floor(height * fits(deviceHeight)) < 2 * (deviceHeight - aboveBar)
            ? aboveBar : deviceHeight;
        const scale = fits(roomHeight);
        const shownWidth = Math.floor(width * scale), shownHeight = Math.floor(height * scale);
        canvas.style.width = `${shownWidth / ratio}px`;
        canvas.style.height = `${shownHeight / ratio}px`;
        canvas.style.left = `${Math.floor((deviceWidth - shownWidth) / 2) / ratio}px`;
        canvas.style.top = `${Math.floor((roomHeight - shownHeight) / 2) / ratio}px`;
    }

    // Where the person has asked their system for less motion, the first frame stays still until they ask
    // for the show (a click, a key, the button).
    let still = matchMedia('(prefers-reduced-motion: reduce)').matches;
    let wake = () => {};

    function play(show) {
        const tickMs = parameter('tick-ms', 0, 0xFFFFFFFF);
        const frames = parameter('frames', 1, maxFrames);
        const image = new ImageData(new Uint8ClampedArray(show.memory.buffer, show.framePixels(), show.frameSize()),
            width, height);
        show.startShow(0);
        // The show's clock starts at the first frame's own time: a callback's time is the start of its
        // frame, often a few milliseconds before this script ran, and a time before the start would wrap.
        // Later times never run backwards either.
        let firstTime = null, elapsed = 0;
        // One frame per display refresh: the browser calls back once per refresh it shows the page at, never
        // for a hidden page, and never with a backlog; the time given is performance.now()'s. At most one
        // call is asked for at a time, so a page shown again cannot draw twice per refresh.
        let asked = false;
        const held = () => document.hidden || (frames !== null && page.framesDrawn >= frames) ||
            (still && page.framesDrawn >= 1);
        function ask() {
            if (!asked && !held()) {
                asked = true;
                requestAnimationFrame(frame);
            }
        }
        function frame(now) {
            asked = false;
            if (held())
                return;
            ask();
            const number = ++page.framesDrawn;
            const time = Math.floor(now);
            if (firstTime === null)
                firstTime = time;
            elapsed = Math.max(elapsed, time - firstTime);
            // Milliseconds modulo 2^32 since the show's start, as every host forms them.
            show.drawFrame(tickMs !== null ? Math.imul(number, tickMs) >>> 0 : elapsed >>> 0);
            context.putImageData(image, 0, 0);
        }
        document.addEventListener('visibilitychange', () => {
            (document.hidden ? page.hiddenAt : page.shownAt).push(page.framesDrawn);
            ask();
        });
        wake = () => {
            if (still) {
                still = false;
                say('');
                ask();
            }
        };
        if (still)
            say('Still, as your system asks for less motion: a click or a key plays the show.');
        ask();
        return show;
    }

    // Full screen, unprefixed or as Safari before 16.4 offers it; null where the browser offers none for a
    // page (iPhone Safari).
    const root = document.documentElement;
    const fullscreenElement = () => document.fullscreenElement || document.webkitFullscreenElement || null;
    function requestFullscreen() {
        if (root.requestFullscreen)
            return root.requestFullscreen({navigationUI: 'hide'});
        if (!root.webkitRequestFullscreen)
            return null;
        // The prefixed call returns nothing: its answer is an event, prefixed or (WebKit where it also offers
        // the unprefixed API) not.
        const events = ['webkitfullscreenchange', 'webkitfullscreenerror', 'fullscreenchange', 'fullscreenerror'];
        return new Promise((resolve, reject) => {
            const answered = (event) => {
                events.forEach((name) => document.removeEventListener(name, answered));
                (event.type.endsWith('change') && fullscreenElement() ? resolve : reject)();
            };
            events.forEach((name) => document.addEventListener(name, answered));
            root.webkitRequestFullscreen();
        });
    }
    function exitFullscreen() {
        if (document.exitFullscreen)
            document.exitFullscreen().catch(() => {});
        else if (document.webkitExitFullscreen)
            document.webkitExitFullscreen();
    }

    // The saver: full screen, the display kept on where the browser offers a wake lock, no cursor.
    let wakeLock = null;
    let pointerKnown = false;

    let entering = false;

    function enterSaver() {
        wake();
        if (page.saver || entering)
            return;
        const request = requestFullscreen();
        if (request === null) {
            say('This browser offers no full screen for a page: the show plays on here.');
            return;
        }
        entering = true;
        request.finally(() => {
            entering = false;
        }).then(() => {
            page.saver = true;
            pointerKnown = false;
            root.classList.add('saver');
            say('');
            if (!navigator.wakeLock) { // none in a page served over plain HTTP (other than localhost)
                say('This browser offers no screen wake lock here (it needs HTTPS): the display may turn off.');
                return;
            }
            navigator.wakeLock.request('screen').then((lock) => {
                if (page.saver)
                    wakeLock = lock;
                else
                    lock.release().catch(() => {}); // the saver ended while the lock was asked for
            }, () => say('The screen wake lock was refused: the display may turn off.'));
        }, () => say('Full screen was refused: the show plays on in the page.'));
    }

    // Leaving full screen, whoever ended it (the show's rule, or the browser's Esc).
    function saverEnded() {
        page.saver = false;
        root.classList.remove('saver');
        if (wakeLock !== null)
            wakeLock.release().catch(() => {});
        wakeLock = null;
        place();
    }

    function endSaverIf(ends) {
        if (page.saver && ends) {
            saverEnded();
            exitFullscreen();
        }
    }

    // Keys that ask for nothing on their own: modifiers, and shortcuts made with them (Ctrl+R, Alt+Tab).
    const modifiers = new Set(['Alt', 'AltGraph', 'CapsLock', 'Control', 'Fn', 'Meta', 'NumLock', 'OS', 'ScrollLock',
        'Shift', 'Super', 'Hyper']);
    const isRequest = (event) => !event.ctrlKey && !event.altKey && !event.metaKey && !modifiers.has(event.key) &&
        event.key !== 'Tab';

    function listen(show) {
        const ends = (kind, x, y) => show.endsShow(kind, x | 0, y | 0) !== 0;
        button.addEventListener('click', (event) => {
            event.stopPropagation();
            enterSaver();
        });
        // The press that ends the saver is not also a click that starts it again.
        let pressEnded = false;
        document.addEventListener('click', () => {
            if (!pressEnded)
                enterSaver();
            pressEnded = false;
        });
        document.addEventListener('keydown', (event) => {
            if (event.repeat)
                return;
            if (page.saver)
                endSaverIf(ends(keyPressed));
            else if (isRequest(event) && !(event.target === button && (event.key === 'Enter' || event.key === ' '))) {
                if (event.key === ' ')
                    event.preventDefault(); // no scrolling
                enterSaver(); // Enter and Space on the button are its own click
            }
        });
        document.addEventListener('mousedown', () => {
            pressEnded = page.saver;
            endSaverIf(ends(buttonPressed));
        });
        document.addEventListener('wheel', () => endSaverIf(ends(wheelTurned)), {passive: true});
        document.addEventListener('pointermove', (event) => {
            if (!page.saver)
                return;
            // CSS pixels of the screen, as the Wayland saver measures in logical pixels: the threshold is
            // the same small distance at every device pixel ratio.
            const x = Math.floor(event.screenX), y = Math.floor(event.screenY);
            if (pointerKnown)
                endSaverIf(ends(pointerMoved, x, y));
            else
                show.setPointerOrigin(x, y);
            pointerKnown = true;
        });
        window.addEventListener('blur', () => endSaverIf(ends(activationLost)));
        const fullscreenChanged = () => {
            if (!fullscreenElement() && page.saver)
                saverEnded();
        };
        document.addEventListener('fullscreenchange', fullscreenChanged);
        document.addEventListener('webkitfullscreenchange', fullscreenChanged);
    }

    // The module, fetched once: compiled while it streams where the browser can and the server says it is
    // WebAssembly, else from its bytes. A page opened as a file (a double-click in the unzipped folder) may
    // not fetch; there the module comes in a script, orvelle-module.js, as base64.
    function load() {
        if (location.protocol === 'file:')
            return moduleFromScript().then((bytes) => WebAssembly.instantiate(bytes, {}));
        return fetch('orvelle.wasm').then((response) => {
            if (!response.ok)
                throw new Error(`orvelle.wasm: HTTP ${response.status} ${response.statusText}`.trim());
            if (typeof WebAssembly.instantiateStreaming !== 'function' ||
                !/^application\/wasm\b/.test(response.headers.get('Content-Type') || ''))
                return response.arrayBuffer().then((bytes) => WebAssembly.instantiate(bytes, {}));
            return WebAssembly.instantiateStreaming(response, {});
        });
    }

    function moduleFromScript() {
        return new Promise((resolve, reject) => {
            const script = document.createElement('script');
            script.src = 'orvelle-module.js';
            script.onload = () => resolve(Uint8Array.from(atob(window.orvelleModule), (c) => c.charCodeAt(0)));
            script.onerror = () => reject(new Error('orvelle-module.js is missing: serve the page\'s folder ' +
                '(for example python3 -m http.server in it) and open it at http://localhost:8000/'));
            document.head.appendChild(script);
        });
    }

    function failed(error) {
        page.failed = String(error);
        button.textContent = 'Not loaded';
        const why = `The show could not be loaded: ${error.message || error}`;
        say(why);
        button.addEventListener('click', () => say(why));
    }

    window.addEventListener('resize', place);
    // A window moved to a screen of another pixel ratio need not be resized: the ratio is watched too.
    const watchRatio = () => matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
        .addEventListener('change', () => {
            place();
            watchRatio();
        }, {once: true});
    watchRatio();
    place();
    if (typeof WebAssembly !== 'object') {
        failed(new Error('this browser runs no WebAssembly, which the show needs.'));
        return;
    }
    load().then(({instance}) => {
        instance.exports.__wasm_call_ctors();
        say('A click or a key plays Orvelle full screen, as a screen saver.');
        listen(play(instance.exports));
    }, failed);
})();
