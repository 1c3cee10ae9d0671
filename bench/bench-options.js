'use strict';
// What the browser benches share: their options (--name value, each named
// one required, --runs a whole number from 1) and the way they stop.

const path = require('node:path');
const { parseArgs } = require('node:util');

// Ends the process with the step that failed: no figure is printed for it.
function Stopper(program) {
  return (message) => {
    console.error(`${program}: ${message}\n${program}: stopped; no figure for this step`);
    process.exit(1);
  };
}

function Options(program, names) {
  const Stop = Stopper(program);
  let values;
  try {
    const options = Object.fromEntries(names.concat('runs').map((name) => [name, { type: 'string' }]));
    ({ values } = parseArgs({ args: process.argv.slice(2), options, strict: true }));
  } catch (error) {
    Stop(error.message);
  }
  for (const name of names) if (!values[name]) Stop(`--${name} is missing`);
  const runs = Number(values.runs ?? '7');
  if (!Number.isInteger(runs) || runs < 1) Stop('--runs takes a whole number from 1');
  return { ...values, runs, work: path.resolve(values.work) };
}

module.exports = { Options, Stopper };
