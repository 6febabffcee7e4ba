// The recordings page: every text from the server is shown through textContent, never parsed
// as markup.
"use strict";

const PageSize = 50;
const state = { csrf: "", folder: "", search: "", sort: "date", order: "desc", offset: 0,
  total: 0, recording: false };

const $ = (id) => document.getElementById(id);

async function api(method, path, body) {
  const options = { method, credentials: "same-origin", headers: {} };
  if (method !== "GET") options.headers["X-CSRF-Token"] = state.csrf;
  if (body !== undefined) {
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body);
  }
  const response = await fetch(path, options);
  let data = {};
  try { data = await response.json(); } catch (e) { data = {}; }
  if (response.status === 401 && path !== "/api/login" && path !== "/api/session") showLogin();
  return { ok: response.ok, status: response.status, data };
}

function el(tag, text, attributes) {
  const node = document.createElement(tag);
  if (text !== undefined) node.textContent = text;
  for (const [k, v] of Object.entries(attributes || {})) node.setAttribute(k, v);
  return node;
}

function clock(seconds) {
  seconds = Math.max(0, Math.floor(seconds || 0));
  const h = Math.floor(seconds / 3600), m = Math.floor(seconds / 60) % 60, s = seconds % 60;
  const mm = h ? String(m).padStart(2, "0") : String(m);
  return (h ? h + ":" : "") + mm + ":" + String(s).padStart(2, "0");
}

function showLogin() {
  $("app").hidden = true;
  $("logout").hidden = true;
  $("login-section").hidden = false;
  $("password").focus();
}

async function showApp(passwordRequired) {
  $("login-section").hidden = true;
  $("app").hidden = false;
  $("logout").hidden = !passwordRequired;
  await Promise.all([loadFolders(), loadList(), loadLog()]);
  listen();
}

async function start() {
  const r = await api("GET", "/api/session");
  if (r.ok) {
    state.csrf = r.data.csrf;
    await showApp(r.data.passwordRequired);
  } else {
    showLogin();
  }
}

$("login-form").addEventListener("submit", async (event) => {
  event.preventDefault();
  $("login-error").textContent = "";
  const r = await api("POST", "/api/login", { password: $("password").value });
  $("password").value = "";
  if (!r.ok) {
    $("login-error").textContent = r.data.error || "The login failed.";
    return;
  }
  state.csrf = r.data.csrf;
  await showApp(true);
});

$("logout").addEventListener("click", async () => {
  await api("POST", "/api/logout");
  state.csrf = "";
  if (window.statusSource) window.statusSource.close();
  showLogin();
});

// The folders as nested lists, so that the tree's levels are the lists' levels.
async function loadFolders() {
  const r = await api("GET", "/api/folders");
  if (!r.ok) return;
  const root = $("folders");
  root.replaceChildren();
  const folders = [{ id: "", name: "All recordings", level: 0 }].concat(r.data);
  const lists = [root];
  let lastItem = null;
  for (const folder of folders) {
    const level = Math.min(folder.level, lists.length);
    if (level === lists.length && lastItem) {
      const sub = el("ul");
      lastItem.append(sub);
      lists.push(sub);
    }
    lists.length = Math.min(lists.length, level + 1);
    const item = el("li");
    const button = el("button", folder.name, { type: "button" });
    button.setAttribute("aria-current", String(folder.id === state.folder));
    button.addEventListener("click", () => {
      state.folder = folder.id;
      state.offset = 0;
      for (const b of root.querySelectorAll("button")) b.setAttribute("aria-current", "false");
      button.setAttribute("aria-current", "true");
      loadList();
    });
    item.append(button);
    lists[lists.length - 1].append(item);
    lastItem = item;
  }
}

// Lists asked for one after another (a folder chosen while a call ends) may be answered out of
// order: only the last one asked for is shown.
let listRequests = 0;

