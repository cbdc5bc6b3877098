// What the independent encoder knows about printers, read from its published
// package: its printer definitions and each maker's ESC t numbering live in
// module-level constants it does not export, so they are taken from its
// source text and evaluated on their own (plain object literals, no code).
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import {fileURLToPath} from 'node:url';

import CodepageEncoder from '@point-of-sale/codepage-encoder';
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';

// The packages sit in node_modules beside this file (with-encoder.sh puts them there).
function packageDir(name) {
  return path.join(path.dirname(fileURLToPath(import.meta.url)), 'node_modules', name);
}

export function packageVersion(name) {
  return JSON.parse(fs.readFileSync(path.join(packageDir(name), 'package.json'), 'utf8')).version;
}

export function loadEncoderData() {
  const file = path.join(packageDir('@point-of-sale/receipt-printer-encoder'), 'dist/receipt-printer-encoder.mjs');
  const source = fs.readFileSync(file, 'utf8');
  const start = source.indexOf('const codepageMappings = {');
  const end = source.indexOf('/* Type definitions */', start);
  if (start < 0 || end < 0) throw new Error(`${file}: printer definitions not found`);
  const context = {};
  vm.runInNewContext(`${source.slice(start, end)}\nthis.data = {codepageMappings, printerDefinitions};`, context);
  return context.data;
}

// A code page's characters, byte 0x00..0xFF; undefined where the page has none.
export function codePoints(name) {
  return CodepageEncoder.getEncoding(name).codepoints.map((c) => (c === undefined || c === 0xfffd ? undefined : c));
}

// GS k m (function B) of each symbology name the encoder uses.
export const symbologyNumbers = {
  'upca': 65, 'upce': 66, 'ean13': 67, 'ean8': 68, 'code39': 69, 'itf': 70, 'codabar': 71, 'code93': 72,
  'code128': 73, 'gs1-128': 74, 'gs1-databar-omni': 75, 'gs1-databar-truncated': 76,
  'gs1-databar-limited': 77, 'gs1-databar-expanded': 78, 'code128-auto': 79,
};

// The fonts a model prints with, without the placeholder sizes ("0x0") some definitions carry.
export function fontsOf(capabilities) {
  return Object.entries(capabilities.fonts)
      .map(([name, f]) => {
        const [width, height] = f.size.split('x').map(Number);
        return {name, width, height, columns: f.columns};
      })
      .filter((f) => f.width > 0 && f.height > 0);
}

export {CodepageEncoder, ReceiptPrinterEncoder};
