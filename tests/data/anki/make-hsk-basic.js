// Writes hsk-basic.apkg with the npm package anki-apkg-export 4.0.3, the way a learner's
// tool would export a small deck, and readme-example.apkg, the example of that package's
// README without its image. Not run by the build or CI; run by hand where the package is
// installed:  npm install anki-apkg-export@4.0.3 && node make-hsk-basic.js
// The meanings are from the bundled groups (data/ciku, adapted from CC-CEDICT).
const fs = require('fs');
const AnkiExport = require('anki-apkg-export').default;

function save(apkg, name) {
    return apkg.save().then(zip => fs.writeFileSync(`${__dirname}/${name}`, zip, 'binary'));
}

const hsk = new AnkiExport('HSK 1');
const words = [
    ['的', 'de', 'of; possessive particle'],
    ['我', 'wǒ', 'I; me; my'],
    ['是', 'shì', 'to be; correct; right; true'],
    ['你', 'nǐ', 'you'],
    ['在', 'zài', 'to be at; at; to exist'],
];
for (const [word, pinyin, meaning] of words) {
    hsk.addCard(word, `${pinyin}<br>${meaning}`, { tags: ['HSK1', 'lesson 1'] });
}

const example = new AnkiExport('deck-name');
example.addCard('card #1 front', 'card #1 back');
example.addCard('card #2 front', 'card #2 back', { tags: ['nice', 'better card'] });
example.addCard('card #3 front', 'card #3 back');

Promise.all([save(hsk, 'hsk-basic.apkg'), save(example, 'readme-example.apkg')]).catch(err => {
    console.error(err.stack || err);
    process.exit(1);
});
