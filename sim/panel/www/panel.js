"use strict";
// The control panel's page: shows what the terminal pushes on /events and sends every change as
// one control command (the same commands zantor-simctl sends), with the per-run token.
const token = document.querySelector('meta[name="panel-token"]').content;
const $ = (id) => document.getElementById(id);
let state = null;
let weightEdited = false;  // typed or slid, and not sent yet: the terminal's load must not overwrite it

function kg(grams) { return (grams / 1000).toFixed(3); }
function clock(ms) { return ms ? new Date(ms).toLocaleTimeString("zh-CN", { hour12: false }) : "-"; }
function say(text, bad) {
  const m = $("message");
  m.textContent = text;
  m.className = bad ? "error" : "";
}
function badge(id, text, kind) {
  const b = $(id);
  b.textContent = text;
  b.className = "badge" + (kind ? " " + kind : "");
}

// quiet: the answer is for the page itself, not news for the user.
async function command(line, quiet) {
  try {
    const reply = await fetch("/api/command", {
      method: "POST",
      headers: { "Content-Type": "application/json", "X-Panel-Token": token },
      body: JSON.stringify({ command: line }),
    });
    const answer = await reply.json();
    if (quiet && answer.ok) return answer;
    if (answer.ok) say("已执行: " + line, false);
    else if (answer.running) say("执行中 (" + line + "): 结果见上面的状态", false);
    else say("未执行 (" + line + "): " + answer.error, true);
    return answer;
  } catch (e) {
    say("终端没有回答: " + e, true);
    return { ok: false, error: String(e) };
  }
}

function showScale(s, polls) {
  $("net").textContent = kg(s.net_g);
  $("tare").textContent = kg(s.tare_g);
  $("gross").textContent = kg(s.gross_g);
  badge("stable", s.stable ? "稳定" : "不稳定", s.stable ? "on" : "warn");
  badge("overload", s.overload ? "超载" : s.underload ? "欠载" : "量程内", s.overload || s.underload ? "warn" : "on");
  badge("at-zero", s.at_zero ? "零位" : "非零位", s.at_zero ? "on" : "");
  badge("tare-set", s.tare_g ? "已去皮" : "未去皮", s.tare_g ? "on" : "");
  badge("not-zeroed", s.not_zeroed ? "开机未归零" : "已归零", s.not_zeroed ? "warn" : "on");
  badge("profile", s.profile ? "变化中: " + s.profile : "无变化曲线", s.profile ? "on" : "");
  $("weight-slider").max = Math.ceil(s.capacity_g / 1000) + 1;
  // The load follows the terminal (zantor-simctl, profiles) unless the user is entering one.
  if (!weightEdited && document.activeElement !== $("weight-input")) {
    $("weight-input").value = kg(s.load_g);
    $("weight-slider").value = s.load_g / 1000;
  }
  if (document.activeElement !== $("unit")) $("unit").value = s.unit;
  const rows = { sdk: polls.sdk, board: polls.board };
  for (const [name, p] of Object.entries(rows)) {
    const cells = $("poll-" + name).cells;
    cells[1].textContent = p.requests;
    cells[2].textContent = p.per_second;
    cells[3].textContent = clock(p.last_ms);
  }
  $("poll-last").textContent = polls.last === "sdk" ? "SDK 称台" : polls.last === "board" ? "称重板" : "还没有";
  $("sdk-auto").textContent = s.sdk_auto ? "开, 每秒 " + s.sdk_rate + " 次 (实际 " + polls.sdk.readings_per_second + ")" : "关";
}

function showDrawer(d) {
  badge("drawer-state", d.open ? "钱箱已打开" : "钱箱已关闭", d.open ? "warn" : "on");
  $("drawer-openings").textContent = d.openings;
  if (document.activeElement !== $("drawer-time")) $("drawer-time").value = d.auto_close_ms;
  const body = $("pulses").tBodies[0];
  body.textContent = "";
  for (const p of d.pulses.slice().reverse()) {
    const row = body.insertRow();
    const by = { printer: "打印机", board: "主板", control: "控制" }[p.by] || p.by;
    for (const text of [clock(p.at_ms), by, p.command || "-", p.pin || "-", p.command ? p.on_ms + " / " + p.off_ms : "-"])
      row.insertCell().textContent = text;
  }
}

