// Writes the virtual printer's model data (model_data.inc) and the README's table of models from
// the independent encoder's printer definitions and code page tables, with maker-facts.json for
// what the encoder does not know. Run it through with-encoder.sh:
//   sim/models/with-encoder.sh build-sim/npm-encoder sim/models/make-model-data.mjs sim/models [README]
// It reads maker-facts.json and rewrites model_data.inc in that folder, and the table between
// the model markers of README (default: sim/README.md, the folder's ../README.md).
import fs from 'node:fs';
import path from 'node:path';

import {codePoints, fontsOf, loadEncoderData, packageVersion, symbologyNumbers} from './encoder-data.mjs';

const outDir = path.resolve(process.argv[2] || '.');
const facts = JSON.parse(fs.readFileSync(path.join(outDir, 'maker-facts.json'), 'utf8'));
const {codepageMappings, printerDefinitions} = loadEncoderData();
const versions = ['receipt-printer-encoder', 'codepage-encoder']
    .map((p) => `@point-of-sale/${p} ${packageVersion(`@point-of-sale/${p}`)}`).join(' and ');

const languages = {'esc-pos': 'EscPos', 'star-prnt': 'StarPrnt', 'star-line': 'StarLine'};

// Print width in dots: 72 mm of 80 mm paper, 48 mm of 58 mm, to whole bytes of dots (the
// published 512 dots of a 180 dpi head, 576 and 384 of a 203 dpi one), and never less than a
// line of the model's widest font.
function printDots(paperMm, dpi, fonts) {
  const printMm = paperMm >= 80 ? 72 : 48;
  const dots = Math.round((printMm * dpi) / 25.4 / 8) * 8;
  const widest = Math.max(...fonts.map((f) => Math.ceil((f.width * f.columns) / 8) * 8));
  return Math.max(dots, widest);
}

function paperOf(definition, fonts) {
  if (definition.media.width) return definition.media.width;
  // A definition without a width: its font A columns tell (32 on 58 mm paper).
  return fonts[0].columns <= 32 ? 58 : 80;
}

function modelRow(id, definition, own) {
  const caps = definition.capabilities;
  const fonts = fontsOf(caps);
  const maker = facts.makers[definition.vendor] || facts.makers[''];
  const fact = {...facts.defaults, ...maker, ...(facts.models[id] || {}), ...(own || {})};
  const paperMm = paperOf(definition, fonts);
  const escpos = caps.language === 'esc-pos';
  const identity = {
    firmware: fact.firmware,
    maker: maker.maker,
    name: definition.model,
    serial: fact.serial,
    fontType: '',
    modelId: fact.modelId,
    romVersion: fact.romVersion,
    ...(own ? own.identity : {}),
  };
  if (own) identity.fontType = `CHINA ${own.twoByte}`;
  const pdf417Barcode = caps.pdf417.fallback ? caps.pdf417.fallback.symbology : 0;
  return {
    id,
    vendor: definition.vendor,
    model: definition.model,
    language: caps.language,
    dpi: definition.media.dpi,
    paperMm,
    printDots: printDots(paperMm, definition.media.dpi, fonts),
    fonts,
    codePages: caps.codepages,
    barcodes: caps.barcodes.supported ? caps.barcodes.symbologies.map((s) => symbologyNumbers[s]) : [],
    qrCode: !!caps.qrcode.supported,
    qrModel1: caps.qrcode.models.includes('1'),
    pdf417: !!caps.pdf417.supported,
    pdf417Barcode,
    cutter: !!caps.cutter,
    twoByte: own ? own.twoByte : '',
    twoByteAtPowerUp: own ? !!own.twoByteAtPowerUp : false,
    identity,
    receiveBufferBytes: fact.receiveBufferBytes,
    printSpeedMmPerSecond: fact.printSpeedMmPerSecond,
    xonXoff: fact.xonXoff,
    // Which of buffer, speed and handshake are the maker's, which are defaults.
    known: {
      buffer: own ? 'ours' : ('receiveBufferBytes' in maker || 'receiveBufferBytes' in (facts.models[id] || {})) ? 'maker' : 'default',
      speed: own ? 'ours' : 'printSpeedMmPerSecond' in (facts.models[id] || {}) ? 'maker' : 'default',
      xonXoff: own ? 'ours' : 'xonXoff' in maker ? 'maker' : 'default',
      identity: own ? 'ours' : maker.source ? 'maker' : 'default',
    },
    source: [maker.source, (facts.models[id] || {}).source, own && own.source].filter(Boolean).join('; '),
    note: own ? own.note : escpos ? '' : `${caps.language}: not an ESC/POS printer, not emulated`,
    escpos,
  };
}

const models = [
  ...Object.entries(facts.ownModels).map(([id, own]) => modelRow(id, own, own)),
  ...Object.entries(printerDefinitions).map(([id, d]) => modelRow(id, d, null)),
];

// Every numbering an ESC/POS model uses, and every page in them.
const numberings = [...new Set(models.filter((m) => m.escpos).map((m) => m.codePages))].sort();
const pages = [...new Set(numberings.flatMap((n) => codepageMappings['esc-pos'][n].filter(Boolean)))].sort();

const cString = (s) => JSON.stringify(s);
const hex = (n) => `0x${n.toString(16).toUpperCase()}`;

function pageTable(name) {
  const points = codePoints(name);
  const cells = [];
  for (let b = 0x20; b <= 0xff; ++b) cells.push(points[b] === undefined ? '0' : hex(points[b]));
  const lines = [];
  for (let i = 0; i < cells.length; i += 16) lines.push(`        ${cells.slice(i, i + 16).join(', ')},`);
  return `    {${cString(name)}, {\n${lines.join('\n')}\n    }},`;
}

