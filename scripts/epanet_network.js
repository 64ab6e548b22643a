// A network of pipes handed to the reference engine of pipe networks (the npm
// package epanet-js, EPANET 2.2) with the friction law matched to the standard
// method's quadratic-zone law λ = 0.11·(kэ/d)^0.25: the engine's Darcy–Weisbach
// with the viscosity made negligible gives λ = 0.25 / lg²(ε/3.7d), so each pipe
// gets the roughness ε for which the two agree (with the method's rounded
// 0.00688 and g = 9.81 m/s² carried into it). Flows are in t/h at one water
// density; node 0 is the source.
//
// A network is { nodes, demand: [t/h per node], pipes: [{ from, to, length, d }] }
// (length and inner diameter d in m), all of roughness kэ = ROUGHNESS.
'use strict';
const { Project, Workspace, NodeProperty, LinkProperty } = require('epanet-js');

const DENSITY = 971.77;              // kg/m³
const G = 9.81;                      // the method's g
const C_METHOD = 0.00688;            // the method's coefficient of R
const C_EXACT = 0.11 * 16 / (2 * 3.6 * 3.6 * Math.PI * Math.PI);  // the same from λ with no rounding
const ROUGHNESS = 0.0005;            // kэ, m
const SOURCE_HEAD = 1000;            // m
let engineScale = 32.2 * 0.3048 / G;  // the engine's g (32.2 ft/s²) over the method's; refined by calibrate()

// The engine's roughness (mm) for which its law equals the method's on a pipe.
function engineRoughness(d) {
  const f = 0.11 * Math.pow(ROUGHNESS / d, 0.25) * (C_METHOD / C_EXACT) * engineScale;
  return 3.7 * Math.pow(10, -0.5 / Math.sqrt(f)) * d * 1000;
}

function inp(net) {
  const toCmh = (g) => g * 1000 / DENSITY;
  const l = ['[JUNCTIONS]'];
  for (let v = 1; v < net.nodes; v++) l.push(` n${v} 0 ${toCmh(net.demand[v]).toPrecision(17)}`);
  l.push('[RESERVOIRS]', ` n0 ${SOURCE_HEAD}`, '[PIPES]');
  net.pipes.forEach((p, i) =>
    l.push(` p${i} n${p.from} n${p.to} ${p.length.toPrecision(17)} ${(p.d * 1000).toPrecision(17)} ${engineRoughness(p.d).toPrecision(17)} 0 Open`));
  l.push('[OPTIONS]', ' Units CMH', ' Headloss D-W', ' Viscosity 1e-14', ' Accuracy 1e-5', ' Trials 2000',
    ' HEADERROR 1e-6', ' FLOWCHANGE 1e-6', '[END]');
  return l.join('\n') + '\n';
}

// The engine's heads (m) and flows (t/h) and the seconds of its bare open and
// solve, the least of `repeats` tries.
function solveEngine(net, repeats = 1) {
  const ws = new Workspace();
  ws.writeFile('net.inp', inp(net));
  let seconds = Infinity, head, flow;
  for (let k = 0; k < repeats; k++) {
    const model = new Project(ws);
    const start = process.hrtime.bigint();
    model.open('net.inp', 'net.rpt', 'net.bin');
    model.solveH();
    seconds = Math.min(seconds, Number(process.hrtime.bigint() - start) / 1e9);
    head = [SOURCE_HEAD];
    flow = [];
    for (let v = 1; v < net.nodes; v++) head[v] = model.getNodeValue(model.getNodeIndex(`n${v}`), NodeProperty.Head);
    net.pipes.forEach((p, i) => { flow[i] = model.getLinkValue(i + 1, LinkProperty.Flow) * DENSITY / 1000; });
    model.close();
  }
  return { seconds, head, flow };
}

// The engine's unit conversions carry its g with a few more digits than
// 32.2 ft/s² shows: one pipe of the method's law gives the factor exactly.
function calibrate() {
  const one = { nodes: 2, demand: [0, 100], pipes: [{ from: 0, to: 1, length: 1000, d: 0.207 }] };
  const lossMethod = C_METHOD * Math.pow(ROUGHNESS, 0.25) * 100 * 100 * 1000 / (G * DENSITY * DENSITY * Math.pow(0.207, 5.25));
  for (let k = 0; k < 3; k++) engineScale *= lossMethod / (SOURCE_HEAD - solveEngine(one).head[1]);
}

// A network written as the loop solver's tool reads it:
//   nodes N source 0 / pipe FROM TO LENGTH_M DIAMETER_M ROUGHNESS_M / demand NODE FLOW_T_PER_H
function networkText(net) {
  const lines = [`nodes ${net.nodes} source 0`];
  for (const p of net.pipes) lines.push(`pipe ${p.from} ${p.to} ${p.length} ${p.d} ${ROUGHNESS}`);
  net.demand.forEach((g, v) => { if (v > 0 && g > 0) lines.push(`demand ${v} ${g}`); });
  return lines.join('\n') + '\n';
}

// The same text read back (its roughness must be ROUGHNESS).
function readNetwork(text) {
  const net = { nodes: 0, demand: [], pipes: [] };
  for (const line of text.split('\n')) {
    const w = line.trim().split(/\s+/);
    if (w[0] === 'nodes') {
      net.nodes = +w[1];
      net.demand = new Array(net.nodes).fill(0);
    } else if (w[0] === 'pipe') {
      if (Math.abs(+w[5] - ROUGHNESS) > 1e-12) throw new Error(`roughness ${w[5]} m: only ${ROUGHNESS} m is matched`);
      net.pipes.push({ from: +w[1], to: +w[2], length: +w[3], d: +w[4] });
    } else if (w[0] === 'demand') {
      net.demand[+w[1]] += +w[2];
    }
  }
  return net;
}

module.exports = { DENSITY, ROUGHNESS, SOURCE_HEAD, solveEngine, calibrate, networkText, readNetwork };