// The models are listed once; those that speak no ESC/POS are shown but cannot be chosen.
async function loadModels() {
  const answer = await command("models", true);
  if (!answer.ok) return;
  const select = $("printer-model");
  select.textContent = "";
  for (const m of answer.models) {
    const option = new Option(m.id + " · " + m.name + (m.escpos ? "" : " (不是 ESC/POS)"), m.id);
    option.disabled = !m.escpos;
    select.add(option);
  }
  if (state) select.value = state.printer.model;
}

function showPrinter(p) {
  if (document.activeElement !== $("printer-model")) $("printer-model").value = p.model;
  $("dpi").textContent = p.dpi;
  $("paper-out").checked = p.paper_out;
  $("paper-near-end").checked = p.paper_near_end && !p.paper_out;
  $("cover-open").checked = p.cover_open;
  $("cutter-error").checked = p.cutter_error;
  // Offline, the printer keeps what it receives and prints it once the cause is gone.
  badge("printer-online", p.offline ? "离线" : p.buffer.printing ? "打印中" : "在线", p.offline ? "warn" : "on");
  const b = p.buffer;
  $("buffer-meter").max = b.capacity;
  $("buffer-meter").value = b.fill;
  $("buffer-text").textContent = b.fill + " / " + b.capacity + " 字节, 待打印 " + b.held + " 字节" +
    (b.lost ? ", 丢失 " + b.lost + " 字节" : "") + (b.xoff ? ", 已发 XOFF" : "");
  $("print-speed").textContent = p.print_speed_mm_s ? p.print_speed_mm_s + " mm/s" : "即时";
  $("job").textContent = p.job_open ? "进行中 (" + p.job_line + ")" : "无";
  $("paper-width").textContent = p.paper_width;
  $("tcp").textContent = p.tcp_host ? p.tcp_host + ":" + p.tcp_port : "关";
}

function showWiring(s) {
  const body = $("wiring-rows");
  body.textContent = "";
  const named = new Set();
  for (const w of s.wiring) {
    named.add(w.line);
    const row = body.insertRow();
    for (const text of [w.port, w.line, s.ptys[w.line] || "-"]) row.insertCell().textContent = text;
  }
  for (const [line, pty] of Object.entries(s.ptys)) {
    if (named.has(line)) continue;
    const row = body.insertRow();
    for (const text of ["-", line, pty]) row.insertCell().textContent = text;
  }
}

function show(s) {
  state = s;
  showScale(s.scale, s.polls);
  showDrawer(s.drawer);
  showPrinter(s.printer);
  showWiring(s);
}

function reportView(report) {
  const box = document.createElement("div");
  box.className = "report";
  const add = (title, lines) => {
    const h = document.createElement("h4");
    h.textContent = title;
    const pre = document.createElement("pre");
    pre.textContent = lines.length ? lines.join("\n") : "无";
    box.append(h, pre);
  };
  add("命令", Object.entries(report.commands || {}).map(([name, n]) => name + " × " + n));
  const entry = (e) => "@" + e.offset + " " + [e.command, e.bytes, e.text].filter(Boolean).join(" ");
  add("未知命令 (" + (report.unknown_total || 0) + ")", (report.unknown || []).map(entry));
  add("不支持的命令 (" + (report.unsupported_total || 0) + ")", (report.unsupported || []).map(entry));
  add("备注", (report.notes || []).map(entry));
  const symbols = [];
  for (const page of report.pages || [])
    for (const s of page.symbols || []) symbols.push(page.file + ": " + s.type + " " + s.text);
  add("条码/二维码", symbols);
  return box;
}

