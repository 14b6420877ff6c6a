// Expands a tracery grammar built from a lyric data folder: one symbol per
// word category, the frames as the rules of "origin", every tag written as
// #Tag#. Prints the best of three timed runs of COUNT expansions.
// Usage: node expand.js TRACERY_MODULE DATA_FOLDER COUNT
'use strict';
const fs = require('fs');
const path = require('path');

const [modulePath, folder, countText] = process.argv.slice(2);
const tracery = require(modulePath);
const count = Number(countText);
const tags = ['Gi', 'Ad', 'Vi', 'Vt', 'No'];

// The data files are UTF-8 or CP932, with CR LF, LF or CR line ends.
function readLines(name) {
    let bytes = fs.readFileSync(path.join(folder, name));
    let text;
    try {
        text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
    } catch (e) {
        text = new TextDecoder('shift_jis').decode(bytes);
    }
    text = text.replace(/^\uFEFF/, '');
    const lines = text.split(/\r\n|\n|\r/);
    if (lines.length && lines[lines.length - 1] === '')
        lines.pop();
    return lines;
}

const isComment = (line) => line.startsWith("'");
// Tracery reads "#", "[", "]" and "\" in rules; keep them as plain text.
const escape = (text) => text.replace(/[\\#\[\]]/g, (c) => '\\' + c);

const grammar = {};
for (const tag of tags)
    grammar[tag] = readLines(tag + '.dat').filter((l) => !isComment(l)).map(escape);

// Frames as the program reads them: lines up to a line of "@", the text cut
// at its first "@", every line preceded by a line break.
const frames = [];
let frame = null;
for (const line of readLines('Kasi.dat')) {
    if (frame === null)
        frame = '';
    if (!isComment(line))
        frame += '\r\n' + line;
    if (line === '@') {
        frames.push(frame.slice(0, frame.indexOf('@')));
        frame = null;
    }
}
grammar.origin = frames.map((f) => escape(f).replace(/Gi|Ad|Vi|Vt|No/g, (t) => '#' + t + '#'));

const expander = tracery.createGrammar(grammar);
// CPU seconds of the whole process: the garbage collector's helper threads
// work for the expansion too.
function cpuSeconds() {
    const usage = process.cpuUsage();
    return (usage.user + usage.system) / 1e6;
}

let best = Infinity;
let bestCpu = Infinity;
let characters = 0;
for (let round = 0; round < 3; ++round) {
    const start = process.hrtime.bigint();
    const startCpu = cpuSeconds();
    for (let i = 0; i < count; ++i) {
        characters += expander.flatten('#origin#').length;
        // Each symbol keeps every node it expanded until its state is
        // cleared: long runs of long songs would fill the heap.
        if (i % 1000 === 999)
            expander.clearState();
    }
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    bestCpu = Math.min(bestCpu, cpuSeconds() - startCpu);
}
const version = require(path.join(path.dirname(require.resolve(modulePath)), 'package.json')).version;
console.log(`tracery-grammar ${version}: ${frames.length} frames, ${count} songs in ` +
            `${best.toFixed(3)} s, ${bestCpu.toFixed(2)} s of CPU (${characters} characters in all)`);
console.log(`songs_per_second=${Math.round(count / best)}`);
console.log(`songs_per_cpu_second=${Math.round(count / bestCpu)}`);
