// Orvelle's web page: loads the show (orvelle.wasm), draws one frame per display refresh on the canvas,
// 1:1 in device pixels and centred, and plays full screen as a screen saver on a click or a key, ended as
// every host ends its show. ?tick-ms=N&frames=K fixes the clock, as the render tool's options do: frame i
// at i*N ms, the picture held at frame K; window.orvelle then also lists every frame's digest.
'use strict';

(() => {
    const width = 640;
    const height = 480;
    const maxFrames = 10000000; // as the render tool's --frames
    // ShowEventKind's numbers, as the show's module takes them.
    const keyPressed = 0, buttonPressed = 1, wheelTurned = 2, pointerMoved = 3, activationLost = 4;

    const canvas = document.getElementById('show');
    const note = document.getElementById('note');
    const context = canvas.getContext('2d', {alpha: false});
    const page = {framesDrawn: 0, digests: [], hiddenAt: [], shownAt: [], saver: false, failed: null};
    window.orvelle = page;

    function say(text) {
        note.textContent = text;
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
    // shows it whole, scaled down to fit.
    function place() {
        const ratio = window.devicePixelRatio || 1;
        const deviceWidth = Math.round(window.innerWidth * ratio);
        const deviceHeight = Math.round(window.innerHeight * ratio);
        const scale = Math.min(1, deviceWidth / width, deviceHeight / height);
        const shownWidth = Math.floor(width * scale), shownHeight = Math.floor(height * scale);
        canvas.style.width = `${shownWidth / ratio}px`;
        canvas.style.height = `${shownHeight / ratio}px`;
        canvas.style.left = `${Math.floor((deviceWidth - shownWidth) / 2) / ratio}px`;
        canvas.style.top = `${Math.floor((deviceHeight - shownHeight) / 2) / ratio}px`;
    }

    // The CRC-32 of bytes, as the render tool's --digest; for the canvas's own pixels, read back.
    const crcTable = Array.from({length: 256}, (_, n) => {
        for (let k = 0; k < 8; ++k)
            n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
        return n >>> 0;
    });
    page.canvasDigest = () => {
        const bytes = context.getImageData(0, 0, width, height).data;
        let crc = 0xFFFFFFFF;
        for (let i = 0; i < bytes.length; ++i)
            crc = crcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >>> 8);
        return (crc ^ 0xFFFFFFFF) >>> 0;
    };

    function play(show) {
        const tickMs = parameter('tick-ms', 0, 0xFFFFFFFF);
        const frames = parameter('frames', 1, maxFrames);
        const image = new ImageData(new Uint8ClampedArray(show.memory.buffer, show.framePixels(), show.frameSize()),
            width, height);
        show.startShow(Math.floor(performance.now()) >>> 0);
        // One frame per display refresh: the browser calls back once per refresh it shows the page at, never
        // for a hidden page, and never with a backlog; the time given is performance.now()'s. At most one
        // call is asked for at a time, so a page shown again cannot draw twice per refresh.
        let asked = false;
        const held = () => document.hidden || (frames !== null && page.framesDrawn >= frames);
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
            // Milliseconds modulo 2^32 since the show's start tick, as every host forms them.
            show.drawFrame(tickMs !== null ? Math.imul(number, tickMs) >>> 0
                : (Math.floor(now) - show.startTick()) >>> 0);
            context.putImageData(image, 0, 0);
            if (tickMs !== null)
                page.digests.push(show.frameDigest() >>> 0);
        }
        document.addEventListener('visibilitychange', () => {
            (document.hidden ? page.hiddenAt : page.shownAt).push(page.framesDrawn);
            ask();
        });
        ask();
        return show;
    }

    // The saver: full screen, the display kept on where the browser offers a wake lock, no cursor.
    let wakeLock = null;
    let pointerKnown = false;

    let entering = false;

    function enterSaver() {
        if (page.saver || entering)
            return;
        if (!document.documentElement.requestFullscreen) {
            say('This browser offers no full screen: the show plays on in the page.');
            return;
        }
        entering = true;
        document.documentElement.requestFullscreen({navigationUI: 'hide'}).finally(() => {
            entering = false;
        }).then(() => {
            page.saver = true;
            pointerKnown = false;
            document.documentElement.classList.add('saver');
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
        document.documentElement.classList.remove('saver');
        if (wakeLock !== null)
            wakeLock.release().catch(() => {});
        wakeLock = null;
    }

    function endSaverIf(ends) {
        if (page.saver && ends) {
            saverEnded();
            document.exitFullscreen().catch(() => {});
        }
    }

    function listen(show) {
        const ends = (kind, x, y) => show.endsShow(kind, x | 0, y | 0) !== 0;
        document.getElementById('saver').addEventListener('click', (event) => {
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
            else if (event.key !== 'Tab' && event.key !== 'Enter' && event.key !== ' ')
                enterSaver(); // Tab, Enter and Space work the button
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
        document.addEventListener('fullscreenchange', () => {
            if (!document.fullscreenElement && page.saver)
                saverEnded();
        });
        window.addEventListener('resize', place);
        // A window moved to a screen of another pixel ratio need not be resized: the ratio is watched too.
        const watchRatio = () => matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
            .addEventListener('change', () => {
                place();
                watchRatio();
            }, {once: true});
        watchRatio();
    }

    place();
    if (typeof WebAssembly !== 'object') {
        say('This browser runs no WebAssembly, which the show needs.');
        return;
    }
    WebAssembly.instantiateStreaming(fetch('orvelle.wasm'), {})
        .catch(() => fetch('orvelle.wasm').then((response) => response.arrayBuffer())
            .then((bytes) => WebAssembly.instantiate(bytes, {})))
        .then(({instance}) => {
            instance.exports.__wasm_call_ctors();
            listen(play(instance.exports));
        }, (error) => {
            page.failed = String(error);
            say(`The show could not be loaded: ${error}`);
        });
})();