function addReceipt(r) {
  const item = document.createElement("li");
  item.className = "receipt fresh";
  item.dataset.job = r.job;
  const title = document.createElement("div");
  title.textContent = "小票 " + r.job + " · " + clock(r.finished_ms) + " · " + (r.line || "?") + " · " + r.bytes +
    " 字节" + (r.unknown ? " · 未知命令 " + r.unknown : "");
  item.append(title);
  for (const page of r.pages) {
    const img = document.createElement("img");
    img.src = "/receipts/" + encodeURIComponent(page);
    img.alt = page;
    item.append(img);
  }
  const links = document.createElement("div");
  const show = document.createElement("button");
  show.textContent = "报告";
  show.className = "report-button";
  show.onclick = async () => {
    const old = item.querySelector(".report");
    if (old) return old.remove();
    const reply = await fetch("/receipts/" + encodeURIComponent(r.report));
    item.append(reply.ok ? reportView(await reply.json()) : document.createTextNode("报告读不到"));
  };
  const raw = document.createElement("a");
  raw.href = "/receipts/" + encodeURIComponent(r.raw);
  raw.textContent = "原始数据";
  links.append(show, " ", raw);
  if (r.wire) {
    const wireButton = document.createElement("button");
    wireButton.textContent = "线路记录";
    wireButton.className = "wire-button";
    wireButton.onclick = () => showJobWire(r);
    links.append(" ", wireButton);
  }
  item.append(links);
  $("receipt-list").prepend(item);
  setTimeout(() => item.classList.remove("fresh"), 3000);
  $("receipt-count").textContent = "(" + $("receipt-list").children.length + ")";
}

function listen() {
  const events = new EventSource("/events");
  events.onopen = () => {
    badge("link", "已连接", "on");
    $("receipt-list").textContent = "";  // the stream starts again with every receipt
    wireView.entries = [];  // and with the wire record's newest entries
    $("wire-rows").textContent = "";
  };
  events.onerror = () => badge("link", "未连接, 重试中", "off");
  events.addEventListener("state", (e) => show(JSON.parse(e.data)));
  events.addEventListener("receipt", (e) => addReceipt(JSON.parse(e.data)));
  events.addEventListener("wire", (e) => addWire(JSON.parse(e.data)));
}

// The wire view: every entry of every line as the terminal records it, newest at the bottom. The page
// keeps the newest kWireKept; while paused it keeps collecting and shows them on resume.
const kWireKept = 1000;
const wireView = { entries: [], paused: false, skipped: 0, unseen: 0, lines: new Set() };

function wireShown(e) {
  return (!$("wire-line").value || e.line === $("wire-line").value) && (!$("wire-dir").value || e.dir === $("wire-dir").value);
}

function wireRow(e) {
  const row = document.createElement("tr");
  row.className = "entry " + e.dir;
  row.dataset.key = e.line + " " + e.dir + " " + e.what;
  row.dataset.repeats = 1;
  for (const text of [e.ms, e.line, e.dir === "to_device" ? "→" : "←", e.what]) row.insertCell().textContent = text;
  row.onclick = () => {
    const next = row.nextElementSibling;
    if (next && next.classList.contains("hex")) return next.remove();
    const hex = document.createElement("tr");
    hex.className = "hex";
    const cell = hex.insertCell();
    cell.colSpan = 4;
    cell.textContent = e.hex ? e.size + " 字节: " + e.hex : "(没有字节)";
    row.after(hex);
  };
  return row;
}

// An entry the same as the last one shown (the SDK scale's readings while nothing changes) counts on
// that row instead of taking a new one.
function appendWire(body, e) {
  const last = body.lastElementChild;
  if (last && last.dataset.key === e.line + " " + e.dir + " " + e.what) {
    last.dataset.repeats = Number(last.dataset.repeats) + 1;
    last.cells[0].textContent = e.ms;
    last.cells[3].textContent = e.what + "  (×" + last.dataset.repeats + ")";
    return;
  }
  body.append(wireRow(e));
}

function showWire() {
  const box = $("wire-box"), body = $("wire-rows");
  const atBottom = box.scrollTop + box.clientHeight >= box.scrollHeight - 4;
  body.textContent = "";
  for (const e of wireView.entries) if (wireShown(e)) appendWire(body, e);
  if (atBottom) box.scrollTop = box.scrollHeight;
  $("wire-count").textContent = "(" + body.children.length + " 条)";
  $("wire-skipped").textContent = wireView.skipped ? "太快, 页面跳过了 " + wireView.skipped + " 条" : "";
  $("wire-pause").textContent = wireView.paused ? "继续" + (wireView.unseen ? " (" + wireView.unseen + " 条新)" : "") : "暂停";
}

