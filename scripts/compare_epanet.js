#!/usr/bin/env node
// Solves random looped networks with ВОЛМ's loop solver and with the reference
// engine of pipe networks (the npm package epanet-js, EPANET 2.2) and prints
// the largest differences of heads and flows.
//
// The friction law of every pipe is matched to the standard method's
// quadratic-zone law as epanet_network.js says.
//
// Not part of the test suite. Run:
//   npm install --prefix /tmp/epanet epanet-js@0.7
//   cmake --build build --target volm_loop_solve
//   NODE_PATH=/tmp/epanet/node_modules node scripts/compare_epanet.js build/bench-bin/volm_loop_solve [SEED]
'use strict';
const { execFileSync } = require('child_process');
const { DENSITY, SOURCE_HEAD, solveEngine, calibrate, networkText } = require('./epanet_network');
const sizes = (process.env.SECTIONS || '10,100,1000,10000').split(',').map(Number);

const solver = process.argv[2];
if (!solver) {
  console.error('usage: compare_epanet.js PATH/volm_loop_solve [SEED]');
  process.exit(2);
}
const seed0 = Number(process.argv[3] || 33);

const INNER = [0.051, 0.07, 0.082, 0.1, 0.125, 0.15, 0.207, 0.259, 0.309, 0.359, 0.408, 0.466, 0.514, 0.616, 0.702, 0.804, 1.0, 1.2, 1.4];

function random(seed) {  // mulberry32
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// A tree grown from the source (each node hangs on a random earlier one) plus
// jumpers that tie a node to one a few sections away across a branch point, as
// district networks are tied; each pipe sized for about 1 m/s at the flow the
// tree gives it.
function network(sections, jumperShare, seed) {
  const rnd = random(seed);
  const jumpers = Math.max(1, Math.round(sections * jumperShare));
  const nodes = sections - jumpers + 1;
  const parent = [-1], demand = [0], children = [[]];
  for (let v = 1; v < nodes; v++) {
    const p = Math.floor(rnd() * v);
    parent.push(p);
    children.push([]);
    children[p].push(v);
    demand.push(0.5 + 19.5 * rnd());  // every node draws: no pipe of the tree stands still
  }
  const below = demand.slice();
  for (let v = nodes - 1; v > 0; v--) below[parent[v]] += below[v];
  const sized = (flow) => {
    const d = Math.sqrt(4 * flow / 3600 / DENSITY * 1000 / Math.PI);
    return INNER.find((x) => x >= d) || INNER[INNER.length - 1];
  };
  const pipes = [];
  for (let v = 1; v < nodes; v++) {
    const backwards = rnd() < 0.2;
    pipes.push({ from: backwards ? v : parent[v], to: backwards ? parent[v] : v, length: 20 + 480 * rnd(), d: sized(below[v]) });
  }
  for (let made = 0; made < jumpers;) {
    const a = 1 + Math.floor(rnd() * (nodes - 1));
    let c = a;
    for (let up = 1 + Math.floor(rnd() * 3); up > 0 && c > 0; up--) c = parent[c];
    let b = c;
    for (let down = 1 + Math.floor(rnd() * 4); down > 0 && children[b].length; down--)
      b = children[b][Math.floor(rnd() * children[b].length)];
    if (b === a || b === 0) continue;
    pipes.push({ from: a, to: b, length: 20 + 480 * rnd(), d: sized(Math.min(below[a], below[b]) / 2) });
    made++;
  }
  return { nodes, demand, pipes };
}

function solveVolm(net) {
  const out = execFileSync(solver, { input: networkText(net), maxBuffer: 1 << 28 }).toString().split('\n');
  const [, iterations, , imbalance, , seconds] = out[0].split(' ');
  const flow = [], loss = [];
  for (const l of out.slice(1)) {
    const [kind, i, v] = l.split(' ');
    if (kind === 'flow') flow[+i] = +v;
    else if (kind === 'loss') loss[+i] = +v;
  }
  return { iterations: +iterations, imbalance: +imbalance, seconds: +seconds, flow, loss };
}

calibrate();
let worstHead = 0, worstFlow = 0, seed = seed0;
console.log('sections  jumpers  iterations  max |Δhead|, m  max |Δflow|, t/h  ВОЛМ solve, s  engine open+solve, s');
for (const sections of sizes)
  for (const share of [0.01, 0.03, 0.05]) {
    const net = network(sections, share, seed++);
    const a = solveVolm(net), b = solveEngine(net);
    let dh = 0, dq = 0;
    for (let v = 0; v < net.nodes; v++) dh = Math.max(dh, Math.abs(SOURCE_HEAD - a.loss[v] - b.head[v]));
    for (let i = 0; i < net.pipes.length; i++) dq = Math.max(dq, Math.abs(a.flow[i] - b.flow[i]));
    worstHead = Math.max(worstHead, dh);
    worstFlow = Math.max(worstFlow, dq);
    const jumpers = net.pipes.length - (net.nodes - 1);
    console.log(`${String(sections).padStart(8)}  ${String(jumpers).padStart(7)}  ${String(a.iterations).padStart(10)}  ` +
      `${dh.toExponential(2).padStart(14)}  ${dq.toExponential(2).padStart(16)}  ${a.seconds.toFixed(4).padStart(13)}  ` +
      `${b.seconds.toFixed(4).padStart(20)}`);
  }
const ok = worstHead <= 1e-4 && worstFlow <= 1e-4;
console.log(`largest differences: heads ${worstHead.toExponential(2)} m, flows ${worstFlow.toExponential(2)} t/h: ${ok ? 'agree' : 'DISAGREE'}`);
process.exit(ok ? 0 : 1);
