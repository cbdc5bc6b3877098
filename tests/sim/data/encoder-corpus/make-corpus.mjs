// The conformance corpus: for each ESC/POS model of the independent encoder, one receipt it
// encodes for that model (text styles and sizes, every font, every code page of the model's
// table with its printable characters, an image in each mode, every symbology the model
// prints, QR code, PDF417, cut), and manifest.json with what each must print and read as.
// Models whose receipts come out byte for byte the same share one file. Run it through
// sim/models/with-encoder.sh:
//   sim/models/with-encoder.sh build-sim/npm-encoder tests/sim/data/encoder-corpus/make-corpus.mjs \
//       tests/sim/data/encoder-corpus
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

import {
  CodepageEncoder, ReceiptPrinterEncoder, codePoints, fontsOf, loadEncoderData, packageVersion, symbologyNumbers,
} from './encoder-data.mjs';

const outDir = path.resolve(process.argv[2] || '.');
const {codepageMappings, printerDefinitions} = loadEncoderData();

// Data each symbology is given, and what a reader returns for it.
const gtinCheck = (digits) => {
  let sum = 0;
  for (let i = 0; i < digits.length; ++i) sum += Number(digits[digits.length - 1 - i]) * (i % 2 === 0 ? 3 : 1);
  return String((10 - (sum % 10)) % 10);
};
const barcodeData = {
  'upca': ['036000291452', (v) => `0${v}`],  // readers report UPC-A as EAN-13
  'upce': ['01234565', () => '0012345000065'],  // and UPC-E expanded to it
  'ean13': ['4006381333931', (v) => v],
  'ean8': ['73513537', (v) => v],
  'code39': ['CODE39 TEST', (v) => v],
  'itf': ['12345678', (v) => v],
  'codabar': ['A40156B', (v) => v],
  'code93': ['CODE93 TEST', (v) => v],
  'code128': ['Code128 test', (v) => v],
  'gs1-128': ['(01)09501101530003', (v) => v.replace(/[()]/g, '')],
  'gs1-databar-omni': ['0950110153000', (v) => `01${v}${gtinCheck(v)}`],
  'gs1-databar-truncated': ['0950110153000', (v) => `01${v}${gtinCheck(v)}`],
  'gs1-databar-limited': ['0950110153000', (v) => `01${v}${gtinCheck(v)}`],
  'gs1-databar-expanded': ['(01)09501101530003', (v) => v.replace(/[()]/g, '')],
  'code128-auto': ['Auto 128', (v) => v],
};
const qrText = 'https://point-of-sale.dev/?receipt=0042';
const pdfText = 'PDF417 receipt 0042';

// An image that is easy to check by eye: a frame with a diagonal and a checkered block.
function testImage(width, height) {
  const data = new Uint8ClampedArray(width * height * 4).fill(255);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const frame = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
      const diagonal = Math.abs(Math.round((x * height) / width) - y) < 2;
      const checker = x >= width / 2 && y >= height / 2 && ((x >> 3) + (y >> 3)) % 2 === 0;
      if (frame || diagonal || checker) data.fill(0, (y * width + x) * 4, (y * width + x) * 4 + 3);
    }
  }
  return {data, width, height};
}

// The characters of a code page the encoder can print: those it has for the printable bytes,
// without blanks (the encoder wraps lines at them), controls, and DEL (7Fh), which printers
// differ on. A character the page also has below 20h (CP437's card suits, in every page that
// extends it) the encoder sends as that control code, which no printer prints: left out.
function printable(name) {
  const points = codePoints(name);
  const chars = [];
  for (let b = 0x20; b <= 0xff; ++b) {
    const c = points[b];
    if (c === undefined || b === 0x7f || (b < 0x7f && c === b)) continue;
    const s = String.fromCodePoint(c);
    if (/\s/u.test(s) || /\p{C}/u.test(s)) continue;
    const sent = CodepageEncoder.encode(s, name)[0];
    if (sent < 0x20 || sent === 0x7f) continue;
    // A character the page has twice prints from its first byte: once is enough.
    if (!chars.includes(s)) chars.push(s);
  }
  return chars.join('');
}

