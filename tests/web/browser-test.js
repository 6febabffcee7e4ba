// The web page in a real browser: the system's chromium, headless, driven by puppeteer-core
// against calvora-recorder recording the virtual modem's calls. Logs in, sees a call appear
// while the page is open, plays it to the end, seeks, edits a memo (checked in Recordings.d),
// deletes a recording (its row and its file gone) and the last row of a last page, and is
// sent back to the login when a new password is set. The demo's calls keep coming meanwhile, and
// the machine may be slow: every step waits for what it needs to see, never for a time.
"use strict";

const assert = require("node:assert/strict");
const { spawn, spawnSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const bin = process.env.CALVORA_BIN_DIR;
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
const password = "a browser test's password";
const work = fs.mkdtempSync(path.join(os.tmpdir(), "calvora-web-"));
const dataDir = path.join(work, "data");
// How long a step may take on a slow machine before it counts as failed.
const patience = 120000;
let recorder = null;
let browser = null;

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

async function waitFor(what, test, seconds) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > end) throw new Error("timed out waiting for " + what);
    await sleep(100);
  }
}

function setPassword(secret = password) {
  const r = spawnSync(path.join(bin, "calvora-recorder"),
    ["--data-dir", dataDir, "--set-password"], { input: secret + "\n" + secret + "\n" });
  assert.equal(r.status, 0, String(r.stderr));
  const hash = fs.readFileSync(path.join(dataDir, "WebPassword.hash"), "utf8");
  assert.match(hash, /^\$argon2id\$/);
  assert.equal(fs.statSync(path.join(dataDir, "WebPassword.hash")).mode & 0o777, 0o600);
}

function refusesAnyAddressWithoutPassword() {
  const fresh = path.join(work, "fresh");
  const r = spawnSync(path.join(bin, "calvora-recorder"),
    ["--data-dir", fresh, "--listen", "0.0.0.0:0"], { timeout: patience });
  assert.notEqual(r.status, 0);
  assert.match(String(r.stderr), /password/);
}

// A folder with one recording more than a page holds, all older than the demo's calls.
function addFullFolder() {
  const tool = path.join(bin, "calvora-catalogue");
  const run = (args) => {
    const r = spawnSync(tool, ["--data-dir", dataDir, ...args]);
    assert.equal(r.status, 0, String(r.stderr));
  };
  run(["add-folder", "Many"]);
  for (let i = 0; i < 51; ++i) {
    const time = "10:" + String(Math.floor(i / 60)).padStart(2, "0") + ":" + String(i % 60).padStart(2, "0");
    run(["add", "--folder", "Many", "--date", "2020-01-01", "--time", time, "--memo", "filler " + i]);
  }
}

async function startRecorder() {
  const log = fs.openSync(path.join(work, "recorder.log"), "w");
  recorder = spawn(path.join(bin, "calvora-recorder"),
    ["--data-dir", dataDir, "--demo", "--listen", "127.0.0.1:0"],
    { env: { ...process.env, CALVORA_DEMO_SPEED: "8", CALVORA_TIME_SCALE: "0.25" },
      stdio: ["ignore", log, log] });
  const urlFile = path.join(dataDir, ".calvora-web-url");
  return waitFor("the recorder's web page", () => {
    if (recorder.exitCode !== null) throw new Error("the recorder ended: " + recorderLog());
    return fs.existsSync(urlFile) && fs.readFileSync(urlFile, "utf8").trim();
  }, patience / 1000);
}

// All the recorder said: its event log's lines since it started, among others.
function recorderLog() {
  try { return fs.readFileSync(path.join(work, "recorder.log"), "utf8"); }
  catch (e) { return ""; }
}

// The list is drawn again whenever a call ends: a control is found and used in one step in the
// page, never found first and used later, when it may have been replaced (focusing a replaced
// control leaves the focus where it was).
function focusOn(page, selector) {
  return page.evaluate((s) => document.querySelector(s).focus(), selector);
}

function clickOn(page, selector) {
  return page.evaluate((s) => document.querySelector(s).click(), selector);
}

async function rowIds(page) {
  return page.$$eval("#rows tr", (rows) => rows.map((r) => r.dataset.id));
}

