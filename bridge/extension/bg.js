// Brindlex Bridge: keeps a native-messaging port open to brindlex-bridge, which serves
// Brindlex's conversation transport for this browser, and answers its commands. The
// same file runs as Chromium's service worker and as Firefox's background script.
"use strict";

const HOST = "org.brindlex.bridge";
const FIRST_RETRY_MS = 1000;
const LAST_RETRY_MS = 60000;
// Right after a tab is opened it is still loading, without its address or title; a
// capture waits this long for it before answering with what the tab has.
const LOADING_WAIT_MS = 2500;

let port = null;
let retryMs = FIRST_RETRY_MS;
let retryTimer = null;

function connect() {
  if (port !== null) {
    return;
  }
  if (retryTimer !== null) {
    clearTimeout(retryTimer);
    retryTimer = null;
  }
  let opened;
  try {
    opened = chrome.runtime.connectNative(HOST);
  } catch (error) {
    console.warn("Brindlex Bridge: cannot start " + HOST + ":", error);
    scheduleRetry();
    return;
  }
  port = opened;
  opened.onMessage.addListener((message) => onMessage(opened, message));
  opened.onDisconnect.addListener(() => {
    // Reading lastError marks it as seen; the host is missing, refused or has ended.
    const error = chrome.runtime.lastError || opened.error;
    if (error) {
      console.info("Brindlex Bridge: host disconnected:", error.message || error);
    }
    if (port === opened) {
      port = null;
    }
    scheduleRetry();
  });
}

// Tries again later, waiting longer each time until a host greets us.
function scheduleRetry() {
  if (retryTimer !== null) {
    return;
  }
  retryTimer = setTimeout(() => {
    retryTimer = null;
    connect();
  }, retryMs);
  retryMs = Math.min(retryMs * 2, LAST_RETRY_MS);
}

// Browser events wake a stopped background page: reconnect then, unless a retry waits.
function ensureConnected() {
  if (port === null && retryTimer === null) {
    connect();
  }
}

async function onMessage(from, message) {
  if (message === null || typeof message !== "object") {
    return;
  }
  if (message.kind === "hello") {
    retryMs = FIRST_RETRY_MS;
    return;
  }
  if (message.kind === "error") {
    console.warn("Brindlex Bridge: the host could not take a message:", message.error);
    return;
  }
  let reply;
  try {
    reply = Object.assign({ kind: "reply", id: message.id, ok: true }, await run(message));
  } catch (error) {
    reply = { kind: "reply", id: message.id, ok: false, error: String((error && error.message) || error) };
  }
  try {
    from.postMessage(reply);
  } catch (error) {
    // The host has gone; its successor asks again.
  }
}

function run(message) {
  switch (message.kind) {
    case "activeTab":
      return activeTab();
    case "openUrl":
      return openUrl(message.url);
    case "focusWindow":
      return focusWindow();
    case "listWindows":
      return listWindows();
  }
  throw new Error("unknown command " + String(message.kind));
}

// The last focused normal window (not a popup or a devtools window), or null.
async function normalWindow() {
  let found = null;
  try {
    found = await chrome.windows.getLastFocused({ windowTypes: ["normal"] });
  } catch (error) {
    found = null;
  }
  if (!found || found.type !== "normal") {
    const all = await chrome.windows.getAll({ windowTypes: ["normal"] });
    found = all.find((candidate) => candidate.focused) || all[0] || null;
  }
  return found;
}

async function requireWindow() {
  const found = await normalWindow();
  if (!found) {
    throw new Error("no browser window is open");
  }
  return found;
}

// Tabs opened for the host, with the address each was opened with. Until such a tab
// has loaded it may show "about:blank" with the address as its title (Firefox), or no
// address at all (Chromium).
const opening = new Map();

function ready(tab) {
  if (tab.status === "loading") {
    return false;
  }
  const wanted = opening.get(tab.id);
  return wanted === undefined || wanted === "about:blank" || (tab.url !== "" && tab.url !== "about:blank");
}

// Resolves with the tab once it is ready, or after LOADING_WAIT_MS with what it has.
function loaded(tab) {
  return new Promise((resolve) => {
    let finished = false;
    let timer = null;
    const finish = (now) => {
      if (finished) {
        return;
      }
      finished = true;
      clearTimeout(timer);
      chrome.tabs.onUpdated.removeListener(listener);
      resolve(now);
    };
    const check = () => {
      chrome.tabs.get(tab.id).then(
        (now) => {
          if (ready(now)) {
            finish(now);
          }
        },
        () => finish(tab)
      );
    };
    const listener = (tabId) => {
      if (tabId === tab.id) {
        check();
      }
    };
    chrome.tabs.onUpdated.addListener(listener);
    timer = setTimeout(() => chrome.tabs.get(tab.id).then(finish, () => finish(tab)), LOADING_WAIT_MS);
    check();  // it may have loaded before the listener was added
  });
}

async function activeTab() {
  const found = await requireWindow();
  let [tab] = await chrome.tabs.query({ active: true, windowId: found.id });
  if (!tab) {
    throw new Error("no tab is active");
  }
  if (!ready(tab)) {
    tab = await loaded(tab);
  }
  if (ready(tab)) {
    opening.delete(tab.id);
  }
  const url = tab.url || tab.pendingUrl || "";
  return { url: url, title: tab.title || url, windowId: found.id };
}

async function openUrl(url) {
  if (typeof url !== "string" || url === "") {
    throw new Error("no URL to open");
  }
  const found = await normalWindow();
  if (!found) {
    const created = await chrome.windows.create({ url: url, focused: true });
    if (created.tabs && created.tabs.length > 0) {
      opening.set(created.tabs[0].id, url);
    }
    return { windowId: created.id };
  }
  const tab = await chrome.tabs.create({ windowId: found.id, url: url, active: true });
  opening.set(tab.id, url);
  await chrome.windows.update(found.id, { focused: true });
  return { windowId: found.id };
}

async function focusWindow() {
  const found = await requireWindow();
  await chrome.windows.update(found.id, { focused: true });
  return { windowId: found.id };
}

async function listWindows() {
  const all = await chrome.windows.getAll({ windowTypes: ["normal"] });
  return { windows: all.map((each) => each.id) };
}

chrome.tabs.onRemoved.addListener((tabId) => opening.delete(tabId));
chrome.runtime.onStartup.addListener(ensureConnected);
chrome.runtime.onInstalled.addListener(ensureConnected);
chrome.tabs.onActivated.addListener(ensureConnected);
chrome.windows.onFocusChanged.addListener(ensureConnected);
connect();
