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

async function command(line) {
  try {
    const reply = await fetch("/api/command", {
      method: "POST",
      headers: { "Content-Type": "application/json", "X-Panel-Token": token },
      body: JSON.stringify({ command: line }),
    });
    const answer = await reply.json();
    if (answer.ok) say("已执行: " + line, false);
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

function showPrinter(p) {
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
  };
  events.onerror = () => badge("link", "未连接, 重试中", "off");
  events.addEventListener("state", (e) => show(JSON.parse(e.data)));
  events.addEventListener("receipt", (e) => addReceipt(JSON.parse(e.data)));
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
  $("cutter-error").addEventListener("change", () =>
    command("error cutter " + ($("cutter-error").checked ? "on" : "off")));
  $("command-form").addEventListener("submit", async (e) => {
    e.preventDefault();
    const answer = await command($("command-line").value);
    $("command-answer").textContent = answer.help || JSON.stringify(answer, null, 2);
  });
}

wire();
listen();
