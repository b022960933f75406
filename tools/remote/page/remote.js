// SPDX-License-Identifier: GPL-3.0-or-later
"use strict";

// The page of velmo-remote: lamps from the push channel, commands through the API.
const LINE_COUNT = 8;
const TOKEN_KEY = "velmo-remote-token";
const token = takeToken();
const lamps = [];
const switches = [];  // [line - 1] = {on: button, off: button}
let socket = null;
let retryDelay = 500;

// The token comes once in the address (#token=...), is kept for this tab only
// and leaves the address bar at once.
function takeToken() {
  const match = /(?:^#|&)token=([0-9a-fA-F]+)/.exec(location.hash);
  if (match) {
    sessionStorage.setItem(TOKEN_KEY, match[1]);
    history.replaceState(null, "", location.pathname + location.search);
  }
  return sessionStorage.getItem(TOKEN_KEY) || "";
}

function element(tag, attributes, text) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  if (text !== undefined) made.textContent = text;
  return made;
}

function build() {
  const lampRow = document.getElementById("lamps");
  const switchGrid = document.getElementById("switches");
  for (let line = 1; line <= LINE_COUNT; line++) {
    const lamp = element("div", {class: "lamp", role: "listitem", "data-line": line, "data-on": "0"});
    lamp.append(element("span", {"aria-hidden": "true"}, String(line)));
    lamps.push(lamp);
    lampRow.append(lamp);

    const group = element("div", {class: "switch", role: "group", "aria-label": "Line " + line});
    // data-line and data-on belong to the lamps alone.
    const on = element("button", {type: "button", lang: "nb", "data-switch": line, "data-to": "on"});
    const off = element("button", {type: "button", lang: "nb", "data-switch": line, "data-to": "off"});
    on.addEventListener("click", () => command("PUT", "/api/v1/lines/" + line, {on: true}));
    off.addEventListener("click", () => command("PUT", "/api/v1/lines/" + line, {on: false}));
    group.append(on, off);
    switches.push({on, off});
    switchGrid.append(group);
  }
  // Pattern buttons, the user's own among them, come and go: one listener
  // serves them all.
  document.getElementById("chaser").addEventListener("click", (event) => {
    const button = event.target.closest("[data-pattern]");
    if (button) command("POST", "/api/v1/chaser", {pattern: Number(button.dataset.pattern)});
  });
  // The slider is the speed's base-2 logarithm, so 0.25 to 4 spread evenly.
  const speed = document.getElementById("speed");
  speed.addEventListener("input", () => showSpeed(2 ** Number(speed.value)));
  speed.addEventListener("change", () => command("POST", "/api/v1/chaser", {speed: 2 ** Number(speed.value)}));
  document.getElementById("tap").addEventListener("click", () => command("POST", "/api/v1/chaser", {tap: true}));
}

function showSpeed(speed) {
  document.getElementById("speed-value").value = speed.toFixed(2) + "×";
}

// The buttons of the user's own patterns (numbers from 4), made anew when
// the chaser's list changes.
let ownPatternsShown = "";
function renderOwnPatterns(patterns) {
  const own = (patterns || []).filter((pattern) => pattern.number > 3);
  const key = JSON.stringify(own);
  if (key === ownPatternsShown) return;
  ownPatternsShown = key;
  const group = document.getElementById("own-patterns");
  group.replaceChildren(...own.map((pattern) =>
    element("button", {type: "button", "data-pattern": pattern.number, "aria-pressed": "false"}, pattern.name)));
  group.hidden = own.length === 0;
}

function headers(json) {
  const fields = json ? {"Content-Type": "application/json"} : {};
  if (token) fields.Authorization = "Bearer " + token;
  return fields;
}

function showProblem(text) {
  const problem = document.getElementById("problem");
  problem.textContent = text;
  problem.hidden = !text;
}

async function command(method, path, body) {
  try {
    const reply = await fetch(path, {method, headers: headers(true), body: JSON.stringify(body)});
    if (reply.ok) return showProblem("");
    const answer = await reply.json().catch(() => ({}));
    showProblem(answer.error || "The remote answered " + reply.status);
  } catch (error) {
    showProblem("The remote cannot be reached.");
  }
}

function render(state) {
  lamps.forEach((lamp, index) => {
    const on = (state.register >> index) & 1;
    lamp.dataset.on = String(on);
    lamp.setAttribute("aria-label", "Line " + (index + 1) + ": " + (on ? "on" : "off"));
  });
  document.getElementById("register").value = String(state.register);

  const chaser = state.running.chaser;
  document.getElementById("chaser-why").textContent = chaser ? "" : "(not running)";
  renderOwnPatterns(state.patterns);
  const speed = document.getElementById("speed");
  if (document.activeElement !== speed) {
    speed.value = String(Math.log2(state.speed || 1));
    showSpeed(state.speed || 1);
  }
  speed.disabled = !chaser;
  document.getElementById("tap").disabled = !chaser;
  for (const button of document.querySelectorAll("[data-pattern]")) {
    button.disabled = !chaser;
    if (button.dataset.pattern !== "0")
      button.setAttribute("aria-pressed", String(chaser && Number(button.dataset.pattern) === state.pattern));
  }

  const panel = state.running.switchpanel;
  document.getElementById("panel-why").textContent = panel ? "" : "(not running)";
  switches.forEach(({on, off}, index) => {
    const shownOn = ((state.lines >> index) & 1) === 1;
    on.textContent = state.captions[2 * index];
    off.textContent = state.captions[2 * index + 1];
    on.setAttribute("aria-label", state.captions[2 * index] || "Line " + (index + 1) + " on");
    off.setAttribute("aria-label", state.captions[2 * index + 1] || "Line " + (index + 1) + " off");
    on.disabled = !panel || shownOn;
    off.disabled = !panel || !shownOn;
  });
}

function setConnection(text) {
  document.getElementById("connection").textContent = text;
}

// Follows the state on the push channel, connecting again when it drops. A
// browser does not say why a WebSocket was refused, so a plain request asks
// first.
async function follow() {
  try {
    const reply = await fetch("/api/v1/state", {headers: headers(false)});
    if (reply.status === 401 || reply.status === 429) {
      const answer = await reply.json().catch(() => ({}));
      setConnection("Not allowed");
      showProblem(answer.error || "The remote refused this page: it needs the remote's token.");
      return;
    }
    render(await reply.json());
  } catch (error) {
    return retry();
  }
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  socket = new WebSocket(scheme + location.host + "/api/v1/events" +
                         (token ? "?token=" + encodeURIComponent(token) : ""));
  socket.onopen = () => {
    retryDelay = 500;
    setConnection("Live");
  };
  socket.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.error) showProblem(message.error);
    else render(message);
  };
  socket.onclose = retry;
}

function retry() {
  setConnection("Connecting again…");
  setTimeout(follow, retryDelay);
  retryDelay = Math.min(retryDelay * 2, 5000);
}

build();
follow();