async function loadList() {
  const request = ++listRequests;
  const query = new URLSearchParams({ sort: state.sort, order: state.order,
    offset: String(state.offset), limit: String(PageSize) });
  if (state.folder) query.set("folder", state.folder);
  if (state.search) query.set("q", state.search);
  const r = await api("GET", "/api/recordings?" + query.toString());
  if (request !== listRequests) return;
  if (!r.ok) {
    $("list-message").textContent = r.data.error || "The list could not be read.";
    return;
  }
  // A page left without rows (its last ones deleted) gives way to the last page that has some.
  if (r.data.rows.length === 0 && state.offset > 0 && r.data.total > 0) {
    state.offset = Math.floor((r.data.total - 1) / PageSize) * PageSize;
    return loadList();
  }
  $("list-message").textContent = "";
  state.total = r.data.total;
  const body = $("rows");
  const keep = focusInRows(body);
  body.replaceChildren();
  for (const row of r.data.rows) body.append(rowElement(row));
  if (keep) restoreFocus(body, keep);
  $("count").textContent = state.total === 1 ? "1 recording" : state.total + " recordings";
  const pages = Math.max(1, Math.ceil(state.total / PageSize));
  $("page").textContent = "Page " + (Math.floor(state.offset / PageSize) + 1) + " of " + pages;
  $("previous").disabled = state.offset === 0;
  $("next").disabled = state.offset + PageSize >= state.total;
}

// Where the focus is among the rows' controls, so that the new list can give it back.
function focusInRows(body, focused = document.activeElement) {
  const row = focused && focused.closest ? focused.closest("#rows tr") : null;
  if (!row) return null;
  return { id: row.dataset.id, label: focused.getAttribute("aria-label"),
    index: Array.from(body.rows).indexOf(row),
    control: Array.from(row.querySelectorAll("button, a")).indexOf(focused) };
}

// The same control of the same recording; when that recording has gone, the same control of
// the row now in its place, so that the keyboard does not fall back to the top of the page.
function restoreFocus(body, keep) {
  for (const control of body.querySelectorAll("button, a")) {
    if (control.closest("tr").dataset.id === keep.id && control.getAttribute("aria-label") === keep.label) {
      control.focus();
      return;
    }
  }
  const row = body.rows[Math.min(keep.index, body.rows.length - 1)];
  const controls = row ? row.querySelectorAll("button, a") : [];
  if (controls.length) controls[Math.min(keep.control, controls.length - 1)].focus();
  else $("search").focus();
}

function rowElement(row) {
  const tr = el("tr", undefined, { "data-id": row.id });
  if (row.silent) tr.className = "silent";
  const cells = [["Date", row.date], ["Time", row.time], ["Length", row.duration],
    ["Caller", row.caller || ""], ["Memo", row.memo], ["Ended", row.ended || ""]];
  for (const [label, text] of cells) {
    const td = el("td", text, { "data-label": label });
    if (label === "Memo") td.className = "memo";
    if (label === "Ended" && row.endedText) td.title = row.endedText;
    if (label === "Caller" && row.callerNumber && row.callerNumber !== row.caller) td.title = row.callerNumber;
    tr.append(td);
  }
  const actions = el("td", undefined, { "data-label": "Actions", class: "actions" });
  const name = row.date + " " + row.time;
  const play = el("button", "Play", { type: "button", "aria-label": "Play the recording of " + name });
  play.addEventListener("click", () => playRecording(row, name));
  const download = el("a", "Download", { href: "/api/recordings/" + encodeURIComponent(row.id) + "/original",
    download: "", "aria-label": "Download the recording of " + name });
  const memo = el("button", "Edit memo", { type: "button", "aria-label": "Edit the memo of " + name });
  memo.addEventListener("click", () => editMemo(row, memo));
  const remove = el("button", "Delete", { type: "button", "aria-label": "Delete the recording of " + name });
  remove.addEventListener("click", () => deleteRecording(row, name));
  actions.append(play, download, memo, remove);
  tr.append(actions);
  return tr;
}

