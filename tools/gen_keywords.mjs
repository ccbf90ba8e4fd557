#!/usr/bin/env node
// Regenerates the keyword files and the page template in settings/ from
// published web-platform data. The generated files are committed, so neither
// the build nor the program needs the network; run this only to refresh them.
//
//   node tools/gen_keywords.mjs                 installs PACKAGES into a temporary
//                                               directory with npm, then generates
//   node tools/gen_keywords.mjs DIR             uses DIR/node_modules as installed
//   node tools/gen_keywords.mjs DIR OUTDIR      writes into OUTDIR instead of settings/
//
// The versions below produced the files now in settings/. A different
// installed version is refused, so that a refresh is always a deliberate
// edit of this table.
//
// Where the data comes from:
//   tags.txt             elements of the HTML standard that are not obsolete
//                        (@webref/elements), their attributes (html-element-attributes
//                        and @vscode/web-custom-data) without those marked deprecated
//                        (@mdn/browser-compat-data), global attributes, a value
//                        template ="" unless the attribute is boolean
//                        (property-information), descriptions from
//                        @vscode/web-custom-data (text adapted from MDN Web Docs,
//                        by Mozilla Contributors, CC-BY-SA 2.5)
//   css.txt              standard properties of mdn-data, descriptions from
//                        @vscode/web-custom-data (MDN Web Docs, CC-BY-SA 2.5)
//   htmlSpecialChars.txt the named character references (character-entities)
//   phpKeywords.txt      the PHP keywords, compile-time constants and language
//                        constructs (listed below, from the PHP manual's list
//                        of reserved words), lower case: PHP compares them so
//   jsKeywords.txt       the ECMAScript reserved and contextual words (listed
//                        below, from the language definition) and the
//                        built-in globals (globals), plus common browser globals
//   template.html        written from the text in this script
//
// Formats: tags.txt lines begin with the tag name, attribute lines with a
// TAB, fields are TAB-separated (text, description); '#' lines are comments.
// css.txt and htmlSpecialChars.txt take every line as a candidate, so they
// carry no comment and no final line feed (it would add an empty candidate).
// jsKeywords.txt and phpKeywords.txt have one word per line, a TAB and a
// short category.

