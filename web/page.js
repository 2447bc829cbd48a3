// The page's script: it loads the show's files and its WebAssembly program (sovane05.js), shows
// a still with one play control, and plays the show full screen in step with its music. The
// clock is the music's own position, so the pictures keep with the sound when the browser
// stalls a frame. What each frame shows is decided by the show's code in the program; this
// script only loads files, runs the clock and calls in.
//
// The address may name a moment: index.html#t=41.5 opens the show paused there.
// window.sovane05Page tells automation where the page stands: its state ("loading", "failed",
// "paused", "playing"), the show time last drawn, the last one drawn while playing, and the
// message shown, if any.
'use strict';

(function () {
  const page = { state: 'loading', moment: 0, played: 0, message: '' };
  window.sovane05Page = page;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('show');
  const loading = document.getElementById('loading');
  const progress = document.getElementById('progress');
  const filled = document.getElementById('filled');
  const playButton = document.getElementById('play');
  const message = document.getElementById('message');
  const reports = document.getElementById('reports');

  const kProgram = 'sovane05.js';
  const kFileList = 'show-files.json';
  const kParallelFetches = 6;

  let show = null;       // the WebAssembly program, once loaded
  let music = null;      // the audio element playing the show's music
  let stillMoment = 0;   // the moment the still shows and playing starts from
  const reported = [];   // what the show printed while it was built
  let building = false;

  function say(text) {
    page.message = text;
    message.hidden = false;
    message.textContent = text;
    console.error('sovane05: ' + text);
  }

  function fail(text) {
    page.state = 'failed';
    loading.hidden = true;
    playButton.hidden = true;
    stage.classList.remove('playing');
    say(text);
  }

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1);
  }

  // The moment named by the address, "#t=41.5"; 0 when it names none.
  function momentInAddress() {
    const found = /^#t=(\d+(?:\.\d*)?|\.\d+)$/.exec(location.hash);
    if (location.hash !== '' && !found)
      console.warn('sovane05: the address ends in "' + location.hash + '"; a moment is written #t=41.5');
    return found ? Number(found[1]) : 0;
  }

  function loadProgram() {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = kProgram;
      script.onload = resolve;
      script.onerror = () => reject(new Error(kProgram + ': could not be loaded'));
      document.head.appendChild(script);
    });
  }

  async function fetchBytes(path) {
    let response;
    try {
      // Each part of the path escaped on its own: a name may hold '#', '?' or '%'.
      response = await fetch(path.split('/').map(encodeURIComponent).join('/'));
    } catch (error) {
      throw new Error(path + ': could not be loaded (' + error.message + ')');
    }
    if (response.status === 404)
      throw new Error(path + ': could not be loaded (404 Not Found): the site is missing it; ' +
                      'write the site again with sovane05-web');
    if (!response.ok)
      throw new Error(path + ': could not be loaded (' + response.status + ' ' + response.statusText + ')');
    return new Uint8Array(await response.arrayBuffer());
  }

  // Fetches every file of the list, a few at a time, handing each to `take` as it comes and
  // keeping the progress line up to date.
  async function fetchFiles(files, take) {
    const total = files.reduce((sum, file) => sum + file.bytes, 0);
    let count = 0;
    let bytes = 0;
    let next = 0;
    const say = () => {
      progress.textContent = 'Loading the show: ' + count + ' of ' + files.length + ' files, ' +
        megabytes(bytes) + ' of ' + megabytes(total) + ' MB';
      filled.style.width = (total > 0 ? 100 * bytes / total : 100) + '%';
    };
    say();
    async function worker() {
      while (next < files.length) {
        const file = files[next++];
        take(file.path, await fetchBytes(file.path));
        count += 1;
        bytes += file.bytes;
        say();
      }
    }
    const workers = [];
    for (let i = 0; i < kParallelFetches; ++i)
      workers.push(worker());
    await Promise.all(workers);
  }

  function putInFileSystem(path, bytes) {
    const folder = path.substring(0, path.lastIndexOf('/'));
    if (folder !== '')
      show.FS.mkdirTree(folder);
    show.FS.writeFile(path, bytes);
  }

  function drawingBufferSize() {
    const scale = window.devicePixelRatio || 1;
    return [Math.max(1, Math.round(canvas.clientWidth * scale)), Math.max(1, Math.round(canvas.clientHeight * scale))];
  }

  function fitCanvas() {
    const [width, height] = drawingBufferSize();
    if (canvas.width === width && canvas.height === height)
      return false;
    canvas.width = width;
    canvas.height = height;
    return true;
  }

  function drawStill() {
    show._sovane05DrawStill(stillMoment);
    page.moment = stillMoment;
  }

  function showReports() {
    if (reported.length === 0)
      return;
    reports.querySelector('pre').textContent = reported.join('\n');
    reports.hidden = false;
  }

  function waitForMusic(url) {
    return new Promise((resolve, reject) => {
      const audio = new Audio();
      audio.preload = 'auto';
      audio.addEventListener('loadedmetadata', () => resolve(audio), { once: true });
      audio.addEventListener('error', () => reject(new Error('the browser cannot play the music')), { once: true });
      audio.src = url;
    });
  }

  function pause() {
    page.state = 'paused';
    stage.classList.remove('playing');
    playButton.hidden = false;
    playButton.focus();
  }

  // Plays counted, and the one that entered the full screen shown.
  let plays = 0;
  let fullScreenPlay = 0;

  // Escape, a full screen left, or the end of the music: the play control comes back. After the
  // end the show is wound back to its first frame.
  function stop(atEnd) {
    if (page.state !== 'playing')
      return;
    music.pause();
    stillMoment = atEnd ? 0 : music.currentTime;
    if (atEnd)
      music.currentTime = 0;
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    drawStill();
    pause();
  }

  function frame() {
    if (page.state !== 'playing')
      return;
    if (fitCanvas())
      show._sovane05Resize(canvas.width, canvas.height);
    const time = music.currentTime;
    show._sovane05Draw(time);
    page.moment = time;
    page.played = time;
    requestAnimationFrame(frame);
  }

  function play() {
    if (page.state !== 'paused')
      return;
    plays += 1;
    page.state = 'playing';
    page.message = '';
    message.hidden = true;
    stage.classList.add('playing');
    playButton.hidden = true;
    // Both asked for within the click, which is what lets a page go full screen and make sound.
    if (stage.requestFullscreen)
      stage.requestFullscreen().catch(() => {});
    music.currentTime = stillMoment;
    // Refused, the control stays, for another try once the browser allows sound. A stop before
    // the music started also ends the wait for it, and is no refusal.
    music.play().then(() => requestAnimationFrame(frame), (error) => {
      if (page.state !== 'playing')
        return;
      if (document.fullscreenElement)
        document.exitFullscreen().catch(() => {});
      pause();
      say('The browser did not let the music play: ' + error.message);
    });
  }

  function jumpToAddress() {
    if (page.state === 'playing')
      stop(false);
    if (page.state !== 'paused')
      return;
    stillMoment = Math.min(momentInAddress(), music.duration || 0);
    drawStill();
  }

  async function start() {
    if (location.protocol === 'file:') {
      fail('This page reads the show\'s files from a web server: a browser does not let a page opened ' +
           'as a file read the files beside it. Serve this folder with any static web server (for example ' +
           '"python3 -m http.server" run in it) and open the address it gives.');
      return;
    }
    if (typeof WebGL2RenderingContext === 'undefined' || typeof WebAssembly !== 'object') {
      fail('This browser has no WebGL 2 or no WebAssembly, which the show needs to draw. ' +
           'A recent Firefox, Chrome, Edge or Safari has both.');
      return;
    }
    progress.textContent = 'Loading the show\'s program…';
    await loadProgram();
    show = await createSovane05({
      // The show's own reports, as it prints them, are kept for the page while it is built.
      print: (text) => { if (building) reported.push(text); console.log(text); },
      printErr: (text) => { if (building) reported.push(text); console.warn(text); },
    });
    fitCanvas();
    if (show._sovane05OpenContext() !== 0) {
      fail('This browser gave the page no WebGL 2 context, which the show needs to draw. ' +
           'It may be switched off, or the graphics driver blocked; chrome://gpu or about:support tells.');
      return;
    }
    const list = JSON.parse(new TextDecoder().decode(await fetchBytes(kFileList)));
    let musicBytes = null;
    await fetchFiles(list.files, (path, bytes) => {
      if (path === list.music)
        musicBytes = bytes;
      else
        putInFileSystem(path, bytes);
    });
    if (musicBytes === null)
      throw new Error(list.music + ': not among the show\'s files');
    progress.textContent = 'Building the show…';
    // Let the line show before the build holds the page.
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    building = true;
    const built = show._sovane05Build(canvas.width, canvas.height) === 0;
    building = false;
    if (!built) {
      showReports();
      fail(show.UTF8ToString(show._sovane05Failure()));
      return;
    }
    showReports();
    try {
      music = await waitForMusic(URL.createObjectURL(new Blob([musicBytes], { type: 'audio/mpeg' })));
    } catch (error) {
      throw new Error(list.music + ': ' + error.message);
    }
    music.addEventListener('ended', () => stop(true));
    loading.hidden = true;
    stillMoment = Math.min(momentInAddress(), music.duration);
    drawStill();
    pause();
  }

  playButton.addEventListener('click', play);
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape')
      stop(false);
  });
  // Leaving full screen stops only the play that entered it: a play started while the full
  // screen of the one before was still being left goes on when that exit completes.
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement)
      fullScreenPlay = plays;
    else if (fullScreenPlay === plays)
      stop(false);
  });
  window.addEventListener('hashchange', () => {
    if (music)
      jumpToAddress();
  });
  window.addEventListener('resize', () => {
    if (show && page.state === 'paused' && fitCanvas()) {
      show._sovane05Resize(canvas.width, canvas.height);
      drawStill();
    }
  });

  start().catch((error) => fail(error.message));
})();
