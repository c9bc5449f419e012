// Length of a MIDI file in milliseconds: midi-file's parse, then a tempo-map walk over
// every track to the latest End of Track (format 2 patterns one after another).
const fs = require('fs');
const { parseMidi } = require('midi-file');

const midi = parseMidi(fs.readFileSync(process.argv[2]));
const division = midi.header.ticksPerBeat;
const smpte = midi.header.framesPerSecond;
const tracks = midi.tracks.map((events) => {
  let tick = 0;
  const tempos = [];
  for (const e of events) {
    tick += e.deltaTime;
    if (e.type === 'setTempo') tempos.push({ tick, tempo: e.microsecondsPerBeat });
  }
  return { end: tick, tempos };
});

function seconds(endTick, tempos) {
  if (smpte) {
    const fps = smpte === 29 ? 30000 / 1001 : smpte;
    return endTick / (fps * midi.header.ticksPerFrame);
  }
  tempos.sort((a, b) => a.tick - b.tick);
  let micros = 0, tick = 0, tempo = 500000;
  for (const t of tempos) {
    if (t.tick > endTick) break;
    micros += ((t.tick - tick) * tempo) / division;
    tick = t.tick;
    tempo = t.tempo;
  }
  return (micros + ((endTick - tick) * tempo) / division) / 1e6;
}

let total;
if (midi.header.format === 2) {
  let offset = 0;
  const tempos = [];
  for (const t of tracks) {
    for (const x of t.tempos) tempos.push({ tick: x.tick + offset, tempo: x.tempo });
    offset += t.end;
  }
  total = seconds(offset, tempos);
} else {
  const end = Math.max(...tracks.map((t) => t.end));
  total = seconds(end, tracks.flatMap((t) => t.tempos));
}
console.log((total * 1000).toFixed(3));