const pageTexts = {};  // code page -> what its line prints

function receipt(id, definition) {
  const caps = definition.capabilities;
  const encoder = new ReceiptPrinterEncoder({printerModel: id});
  const expect = {lines: [], codePages: [], symbols: [], images: 0};
  const line = (text) => {
    encoder.line(text);
    expect.lines.push(text);
  };
  encoder.initialize();

  // Styles and sizes.
  encoder.bold(true);
  line('Bold');
  encoder.bold(false).underline(true);
  line('Underlined');
  encoder.underline(false).invert(true);
  line('Inverted');
  encoder.invert(false).size(2, 2);
  line('Size 2x2');
  encoder.size(1, 1).width(3);
  line('Wide');
  encoder.width(1).height(3);
  line('Tall');
  encoder.height(1).align('center');
  line('Centred');
  encoder.align('right');
  line('Right');
  encoder.align('left');
  for (const font of fontsOf(caps)) {
    encoder.font(font.name);
    line(`Font ${font.name} ${font.width}x${font.height}`);
  }
  encoder.font('A');

  // Every code page of the model's table, by the number its maker gives it.
  const pages = [...new Set(codepageMappings['esc-pos'][caps.codepages].filter(Boolean))];
  for (const page of pages) {
    const chars = printable(page);
    if (!chars) continue;
    encoder.codepage('cp437');
    encoder.text(`[${page}]`);
    encoder.codepage(page);
    encoder.line(chars);
    pageTexts[page] = `[${page}]${chars}`;
    expect.codePages.push(page);
  }
  encoder.codepage('cp437');

  // An image in each mode the encoder knows.
  for (const mode of ['column', 'raster']) {
    encoder.image(testImage(96, 48), {width: 96, height: 48, mode});
    expect.images++;
  }

  // Every symbology the model prints, with modules of two dots, and its 2D codes.
  for (const symbology of caps.barcodes.supported ? caps.barcodes.symbologies : []) {
    const [value, reading] = barcodeData[symbology];
    const gs1 = symbology.startsWith('gs1-');
    encoder.barcode(value, symbology, {height: 60, width: gs1 ? 2 : 1, text: 'below'});
    expect.symbols.push({symbology, gsK: symbologyNumbers[symbology], reads: reading(value)});
  }
  if (caps.qrcode.supported) {
    const model = caps.qrcode.models.includes('2') ? 2 : null;
    encoder.qrcode(qrText, {model, size: 4, errorlevel: 'm'});
    expect.symbols.push({symbology: 'qrcode', reads: qrText});
  }
  if (caps.pdf417.supported || caps.pdf417.fallback) {
    encoder.pdf417(pdfText, {width: 3, height: 3});
    expect.symbols.push({symbology: 'pdf417', reads: pdfText});
  }
  encoder.cut();
  return {bytes: encoder.encode(), expect};
}

fs.mkdirSync(outDir, {recursive: true});
for (const f of fs.readdirSync(outDir)) if (f.endsWith('.bin')) fs.unlinkSync(path.join(outDir, f));
const files = new Map();  // hash of the bytes -> file name
const manifest = {
  encoder: `@point-of-sale/receipt-printer-encoder ${packageVersion('@point-of-sale/receipt-printer-encoder')}`,
  codepageEncoder: `@point-of-sale/codepage-encoder ${packageVersion('@point-of-sale/codepage-encoder')}`,
  receipts: [],
  codePages: pageTexts,
};
for (const [id, definition] of Object.entries(printerDefinitions)) {
  if (definition.capabilities.language !== 'esc-pos') continue;
  const {bytes, expect} = receipt(id, definition);
  const hash = crypto.createHash('sha256').update(bytes).digest('hex');
  if (!files.has(hash)) {
    files.set(hash, `${id}.bin`);
    fs.writeFileSync(path.join(outDir, `${id}.bin`), bytes);
  }
  manifest.receipts.push({model: id, file: files.get(hash), ...expect});
}
fs.writeFileSync(path.join(outDir, 'manifest.json'), JSON.stringify(manifest, null, 1) + '\n');
console.log(`${manifest.receipts.length} receipts in ${files.size} files`);
