#!/usr/bin/env node
// The reference engine of pipe networks (epanet-js) on one network written as
// the loop solver's tool reads it (see epanet_network.js): prints the least
// seconds of its bare open + solve over REPEATS tries, then "flow P G" per pipe
// (t/h) and "loss N H" per node (head loss from the source, m).
//
//   NODE_PATH=/tmp/epanet/node_modules node scripts/epanet_time.js NETWORK.txt [REPEATS]
'use strict';
const fs = require('fs');
const { SOURCE_HEAD, solveEngine, calibrate, readNetwork } = require('./epanet_network');

const file = process.argv[2];
if (!file) {
  console.error('usage: epanet_time.js NETWORK.txt [REPEATS]');
  process.exit(2);
}
const net = readNetwork(fs.readFileSync(file, 'utf8'));
calibrate();
const e = solveEngine(net, Number(process.argv[3] || 5));
const out = [`seconds ${e.seconds.toFixed(6)}`];
e.flow.forEach((g, p) => out.push(`flow ${p} ${g}`));
e.head.forEach((h, v) => out.push(`loss ${v} ${SOURCE_HEAD - h}`));
process.stdout.write(out.join('\n') + '\n');