function addWire(batch) {
  wireView.skipped += batch.skipped;
  for (const e of batch.entries) {
    if (!wireView.lines.has(e.line)) {
      wireView.lines.add(e.line);
      $("wire-line").add(new Option(e.line, e.line));
    }
  }
  wireView.entries.push(...batch.entries);
  if (wireView.entries.length > kWireKept) wireView.entries.splice(0, wireView.entries.length - kWireKept);
  if (wireView.paused) {
    wireView.unseen += batch.entries.length;
    $("wire-pause").textContent = "继续 (" + wireView.unseen + " 条新)";
    return;
  }
  const box = $("wire-box"), body = $("wire-rows");
  const atBottom = box.scrollTop + box.clientHeight >= box.scrollHeight - 4;
  for (const e of batch.entries) if (wireShown(e)) appendWire(body, e);
  while (body.children.length > kWireKept) body.firstElementChild.remove();
  if (atBottom) box.scrollTop = box.scrollHeight;
  $("wire-count").textContent = "(" + body.querySelectorAll("tr.entry").length + " 条)";
  $("wire-skipped").textContent = wireView.skipped ? "太快, 页面跳过了 " + wireView.skipped + " 条" : "";
}

async function showJobWire(r) {
  const reply = await fetch("/receipts/" + encodeURIComponent(r.wire));
  $("wire-job-title").textContent = "小票 " + r.job + " 的线路记录";
  $("wire-job-text").textContent = reply.ok ? await reply.text() : "读不到 " + r.wire;
  $("wire-job").hidden = false;
  $("wire").scrollIntoView();
}

function wireControls() {
  $("wire-line").addEventListener("change", showWire);
  $("wire-dir").addEventListener("change", showWire);
  $("wire-pause").addEventListener("click", () => {
    wireView.paused = !wireView.paused;
    wireView.unseen = 0;
    showWire();
  });
  $("wire-clear").addEventListener("click", () => {
    wireView.entries = [];
    wireView.skipped = 0;
    showWire();
  });
  $("wire-job-close").addEventListener("click", () => { $("wire-job").hidden = true; });
}

function wire() {
  for (const b of document.querySelectorAll("button[data-command]"))
    b.addEventListener("click", () => command(b.dataset.command));
  $("weight-input").addEventListener("input", () => { weightEdited = true; });
  $("weight-slider").addEventListener("input", () => {
    weightEdited = true;
    $("weight-input").value = Number($("weight-slider").value).toFixed(3);
  });
  $("weight-slider").addEventListener("change", () => {
    weightEdited = false;
    command("weight " + $("weight-input").value);
  });
  $("weight-form").addEventListener("submit", (e) => {
    e.preventDefault();
    weightEdited = false;
    const text = $("weight-input").value.trim();
    // An empty field is what the browser gives for text it cannot read as a number.
    command("weight " + (text === "" ? "?" : text));
  });
  $("tare-take").addEventListener("click", () => state && command("tare " + kg(state.scale.gross_g)));
  $("stable-toggle").addEventListener("click", () => state && command("stable " + (state.scale.stable ? "off" : "on")));
  $("overload-toggle").addEventListener("click", () =>
    state && command("overload " + (state.scale.overload ? "off" : "on")));
  $("not-zeroed-toggle").addEventListener("click", () =>
    state && command("not-zeroed " + (state.scale.not_zeroed ? "off" : "on")));
  $("unit").addEventListener("change", () => command("unit " + $("unit").value));
  $("profile-form").addEventListener("submit", (e) => {
    e.preventDefault();
    command("profile settle " + $("profile-target").value + " " + $("profile-ms").value);
  });
  $("drawer-time-form").addEventListener("submit", (e) => {
    e.preventDefault();
    command("drawer-time " + $("drawer-time").value);
  });
  $("paper-out").addEventListener("change", () => command($("paper-out").checked ? "paper out" : "paper in"));
  $("paper-near-end").addEventListener("change", () =>
    command($("paper-near-end").checked ? "paper near-end" : "paper in"));
  $("cover-open").addEventListener("change", () => command("cover " + ($("cover-open").checked ? "open" : "closed")));
  $("printer-model").addEventListener("change", () => command("model " + $("printer-model").value));
  $("cutter-error").addEventListener("change", () =>
    command("error cutter " + ($("cutter-error").checked ? "on" : "off")));
  $("command-form").addEventListener("submit", async (e) => {
    e.preventDefault();
    const answer = await command($("command-line").value);
    $("command-answer").textContent = answer.help || JSON.stringify(answer, null, 2);
  });
}

wire();
wireControls();
listen();
loadModels();