async function main() {
  refusesAnyAddressWithoutPassword();
  setPassword();
  addFullFolder();
  const url = await startRecorder();

  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: path.join(work, "profile"),
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required", "--mute-audio"],
  });
  const page = await browser.newPage();
  page.setDefaultTimeout(patience);
  await page.setViewport({ width: 390, height: 844 }); // a phone's screen
  page.on("pageerror", (e) => console.error("page error:", e.message));
  // Every text the status line shows, kept by the page itself: a call may be recorded faster
  // than the test could look at the page.
  await page.evaluateOnNewDocument(() => {
    window.statusTexts = [];
    document.addEventListener("DOMContentLoaded", () => {
      const status = document.getElementById("status");
      new MutationObserver(() => window.statusTexts.push(status.textContent))
        .observe(status, { childList: true, characterData: true, subtree: true });
    });
  });
  await page.goto(url);

  // Logging in: a wrong password first.
  await page.waitForSelector("#password", { visible: true });
  await page.type("#password", "not the password");
  await page.keyboard.press("Enter");
  await page.waitForFunction(() => document.getElementById("login-error").textContent !== "");
  await page.type("#password", password);
  await page.keyboard.press("Enter");
  await page.waitForSelector("#app", { visible: true });
  const cookies = await page.cookies();
  const session = cookies.find((c) => c.name === "calvora_session");
  assert.ok(session.httpOnly, "the session cookie is HttpOnly");
  assert.equal(session.sameSite, "Strict");

  // A call is recorded while the page is open: the status line says so, and its row appears
  // without the page being loaded again. (The demo's calls come one after another; rows that
  // were there when the page opened do not count.)
  await page.waitForFunction(() => document.getElementById("status").textContent.startsWith("Modem"));
  const before = new Set(await rowIds(page));
  const firstId = await waitFor("a new recording in the list", async () => {
    const fresh = (await rowIds(page)).filter((id) => !before.has(id));
    return fresh.length > 0 && fresh[0];
  }, 2 * patience / 1000);
  const statuses = await page.evaluate(() => window.statusTexts);
  assert.ok(statuses.some((s) => s.startsWith("Modem on")), statuses.join(" | "));
  const recording = statuses.filter((s) => s.includes("Recording a call"));
  assert.ok(recording.length > 0, statuses.join(" | "));
  // While a call is recorded the modem is on, and the caller is named from the first status on.
  for (const s of recording)
    assert.match(s, /^Modem on · Recording a call from .*5551234.*, \d:\d\d$/, statuses.join(" | "));
  // The caller's column: the directory knows no name for the demo's caller, so the number.
  assert.equal(await page.$eval(`#rows tr[data-id="${firstId}"] td[data-label="Caller"]`,
    (c) => c.textContent), "5551234");
  const logLines = await page.$$eval("#log li", (items) => items.map((i) => i.textContent));
  assert.ok(logLines.length > 0, "the event log's last lines are shown");

  // Every control has a name for screen readers.
  const unnamed = [];
  (function walk(node) {
    if (["button", "link", "textbox", "searchbox", "combobox", "slider"].includes(node.role) &&
        !node.name) unnamed.push(node.role);
    for (const child of node.children || []) walk(child);
  })(await page.accessibility.snapshot({ interestingOnly: false }));
  assert.deepEqual(unnamed, [], "controls without a name");

  // Playing, started from the keyboard: to a second before the end by the seek bar, then on to
  // the end.
  const row = `#rows tr[data-id="${firstId}"]`;
  await focusOn(page, `${row} button[aria-label^="Play"]`);
  await page.keyboard.press("Enter");
  await page.waitForFunction(() => {
    const a = document.getElementById("player");
    return a.readyState >= 1 && a.duration > 2 && !document.getElementById("seek").disabled;
  });
  const duration = await page.$eval("#player", (a) => a.duration);
  await page.$eval("#seek", (s, to) => {
    s.value = String(to);
    s.dispatchEvent(new Event("input"));
  }, Math.floor(duration) - 1);
  await page.waitForFunction((d) => document.getElementById("player").currentTime >= d - 1.5,
    {}, duration);
  await page.waitForFunction(() => document.getElementById("player").ended);

  // The memo: markup typed stays text, in the page and in Recordings.d.
  const memo = "<b>Called back</b> & settled";
  // Clicked as an element, not at a place on the screen: a call that ends meanwhile puts its
  // row above this one.
  await clickOn(page, `${row} button[aria-label^="Edit the memo"]`);
  await page.waitForSelector("#memo-dialog[open]");
  await page.$eval("#memo-text", (i) => { i.value = ""; });
  await page.type("#memo-text", memo);
  await page.keyboard.press("Enter");
  await page.waitForFunction((sel, m) => {
    const cell = document.querySelector(sel + " td.memo");
    return cell && cell.textContent === m;
  }, {}, row, memo);
  assert.equal(await page.$eval(`${row} td.memo`, (c) => c.children.length), 0);
  await waitFor("the memo in Recordings.d", () =>
    fs.readFileSync(path.join(dataDir, "Recordings.d")).includes(Buffer.from(memo)), patience / 1000);

  // The memo search finds that recording alone.
  const searched = page.waitForResponse((r) => r.url().includes("q="));
  await page.type("#search", "called BACK");
  await page.keyboard.press("Enter");
  await searched;
  await page.waitForFunction((id) => {
    const rows = document.querySelectorAll("#rows tr");
    return rows.length === 1 && rows[0].dataset.id === id;
  }, {}, firstId);
  assert.equal(await page.$eval("#count", (c) => c.textContent), "1 recording");

  // Deleting: the row and the file go.
  const fileName = await page.evaluate(async (id) => {
    const r = await fetch(`/api/recordings/${id}/original`);
    const header = r.headers.get("Content-Disposition");
    await r.arrayBuffer();
    return /filename="([^"]+)"/.exec(header)[1];
  }, firstId);
  assert.ok(fs.existsSync(path.join(dataDir, "wav", fileName)), fileName);
  page.once("dialog", (d) => d.accept());
  await focusOn(page, `${row} button[aria-label^="Delete"]`);
  await page.keyboard.press("Enter");
  await page.waitForFunction((sel) => !document.querySelector(sel), {}, row);
  assert.ok(!fs.existsSync(path.join(dataDir, "wav", fileName)), "the file is gone");
  assert.ok(!fs.readFileSync(path.join(dataDir, "Recordings.d")).includes(Buffer.from(memo)));
  const events = fs.readFileSync(path.join(dataDir, "Events.log"), "utf8") + recorderLog();
  assert.match(events, /Logged in to the web page/);
  assert.match(events, /Failed login to the web page/);
  assert.match(events, new RegExp(`Recording ${firstId} deleted from the web page`));

  // Deleting the only row of the last page: the page before it shows, and the keyboard's focus
  // stays on the row now in the deleted one's place.
  const everything = page.waitForResponse((r) => r.url().includes("/api/recordings?") && !r.url().includes("q="));
  await page.$eval("#search", (i) => { i.value = ""; });
  await focusOn(page, "#search");
  await page.keyboard.press("Enter");
  await everything;
  await page.evaluate(() =>
    [...document.querySelectorAll("#folders button")].find((b) => b.textContent === "Many").click());
  // All recordings may fill two pages as well: the list is Many's when it holds fillers only.
  const manyShown = (pageText, rowCount) => page.waitForFunction((text, count) =>
    document.getElementById("page").textContent === text &&
    document.querySelectorAll("#rows tr").length === count &&
    [...document.querySelectorAll("#rows td.memo")].every((c) => c.textContent.startsWith("filler")),
  {}, pageText, rowCount);
  await manyShown("Page 1 of 2", 50);
  await clickOn(page, "#next");
  await manyShown("Page 2 of 2", 1);
  page.once("dialog", (d) => d.accept());
  await focusOn(page, `#rows tr button[aria-label^="Delete"]`);
  await page.keyboard.press("Enter");
  await manyShown("Page 1 of 1", 50);
  assert.equal(await page.evaluate(() => {
    const a = document.activeElement;
    return a.closest("#rows tr") === document.querySelector("#rows tr") && a.getAttribute("aria-label");
  }), "Delete the recording of " + await page.$eval("#rows tr", (r) =>
    r.querySelector('td[data-label="Date"]').textContent + " " + r.querySelector('td[data-label="Time"]').textContent));

  // The memo dialog closed after the list was drawn again behind it (as when a call ends)
  // gives the focus back to the button that opened it.
  const opener = await page.$eval("#rows tr:nth-child(3) button[aria-label^='Edit the memo']",
    (b) => b.getAttribute("aria-label"));
  await focusOn(page, `#rows tr button[aria-label="${opener}"]`);
  await page.keyboard.press("Enter");
  await page.waitForSelector("#memo-dialog[open]");
  await page.evaluate(() => loadList());
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => !document.getElementById("memo-dialog").open);
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute("aria-label")), opener);

  // A new password set while the page is open ends its session: the page asks for a login,
  // and the new password opens it.
  setPassword("another password for the page");
  await page.waitForSelector("#password", { visible: true });
  await page.type("#password", "another password for the page");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#app", { visible: true });
  console.log("web page browser test passed");
}

async function cleanUp() {
  if (browser) await browser.close().catch(() => {});
  if (recorder && recorder.exitCode === null) {
    recorder.kill("SIGTERM");
    await waitFor("the recorder's end", () => recorder.exitCode !== null, patience / 1000).catch(() =>
      recorder.kill("SIGKILL"));
  }
  fs.rmSync(work, { recursive: true, force: true });
}

main().then(cleanUp, async (e) => {
  console.error(e);
  console.error("recorder's output:\n" + recorderLog().slice(-4000));
  // The calls' course from the start: a caller lost between rings shows here.
  const calls = recorderLog().split("\n").filter((l) =>
    /^(ring|Caller ID|-- Recording|Recording ended|A call was answered)/.test(l));
  console.error("the calls so far:\n" + calls.slice(-120).join("\n"));
  await cleanUp();
  process.exit(1);
});
