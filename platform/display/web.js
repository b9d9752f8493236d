// The page's side of the web display (web.cpp): this program's canvas, its input queued
// from the canvas's events, and the program's wait for input, which input ends.
mergeInto(LibraryManager.library, {
  $WebDisplay: {
    canvas: null, context: null, image: null, queue: [], wake: null,
    // Kinds and modifier bits as web.cpp reads them.
    MOVE: 1, DOWN: 2, UP: 3, KEY: 4, RAWKEY: 5, RESIZE: 6,
    push: function(input) {
      var q = WebDisplay.queue, last = q[q.length - 1];
      // A burst of moves or resizes needs only its latest.
      if (last && last[0] === input[0] && (input[0] === WebDisplay.MOVE || input[0] === WebDisplay.RESIZE)) q.pop();
      q.push(input);
      var wake = WebDisplay.wake;
      WebDisplay.wake = null;
      // The program runs on from here; its end (exit) is handled as any callback's.
      if (wake) callUserCallback(wake);
    },
    modifiers: function(e) { return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0); },
    pointer: function(kind, e) {
      var r = WebDisplay.canvas.getBoundingClientRect();
      var button = e.button === 0 ? 1 : e.button === 2 ? 3 : 0;
      if (kind !== WebDisplay.MOVE && button === 0) return;
      WebDisplay.push([kind, Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top), button, 0,
                       WebDisplay.modifiers(e)]);
    },
    named: {Enter: 13, Tab: 9, Backspace: 8, Delete: 127, Escape: 27},
    cursor: {ArrowUp: 0x4C, ArrowDown: 0x4D, ArrowRight: 0x4E, ArrowLeft: 0x4F},
    key: function(e) {
      var D = WebDisplay, mods = D.modifiers(e);
      // AltGr types characters on many layouts; only a plain Alt is the command key.
      var command = e.altKey && !(e.getModifierState && e.getModifierState('AltGraph'));
      if (e.key === 'F11' || (command && e.key === 'Enter')) {
        e.preventDefault();
        if (!e.repeat) D.fullScreen();
        return;
      }
      var code = 0, kind = D.KEY;
      if (e.key in D.named) code = D.named[e.key];
      else if (e.key in D.cursor) { code = D.cursor[e.key]; kind = D.RAWKEY; }
      else if (command) {
        // The key itself, whatever Alt makes of it on this layout.
        var m = /^(Key([A-Z])|Digit([0-9]))$/.exec(e.code);
        code = m ? (m[2] || m[3]).toLowerCase().charCodeAt(0) : (e.code === 'Slash' && e.shiftKey) || e.key === '?' ? 63 : 0;
      } else if (!e.ctrlKey && !e.metaKey && e.key.length === 1) {
        var c = e.key.charCodeAt(0);
        if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) code = c;
        mods &= 1;  // typed text carries only Shift
      }
      if (code === 0) return;  // the browser's own keys stay the browser's
      e.preventDefault();
      D.push([kind, 0, 0, 0, code, mods]);
    },
    fullScreen: function() {
      var box = Module['box'] || WebDisplay.canvas.parentElement;
      if (document.fullscreenElement) document.exitFullscreen();
      else if (box.requestFullscreen) box.requestFullscreen().catch(function() {});
    },
  },

  web_open__deps: ['$WebDisplay', '$callUserCallback'],
  web_open: function(width, height) {
    var D = WebDisplay, canvas = Module['canvas'];
    if (!canvas || !canvas.getContext) return 0;
    D.canvas = canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.tabIndex = 0;
    canvas.style.imageRendering = 'pixelated';
    D.context = canvas.getContext('2d', {alpha: false});
    D.image = D.context.createImageData(width, height);
    canvas.addEventListener('pointerdown', function(e) {
      canvas.focus();
      canvas.setPointerCapture(e.pointerId);
      e.preventDefault();
      D.pointer(D.DOWN, e);
    });
    canvas.addEventListener('pointermove', function(e) { D.pointer(D.MOVE, e); });
    canvas.addEventListener('pointerup', function(e) { D.pointer(D.UP, e); });
    canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    canvas.addEventListener('keydown', D.key);
    var resize = function() { D.push([D.RESIZE, 0, 0, 0, 0, 0]); };
    window.addEventListener('resize', resize);
    document.addEventListener('fullscreenchange', resize);
    Module['relayout'] = resize;
    canvas.focus();
    return 1;
  },

  web_show__deps: ['$WebDisplay'],
  web_show: function(rgba, width, height) {
    var D = WebDisplay;
    D.image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    D.context.putImageData(D.image, 0, 0);
  },

  web_area: function(width, height) {
    var area = Module['area'] ? Module['area']() : {width: window.innerWidth, height: window.innerHeight};
    HEAP32[width >> 2] = area.width;
    HEAP32[height >> 2] = area.height;
  },

  web_scale__deps: ['$WebDisplay'],
  web_scale: function(scale) {
    var c = WebDisplay.canvas;
    c.style.width = c.width * scale + 'px';
    c.style.height = c.height * scale + 'px';
  },

  web_title: function(title) {
    if (Module['onTitle']) Module['onTitle'](UTF8ToString(title));
  },

  web_wait__deps: ['$WebDisplay'],
  web_wait: function(input) {
    return Asyncify.handleSleep(function(wakeUp) {
      var D = WebDisplay;
      var deliver = function() {
        var e = D.queue.shift();
        for (var i = 0; i < 6; ++i) HEAP32[(input >> 2) + i] = e[i];
        wakeUp();
      };
      if (D.queue.length) deliver();
      else D.wake = deliver;
    });
  },
});
