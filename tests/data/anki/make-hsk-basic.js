// Writes hsk-basic.apkg with the npm package anki-apkg-export 4.0.3, the way a learner's
// tool would export a small deck. Not run by the build or CI; run by hand where the
// package is installed:  npm install anki-apkg-export@4.0.3 && node make-hsk-basic.js
// The meanings are from the bundled groups (data/ciku, adapted from CC-CEDICT).
const fs = require('fs');
const AnkiExport = require('anki-apkg-export').default;

const apkg = new AnkiExport('HSK 1');
const words = [
    ['的', 'de', 'of; possessive particle'],
    ['我', 'wǒ', 'I; me; my'],
    ['是', 'shì', 'to be; correct; right; true'],
    ['你', 'nǐ', 'you'],
    ['在', 'zài', 'to be at; at; to exist'],
];
for (const [word, pinyin, meaning] of words) {
    apkg.addCard(word, `${pinyin}<br>${meaning}`, { tags: ['HSK1', 'lesson 1'] });
}
apkg.save()
    .then(zip => fs.writeFileSync(`${__dirname}/hsk-basic.apkg`, zip, 'binary'))
    .catch(err => {
        console.error(err.stack || err);
        process.exit(1);
    });
