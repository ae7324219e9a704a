// Writes hsk-fields.apkg with the npm package genanki-js 2.0.0: a note type of four fields
// as HSK decks have them, and a Basic one beside it. Not run by the build or CI; run by
// hand:  npm install genanki-js@2.0.0 sql.js@1.8.0 && node make-hsk-fields.mjs
// genanki-js builds the collection (Package.write); its writeToFile saves through a
// browser download, so the same zip is made here with its JSZip and written to disk. Its
// bundle imports CommonJS modules by name, which node refuses, so a copy with those import
// lines rewritten is loaded; the rest of the bundle is as published.
// The meanings are from the bundled groups (data/ciku, adapted from CC-CEDICT).
import fs from 'fs';
import { createRequire } from 'module';
import JSZip from 'jszip';

const require = createRequire(import.meta.url);
const bundle = require.resolve('genanki-js/dist/genanki.js');
const copy = bundle.replace(/\.js$/, '-node.mjs');
fs.writeFileSync(copy, fs.readFileSync(bundle, 'utf8')
    .replace('import { saveAs } from "file-saver";', 'const saveAs = () => {};')
    .replace('import { sha256 } from "js-sha256";',
             'import sha from "js-sha256"; const { sha256 } = sha;'));
const { Model, Deck, Package, APKG_SCHEMA } = await import(copy);
const SQL = await require('sql.js')();

const hsk = new Model({
    name: 'HSK Vocabulary',
    id: '1607392319',
    flds: [{ name: 'Simplified' }, { name: 'Traditional' }, { name: 'Pinyin' },
           { name: 'Meaning' }],
    req: [[0, 'all', [0]]],
    tmpls: [{ name: 'Recognition', qfmt: '{{Simplified}}',
              afmt: '{{FrontSide}}<hr id=answer>{{Pinyin}}<br>{{Meaning}}' }],
});
const basic = new Model({
    name: 'Basic',
    id: '1607392320',
    flds: [{ name: 'Front' }, { name: 'Back' }],
    req: [[0, 'all', [0]]],
    tmpls: [{ name: 'Card 1', qfmt: '{{Front}}', afmt: '{{FrontSide}}<hr id=answer>{{Back}}' }],
});

const deck = new Deck(1607392321, 'HSK 1-2');
deck.addNote(hsk.note(['爱', '愛', 'ài', 'to love; love; affection'], ['HSK1']));
deck.addNote(hsk.note(['说话', '說話', 'shuō huà', 'to speak; to say; to talk'], ['HSK2']));
deck.addNote(hsk.note(['学生', '學生', 'xué sheng', 'student; schoolchild'], ['HSK1']));
deck.addNote(hsk.note(['汉语', '漢語', 'Hàn yǔ', 'Chinese language'], ['HSK1']));
deck.addNote(basic.note(['电脑', '<b>diàn nǎo</b><br>computer']));
deck.addNote(basic.note(['飞机', 'fēi jī<div>airplane &amp; plane</div>']));

const pkg = new Package();
const db = new SQL.Database();
db.run(APKG_SCHEMA);
pkg.addDeck(deck);
pkg.write(db);
const zip = new JSZip();
zip.file('collection.anki2', db.export());
zip.file('media', JSON.stringify({}));
const bytes = await zip.generateAsync({ type: 'nodebuffer', compression: 'DEFLATE' });
fs.writeFileSync(new URL('./hsk-fields.apkg', import.meta.url), bytes);
