// The page that plays Tarnwell Poker: it lays out the game's drawer in the browser's
// IndexedDB from the files shipped beside this page, starts the game as Workbench would
// start it from its icon, runs the programs the game starts beside it, and says when the
// game has ended.
'use strict';
const DRAWER = '/Poker';
const SHIPPED = ['poker.info', 'poker.guide', 'gfx/defaultcards.lbm'];
const ENV = {WB_SYS: '/SYS'};
const programs = document.getElementById('programs');
const statusLine = document.getElementById('status');
const boxes = [];
const scripts = {};

// Each program's part of the page: side by side while their screens fit the page's width
// at their smallest, else each the whole width, one below the other.
function area(box) {
  const width = window.innerWidth, height = window.innerHeight - document.getElementById('bar').offsetHeight;
  if (document.fullscreenElement === box) return {width: window.innerWidth, height: window.innerHeight};
  const needed = boxes.reduce((sum, b) => sum + b.firstChild.width, 0);
  return {width: needed <= width ? Math.floor(width / boxes.length) : width, height};
}

function relayout() {
  for (const box of boxes) if (box.module && box.module.relayout) box.module.relayout();
}

function load(url) {
  return scripts[url] || (scripts[url] = new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = url;
    script.onload = resolve;
    script.onerror = () => reject(new Error('cannot load ' + url));
    document.head.appendChild(script);
  }));
}

// Start a program in a box of its own; resolves once it runs, with the promise of its exit status.
async function run(url, factory, host, args) {
  await load(url);
  const box = document.createElement('div'), canvas = document.createElement('canvas');
  box.className = 'program';
  box.appendChild(canvas);
  let ended;
  const end = new Promise(resolve => { ended = resolve; });
  const finish = status => {
    if (!box.parentNode) return;
    box.remove();
    boxes.splice(boxes.indexOf(box), 1);
    relayout();
    ended(status);
  };
  const module = {canvas, box, host, arguments: args, area: () => area(box), startProgram,
                  onExit: finish, onAbort: what => finish('stopped (' + what + ')'),
                  onTitle: title => { if (boxes[0] === box) document.title = title; }};
  box.module = module;
  programs.appendChild(box);
  boxes.push(box);
  relayout();
  try {
    await window[factory](module);
  } catch (error) {
    finish('stopped (' + error + ')');
  }
  return {end};
}

// What the game's Execute asks for: a program of SYS: beside the game (the files it names
// come with it), or -1 when there is no such program here.
async function startProgram(request) {
  const path = /^\/SYS\/([A-Za-z0-9/]+)$/.exec(request.path);
  if (!path) return -1;
  try {
    const {end} = await run('SYS/' + path[1] + '.js', 'create' + path[1].split('/').pop(),
                            {env: ENV, files: request.files, cwd: request.cwd}, request.args);
    return request.wait ? end : 0;
  } catch (error) {
    return -1;
  }
}

async function startGame() {
  statusLine.textContent = 'Tarnwell Poker is starting…';
  // A file that cannot be fetched now is kept from the last visit, if there was one.
  const shipped = {};
  const fetched = Promise.all(SHIPPED.map(async name => {
    try {
      const response = await fetch(name);
      if (response.ok) shipped[name] = new Uint8Array(await response.arrayBuffer());
    } catch (error) {}
  })).then(() => shipped);
  let status;
  try {
    const env = Object.assign({WB_STARTUP_DRAWER: DRAWER, WB_STARTUP_NAME: 'poker'}, ENV);
    const drawer = {path: DRAWER, shipped: fetched, keep: ['poker.info'], folders: ['save']};
    const {end} = await run('poker.js', 'createPoker', {env, drawer}, []);
    statusLine.textContent = 'Tarnwell Poker';
    status = await end;
  } catch (error) {
    status = 'stopped (' + error.message + ')';
  }
  const said = typeof status === 'number' ? 'ended with exit status ' + status : status;
  statusLine.textContent = 'Tarnwell Poker ' + said + '.';
  const again = document.createElement('button');
  again.textContent = 'Start again';
  again.onclick = () => startGame();
  statusLine.appendChild(again);
  again.focus();
}

startGame();
