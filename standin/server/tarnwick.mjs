// Stand-in for the Tarnwick Server command line. Only what the desktop app
// calls as the logged-in user is offered here: `lan-addresses`.
//
// Plain Node.js, no packages: it must run on Debian 12's Node 18 as well as
// on newer releases.

import os from 'node:os';
import fs from 'node:fs';
import { fileURLToPath } from 'node:url';

export const DEFAULT_PORT = 8080;

// fe80::/10. These addresses only mean something together with a zone id
// (the interface on the *client's* side, which we cannot know), and browsers
// do not accept zone ids in URLs at all, so an origin built from one could
// never be opened by anyone in the building. They are left out; a network
// that has only link-local IPv6 still offers its IPv4 addresses.
function isLinkLocalV6(address) {
  return /^fe[89ab][0-9a-f]?:/i.test(address);
}

// Node 18.0–18.3 reported `family` as a number; later releases use strings.
function familyOf(entry) {
  if (entry.family === 'IPv4' || entry.family === 4) return 4;
  if (entry.family === 'IPv6' || entry.family === 6) return 6;
  return 0;
}

// Turns the result of os.networkInterfaces() into the listing the app shows.
// IPv4 comes first because it is what most people in a building can reach;
// otherwise the system's order is kept.
export function lanAddresses(interfaces, port = DEFAULT_PORT) {
  const v4 = [];
  const v6 = [];
  for (const [name, entries] of Object.entries(interfaces ?? {})) {
    for (const entry of entries ?? []) {
      if (!entry || entry.internal || typeof entry.address !== 'string') continue;
      // Strip a zone suffix should a platform ever include it in the address.
      const address = entry.address.split('%')[0];
      const family = familyOf(entry);
      if (family === 4) {
        v4.push({ origin: `http://${address}:${port}`, bind: address, name });
      } else if (family === 6 && !isLinkLocalV6(address) && !entry.scopeid) {
        v6.push({ origin: `http://[${address}]:${port}`, bind: address, name });
      }
    }
  }
  return [...v4, ...v6];
}

function usage() {
  process.stderr.write(
    'Usage: tarnwick.mjs lan-addresses\n' +
    '  lan-addresses  print this machine\'s network addresses as a JSON array\n');
}

function main(args) {
  if (args.length === 1 && args[0] === 'lan-addresses') {
    let interfaces = {};
    try {
      interfaces = os.networkInterfaces();
    } catch (err) {
      // Still print an array so the caller sees "no addresses", not garbage.
      process.stderr.write(`Could not read the network interfaces: ${err.message}\n`);
    }
    process.stdout.write(JSON.stringify(lanAddresses(interfaces)) + '\n');
    return 0;
  }
  usage();
  return 2;
}

// Run only when started as a program, so tests can import lanAddresses().
const self = fileURLToPath(import.meta.url);
let started = '';
try { started = process.argv[1] ? fs.realpathSync(process.argv[1]) : ''; } catch { /* not us */ }
if (started === self) process.exitCode = main(process.argv.slice(2));