function playRecording(row, name) {
  const player = $("player");
  $("playing").textContent = "Playing the recording of " + name;
  player.src = "/api/recordings/" + encodeURIComponent(row.id) + "/audio";
  player.play().catch(() => {});
}

$("player").addEventListener("loadedmetadata", () => {
  const seek = $("seek");
  seek.max = String(Math.floor($("player").duration || 0));
  seek.disabled = false;
});
$("player").addEventListener("timeupdate", () => {
  const t = $("player").currentTime;
  if (document.activeElement !== $("seek")) $("seek").value = String(Math.floor(t));
  $("position").textContent = clock(t);
});
$("seek").addEventListener("input", () => {
  $("player").currentTime = Number($("seek").value);
});

function editMemo(row, opener) {
  const dialog = $("memo-dialog");
  $("memo-text").value = row.memo;
  dialog.returnValue = "";
  // The list may be drawn again while the dialog is open (a call ended): the focus then goes
  // back to the same control of the new list.
  const keep = focusInRows($("rows"), opener);
  dialog.onclose = async () => {
    if (opener.isConnected || !keep) opener.focus();
    else restoreFocus($("rows"), keep);
    if (dialog.returnValue !== "save") return;
    const r = await api("PUT", "/api/recordings/" + encodeURIComponent(row.id) + "/memo",
      { memo: $("memo-text").value });
    $("list-message").textContent = r.ok ? "" : (r.data.error || "The memo could not be saved.");
    await loadList();
  };
  dialog.showModal();
  $("memo-text").focus();
}
$("memo-cancel").addEventListener("click", () => $("memo-dialog").close("cancel"));

async function deleteRecording(row, name) {
  if (!window.confirm("Delete the recording of " + name + "?")) return;
  const r = await api("DELETE", "/api/recordings/" + encodeURIComponent(row.id));
  $("list-message").textContent = r.ok ? "" : (r.data.error || "The recording could not be deleted.");
  await loadList();
}

$("search-form").addEventListener("submit", (event) => {
  event.preventDefault();
  state.search = $("search").value;
  state.offset = 0;
  loadList();
});
$("sort").addEventListener("change", () => {
  [state.sort, state.order] = $("sort").value.split(":");
  state.offset = 0;
  loadList();
});
$("previous").addEventListener("click", () => {
  state.offset = Math.max(0, state.offset - PageSize);
  loadList();
});
$("next").addEventListener("click", () => {
  state.offset += PageSize;
  loadList();
});

function addLogLine(line) {
  const log = $("log");
  log.append(el("li", line));
  while (log.children.length > 200) log.firstChild.remove();
  log.scrollTop = log.scrollHeight;
}

async function loadLog() {
  const r = await api("GET", "/api/log?lines=50");
  if (!r.ok) return;
  $("log").replaceChildren();
  for (const line of r.data.lines) addLogLine(line);
}

function showStatus(s) {
  let text = s.modemOn ? "Modem on" : "Modem off";
  if (s.recording)
    text += " · Recording a call" + (s.caller ? " from " + s.caller : "") + ", " + clock(s.elapsedSeconds);
  $("status").textContent = text;
  // A call that ended has just been catalogued: the list shows it.
  if (state.recording && !s.recording) loadList();
  state.recording = s.recording;
}

function listen() {
  if (window.statusSource) window.statusSource.close();
  const source = new EventSource("/api/events");
  window.statusSource = source;
  source.addEventListener("status", (e) => showStatus(JSON.parse(e.data)));
  source.addEventListener("log", (e) => addLogLine(JSON.parse(e.data).line));
  source.onerror = () => {
    $("status").textContent = "Connection to the recorder lost; retrying…";
    // The browser gives up on a stream the server refused (its session ended): ask again,
    // which shows the login when that is why.
    if (source.readyState === EventSource.CLOSED) setTimeout(() => {
      if (window.statusSource === source) start();
    }, 2000);
  };
}

start();