import { execFileSync } from 'node:child_process';
import { mkdtempSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const PACKAGES = {
    '@webref/elements': '2.9.0',
    'html-element-attributes': '3.5.0',
    '@mdn/browser-compat-data': '8.1.9',
    '@vscode/web-custom-data': '0.6.3',
    'property-information': '7.2.0',
    'mdn-data': '2.37.2',
    'character-entities': '2.0.2',
    'globals': '17.15.0',
};

const here = dirname(fileURLToPath(import.meta.url));
let packageDir = process.argv[2];
const outDir = resolve(process.argv[3] ?? join(here, '..', 'settings'));

if (!packageDir) {
    packageDir = mkdtempSync(join(tmpdir(), 'mossglen-keywords-'));
    writeFileSync(join(packageDir, 'package.json'), '{"private": true}\n');
    const wanted = Object.entries(PACKAGES).map(([name, version]) => `${name}@${version}`);
    console.log(`Installing into ${packageDir}: ${wanted.join(' ')}`);
    execFileSync('npm', ['install', '--no-audit', '--no-fund', '--ignore-scripts', ...wanted],
                 { cwd: packageDir, stdio: 'inherit' });
}
packageDir = resolve(packageDir);

const require = createRequire(join(packageDir, 'package.json'));
const modulesDir = join(packageDir, 'node_modules');

for (const [name, version] of Object.entries(PACKAGES)) {
    const manifest = JSON.parse(readFileSync(join(modulesDir, name, 'package.json'), 'utf8'));
    if (manifest.version !== version) {
        console.error(`${name} is ${manifest.version}, expected ${version}: update PACKAGES first.`);
        process.exit(1);
    }
}

async function importPackage(name) {
    const manifest = JSON.parse(readFileSync(join(modulesDir, name, 'package.json'), 'utf8'));
    let entry = manifest.exports ?? manifest.main ?? 'index.js';
    if (typeof entry === 'object')
        entry = entry['.']?.default ?? entry['.']?.import ?? entry['.'] ?? entry.default;
    if (typeof entry === 'object')
        entry = entry.default ?? entry.import;
    return import(pathToFileURL(join(modulesDir, name, entry)).href);
}

// JSON data is read from the package folders directly: not every package
// exports its data files.
const readJson = (path) => JSON.parse(readFileSync(join(modulesDir, path), 'utf8'));

const webrefHtml = readJson('@webref/elements/html.json');
const { htmlElementAttributes } = await importPackage('html-element-attributes');
const bcd = readJson('@mdn/browser-compat-data/data.json');
const vscodeHtml = readJson('@vscode/web-custom-data/data/browsers.html-data.json');
const vscodeCss = readJson('@vscode/web-custom-data/data/browsers.css-data.json');
const { html: htmlSchema, find: findProperty } = await importPackage('property-information');
const mdnCssProperties = readJson('mdn-data/css/properties.json');
const { characterEntities } = await importPackage('character-entities');
const globals = require('globals');

const byName = (a, b) => (a < b ? -1 : a > b ? 1 : 0);

// A one-line description: the first sentence of a markdown text, without
// links and emphasis, cut at a word boundary.
function shortDescription(description, subject = '', limit = 72) {
    let text = typeof description === 'string' ? description : description?.value ?? '';
    text = text
        .replace(/\[([^\]]*)\]\([^)]*\)/g, '$1')
        .replace(/[`*]/g, '')
        .replace(/\b_([^_]+)_\b/g, '$1')
        .replace(/\s+/g, ' ')
        .trim();
    // The first sentence; "e.g." and the like end none.
    const sentence = text.match(/^.*?[.!?](?=\s+[A-Z]|$)/);
    if (sentence)
        text = sentence[0];
    if (subject) {
        // "The br element represents a line break." says no more than
        // "Represents a line break." beside the name br.
        const lead = new RegExp(`^(?:The|An?) ${subject} (?:element|CSS property|property) `);
        text = text.replace(lead, '');
    }
    text = text.replace(/^./, (c) => c.toUpperCase());
    if (text.length > limit) {
        const cut = text.lastIndexOf(' ', limit - 1);
        text = text.slice(0, cut > 0 ? cut : limit - 1).replace(/[,;:]$/, '') + '…';
    }
    return text;
}

function field(text) {
    if (/[\t\n\r]/.test(text))
        throw new Error(`field with a TAB or line break: ${JSON.stringify(text)}`);
    return text;
}

function line(text, description) {
    return description ? `${field(text)}\t${field(description)}` : field(text);
}

function header(lines) {
    return lines.map((text) => `# ${text}`);
}

// ---------------------------------------------------------------- tags.txt

function isDeprecated(compat) {
    const status = compat?.__compat?.status;
    return !!status && (status.deprecated || !status.standard_track);
}

function attributeText(name) {
    const info = findProperty(htmlSchema, name);
    const bare = info.boolean || info.overloadedBoolean;
    return bare ? name : `${name}=""`;
}

function buildTags() {
    const vscodeTags = new Map(vscodeHtml.tags.map((tag) => [tag.name, tag]));
    const vscodeGlobals = new Map(vscodeHtml.globalAttributes.map((a) => [a.name, a]));
    const bcdGlobals = bcd.html.global_attributes;

    const globalNames = new Set(htmlElementAttributes['*']);
    for (const [name, compat] of Object.entries(bcdGlobals)) {
        if (/^[a-z]+$/.test(name) && !isDeprecated(compat))
            globalNames.add(name);
    }
    for (const name of [...globalNames]) {
        if (isDeprecated(bcdGlobals[name]))
            globalNames.delete(name);
    }
    const globalLines = [...globalNames].sort(byName).map((name) =>
        '\t' + line(attributeText(name),
                    shortDescription(vscodeGlobals.get(name)?.description) || 'global attribute'));

    const elements = webrefHtml.elements.filter((e) => !e.obsolete).map((e) => e.name);
    const lines = header([
        'HTML elements and their attributes, for completion and colouring.',
        'A line that begins with a letter is a tag: name, TAB, description.',
        'A line that begins with a TAB is an attribute of the tag above: text, TAB, description.',
        'Generated by tools/gen_keywords.mjs from ' +
            Object.entries(PACKAGES).filter(([name]) => name !== 'mdn-data' &&
                name !== 'character-entities' && name !== 'globals')
                .map(([name, version]) => `${name} ${version}`).join(', ') + '.',
        'Descriptions adapted from MDN Web Docs by Mozilla Contributors, CC-BY-SA 2.5.',
    ]);
    let missingDescriptions = [];
    for (const name of [...new Set(elements)].sort(byName)) {
        const vscodeTag = vscodeTags.get(name);
        const bcdElement = bcd.html.elements[name] ?? {};
        const description = shortDescription(vscodeTag?.description, name);
        if (!description)
            missingDescriptions.push(name);
        lines.push(line(name, description));

        // An attribute that the compatibility data knows counts when it is on
        // the standards track and not deprecated; one it does not know needs
        // both attribute lists, which drops the leftovers of HTML 4.
        const listed = new Set(htmlElementAttributes[name] ?? []);
        const described = new Map((vscodeTag?.attributes ?? []).map((a) => [a.name, a.description]));
        const ownLines = [];
        for (const attr of [...new Set([...listed, ...described.keys()])].sort(byName)) {
            if (globalNames.has(attr))
                continue;
            const compat = bcdElement[attr];
            const wanted = compat ? !isDeprecated(compat) : listed.has(attr) && described.has(attr);
            if (wanted)
                ownLines.push('\t' + line(attributeText(attr), shortDescription(described.get(attr))));
        }
        lines.push(...ownLines, ...globalLines);
    }
    if (missingDescriptions.length)
        console.log(`tags without description: ${missingDescriptions.join(' ')}`);
    return { text: lines.join('\n') + '\n', count: elements.length };
}

// ----------------------------------------------------------------- css.txt

function buildCss() {
    const descriptions = new Map(vscodeCss.properties.map((p) => [p.name, p.description]));
    const names = Object.entries(mdnCssProperties)
        .filter(([name, info]) => /^[a-z]/.test(name) && info.status === 'standard')
        .map(([name]) => name)
        .sort(byName);
    const lines = names.map((name) => line(name, shortDescription(descriptions.get(name), name)));
    return { text: lines.join('\n'), count: names.length };
}

// ---------------------------------------------------- htmlSpecialChars.txt

// The references people type most come first, the rest in alphabetical order.
const COMMON_REFERENCES = [
    'amp', 'lt', 'gt', 'quot', 'apos', 'nbsp', 'copy', 'reg', 'trade', 'hellip',
    'mdash', 'ndash', 'laquo', 'raquo', 'ldquo', 'rdquo', 'lsquo', 'rsquo',
    'middot', 'bull', 'times', 'divide', 'deg', 'plusmn', 'micro', 'para', 'sect',
    'euro', 'yen', 'pound', 'cent', 'larr', 'rarr', 'uarr', 'darr',
];

function shownCharacter(value) {
    // Invisible characters, line breaks and lone combining marks are shown
    // as code points: a raw line feed or TAB would break the line format.
    if (/[\p{C}\p{Z}]/u.test(value) || /^\p{M}/u.test(value))
        return [...value].map((c) => 'U+' + c.codePointAt(0).toString(16).toUpperCase().padStart(4, '0')).join(' ');
    return value;
}

function buildCharRefs() {
    const names = Object.keys(characterEntities);
    for (const name of COMMON_REFERENCES) {
        if (!(name in characterEntities))
            throw new Error(`unknown reference ${name}`);
    }
    const common = new Set(COMMON_REFERENCES);
    const rest = names.filter((name) => !common.has(name))
        .sort((a, b) => byName(a.toLowerCase(), b.toLowerCase()) || byName(a, b));
    const lines = [...COMMON_REFERENCES, ...rest].map((name) =>
        line(`&${name};`, shownCharacter(characterEntities[name])));
    return { text: lines.join('\n'), count: lines.length };
}

// ---------------------------------------------------------- jsKeywords.txt

// ECMAScript reserved words, the words reserved in strict mode, and the
// words that act as keywords in some places only.
const RESERVED = [
    'await', 'break', 'case', 'catch', 'class', 'const', 'continue', 'debugger',
    'default', 'delete', 'do', 'else', 'enum', 'export', 'extends', 'false',
    'finally', 'for', 'function', 'if', 'import', 'in', 'instanceof', 'new',
    'null', 'return', 'super', 'switch', 'this', 'throw', 'true', 'try',
    'typeof', 'var', 'void', 'while', 'with', 'yield',
];
const STRICT_RESERVED = ['implements', 'interface', 'let', 'package', 'private', 'protected',
                         'public', 'static'];
const CONTEXTUAL = ['arguments', 'as', 'async', 'eval', 'from', 'get', 'of', 'set'];
const BROWSER_GLOBALS = [
    'alert', 'cancelAnimationFrame', 'clearInterval', 'clearTimeout', 'confirm', 'console',
    'customElements', 'document', 'fetch', 'history', 'localStorage', 'location',
    'navigator', 'prompt', 'queueMicrotask', 'requestAnimationFrame', 'sessionStorage',
    'setInterval', 'setTimeout', 'structuredClone', 'window',
];

function buildJsKeywords() {
    const entries = new Map();
    const add = (words, category) => {
        for (const word of words) {
            if (!entries.has(word))
                entries.set(word, category);
        }
    };
    add(RESERVED, 'reserved word');
    add(STRICT_RESERVED, 'reserved in strict mode');
    add(CONTEXTUAL, 'contextual keyword');
    add(Object.keys(globals.builtin).sort(byName), 'built-in global');
    for (const name of BROWSER_GLOBALS) {
        if (!(name in globals.browser))
            throw new Error(`${name} is not a browser global`);
    }
    add(BROWSER_GLOBALS, 'browser global');
    const lines = [...entries].map(([word, category]) => line(word, category));
    return { text: lines.join('\n') + '\n', count: lines.length };
}

// --------------------------------------------------------- phpKeywords.txt

const PHP_KEYWORDS = [
    '__halt_compiler', 'abstract', 'and', 'array', 'as', 'break', 'callable', 'case',
    'catch', 'class', 'clone', 'const', 'continue', 'declare', 'default', 'die', 'do',
    'echo', 'else', 'elseif', 'empty', 'enddeclare', 'endfor', 'endforeach', 'endif',
    'endswitch', 'endwhile', 'enum', 'eval', 'exit', 'extends', 'final', 'finally', 'fn',
    'for', 'foreach', 'function', 'global', 'goto', 'if', 'implements', 'include',
    'include_once', 'instanceof', 'insteadof', 'interface', 'isset', 'list', 'match',
    'namespace', 'new', 'or', 'print', 'private', 'protected', 'public', 'readonly',
    'require', 'require_once', 'return', 'static', 'switch', 'throw', 'trait', 'try',
    'unset', 'use', 'var', 'while', 'xor', 'yield',
];
const PHP_CONSTANTS = ['__class__', '__dir__', '__file__', '__function__', '__line__',
                       '__method__', '__namespace__', '__trait__', 'false', 'null', 'true'];
const PHP_TYPES = ['bool', 'float', 'int', 'iterable', 'mixed', 'never', 'object', 'parent',
                   'self', 'string', 'void'];

function buildPhpKeywords() {
    const entries = new Map();
    const add = (words, category) => {
        for (const word of words) {
            if (!entries.has(word))
                entries.set(word, category);
        }
    };
    add(PHP_KEYWORDS, 'keyword');
    add(PHP_CONSTANTS, 'constant');
    add(PHP_TYPES, 'type');
    const lines = [...entries].map(([word, category]) => line(word, category));
    return { text: lines.join('\n') + '\n', count: lines.length };
}

// ----------------------------------------------------------- template.html

const TEMPLATE = `<!DOCTYPE html>
<html lang="en">
<head>
\t<meta charset="UTF-8">
\t<meta name="viewport" content="width=device-width, initial-scale=1">
\t<meta name="author" content="">
\t<title>TITLE</title>
\t<link rel="stylesheet" href="style.css">
</head>
<body>

</body>
</html>
`;

// ------------------------------------------------------------------ output

mkdirSync(outDir, { recursive: true });
const outputs = {
    'tags.txt': buildTags(),
    'css.txt': buildCss(),
    'htmlSpecialChars.txt': buildCharRefs(),
    'jsKeywords.txt': buildJsKeywords(),
    'phpKeywords.txt': buildPhpKeywords(),
    'template.html': { text: TEMPLATE, count: TEMPLATE.split('\n').length - 1 },
};
for (const [file, { text, count }] of Object.entries(outputs)) {
    writeFileSync(join(outDir, file), text, 'utf8');
    console.log(`${file}: ${count} entries`);
}