function numberingRow(name) {
  const entries = codepageMappings['esc-pos'][name]
      .map((page, n) => (page ? `{${n}, ${cString(page)}}` : null)).filter(Boolean);
  const lines = [];
  for (let i = 0; i < entries.length; i += 6) lines.push(`        ${entries.slice(i, i + 6).join(', ')},`);
  return `    {${cString(name)}, {\n${lines.join('\n')}\n    }},`;
}

function modelCell(m) {
  const fonts = m.fonts.map((f) => `{'${f.name}', ${f.width}, ${f.height}, ${f.columns}}`).join(', ');
  const id = m.identity;
  return [
    `    {${cString(m.id)}, ${cString(m.vendor)}, ${cString(m.model)}, Language::${languages[m.language]},`,
    `     ${m.dpi}, ${m.paperMm}, ${m.printDots}, {${fonts}}, ${cString(m.codePages)},`,
    `     {${m.barcodes.join(', ')}}, ${m.qrCode}, ${m.qrModel1}, ${m.pdf417}, ${m.pdf417Barcode}, ${m.cutter},`,
    `     ${cString(m.twoByte)}, ${m.twoByteAtPowerUp},`,
    `     {${cString(id.firmware)}, ${cString(id.maker)}, ${cString(id.name)}, ${cString(id.serial)}, ${cString(id.fontType)}, ${id.modelId}, ${id.romVersion}},`,
    `     ${m.receiveBufferBytes}, ${m.printSpeedMmPerSecond}, ${m.xonXoff}},`,
  ].join('\n');
}

const inc = `// Generated by make-model-data.mjs from ${versions}
// and maker-facts.json. Do not edit: run the script again.
// clang-format off

const CodePageTable kCodePageTables[] = {
${pages.map(pageTable).join('\n')}
};

const CodePageNumbering kCodePageNumberings[] = {
${numberings.map(numberingRow).join('\n')}
};

const PrinterModel kPrinterModels[] = {
${models.map(modelCell).join('\n')}
};

// clang-format on
`;
fs.writeFileSync(path.join(outDir, 'model_data.inc'), inc);

// The README table: what each model does and what it does not.
const symbologyNames = Object.fromEntries(Object.entries(symbologyNumbers).map(([k, v]) => [v, k]));
const classic = [65, 66, 67, 68, 69, 70, 71, 72, 73];
function barcodeText(m) {
  if (!m.barcodes.length) return 'none';
  const missing = classic.filter((n) => !m.barcodes.includes(n)).map((n) => symbologyNames[n]);
  const extra = m.barcodes.filter((n) => !classic.includes(n)).map((n) => symbologyNames[n]);
  return ['classic 9' + (missing.length ? ` but ${missing.join(', ')}` : ''), ...extra].join(', ');
}
const mark = (value, known) => (known === 'default' ? `${value}*` : `${value}`);
const rows = models.map((m) => {
  if (!m.escpos) return `| \`${m.id}\` | ${m.vendor} ${m.model} | ${m.note} | | | | | | | | |`;
  const fonts = m.fonts.map((f) => `${f.name} ${f.width}×${f.height} (${f.columns})`).join(', ');
  const qr = m.qrCode ? (m.qrModel1 ? 'QR 1, 2' : 'QR 2') : 'no QR';
  const pdf = m.pdf417 ? 'PDF417' : m.pdf417Barcode ? `PDF417 as GS k ${m.pdf417Barcode}` : 'no PDF417';
  const chinese = m.twoByte ? `${m.twoByte}${m.twoByteAtPowerUp ? ', on at power-up' : ''}` : 'none';
  const name = `${m.vendor} ${m.model}`.trim() + (m.note ? ` (${m.note})` : '');
  return `| \`${m.id}\` | ${name} | ${m.paperMm} mm, ${m.printDots} dots, ${m.dpi} dpi | ${fonts} | ${m.codePages} | ` +
    `${barcodeText(m)} | ${qr}, ${pdf} | ${m.cutter ? 'yes' : 'no'} | ${chinese} | ` +
    `${mark(m.identity.maker + ' / ' + m.identity.name, m.known.identity)} | ` +
    `${mark(m.receiveBufferBytes, m.known.buffer)} B, ${mark(m.printSpeedMmPerSecond, m.known.speed)} mm/s, ` +
    `${mark(m.xonXoff ? 'XON/XOFF' : 'no XON/XOFF', m.known.xonXoff)} |`;
});
const table = [
  `Generated by \`sim/models/make-model-data.mjs\` from ${versions} (fonts, widths, code page`,
  'numbering, symbologies, QR and PDF417, cutter) and `sim/models/maker-facts.json` (identity,',
  'buffer, speed, handshake). A value marked * is our stated default, not the maker\'s published',
  'figure. Classic 9 barcodes: UPC-A, UPC-E, EAN-13, EAN-8, CODE39, ITF, CODABAR, CODE93, CODE128.',
  '',
  '| model | printer | paper | fonts (columns) | `ESC t` numbering | barcodes | 2D codes | cutter | two-byte text | `GS I` maker / name | buffer, speed, handshake |',
  '|---|---|---|---|---|---|---|---|---|---|---|',
  ...rows,
].join('\n');
const readme = path.resolve(process.argv[3] || path.join(outDir, '..', 'README.md'));
const text = fs.readFileSync(readme, 'utf8');
const begin = '<!-- printer models: begin -->';
const end = '<!-- printer models: end -->';
const a = text.indexOf(begin);
const b = text.indexOf(end);
if (a < 0 || b < a) throw new Error(`${readme}: no ${begin} ... ${end} block`);
fs.writeFileSync(readme, `${text.slice(0, a + begin.length)}\n${table}\n${text.slice(b)}`);
console.log(`${models.length} models, ${numberings.length} numberings, ${pages.length} code pages`);
