import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import os from 'node:os';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

import { lanAddresses } from '../server/tarnwick.mjs';

const script = fileURLToPath(new URL('../server/tarnwick.mjs', import.meta.url));
const APP_ENV = { PATH: '/usr/bin:/bin', LANG: 'en_US.UTF-8' };

function runServer(args) {
  return spawnSync(process.execPath, [script, ...args], { env: APP_ENV, cwd: '/', encoding: 'utf8' });
}

const v4 = (address, extra = {}) => ({ address, family: 'IPv4', internal: false, ...extra });
const v6 = (address, extra = {}) => ({ address, family: 'IPv6', internal: false, scopeid: 0, ...extra });

describe('lanAddresses()', () => {
  const cases = [
    {
      name: 'loopback is left out, IPv4 and IPv6 become origins',
      interfaces: {
        lo: [v4('127.0.0.1', { internal: true }), v6('::1', { internal: true })],
        eth0: [v4('192.168.1.20'), v6('fd00::5')],
      },
      want: [
        { origin: 'http://192.168.1.20:8080', bind: '192.168.1.20', name: 'eth0' },
        { origin: 'http://[fd00::5]:8080', bind: 'fd00::5', name: 'eth0' },
      ],
    },
    {
      name: 'link-local IPv6 is left out, by prefix or by zone',
      interfaces: {
        eth0: [v6('fe80::1', { scopeid: 2 }), v6('FEBF::2'), v6('fe80::3%eth0', { scopeid: 2 }), v6('2001:db8::7')],
      },
      want: [{ origin: 'http://[2001:db8::7]:8080', bind: '2001:db8::7', name: 'eth0' }],
    },
    {
      name: 'IPv4 link-local stays, it needs no zone',
      interfaces: { eth1: [v4('169.254.3.4')] },
      want: [{ origin: 'http://169.254.3.4:8080', bind: '169.254.3.4', name: 'eth1' }],
    },
    {
      name: 'numeric families as some Node 18 releases report them',
      interfaces: { wlan0: [{ address: '10.0.0.9', family: 4, internal: false }, { address: 'fd00::9', family: 6, internal: false, scopeid: 0 }] },
      want: [
        { origin: 'http://10.0.0.9:8080', bind: '10.0.0.9', name: 'wlan0' },
        { origin: 'http://[fd00::9]:8080', bind: 'fd00::9', name: 'wlan0' },
      ],
    },
    {
      name: 'IPv4 of every interface comes before any IPv6',
      interfaces: { a: [v6('fd00::a'), v4('10.0.0.1')], b: [v6('fd00::b'), v4('10.0.0.2')] },
      want: [
        { origin: 'http://10.0.0.1:8080', bind: '10.0.0.1', name: 'a' },
        { origin: 'http://10.0.0.2:8080', bind: '10.0.0.2', name: 'b' },
        { origin: 'http://[fd00::a]:8080', bind: 'fd00::a', name: 'a' },
        { origin: 'http://[fd00::b]:8080', bind: 'fd00::b', name: 'b' },
      ],
    },
    { name: 'only loopback gives an empty list', interfaces: { lo: [v4('127.0.0.1', { internal: true })] }, want: [] },
    { name: 'no interfaces at all', interfaces: {}, want: [] },
  ];
  for (const c of cases) {
    it(c.name, () => assert.deepEqual(lanAddresses(c.interfaces), c.want));
  }

  it('every origin parses as a URL whose host is the bind address', () => {
    const list = lanAddresses({ eth0: [v4('192.168.1.20'), v6('fd00::5'), v6('2001:db8::1:0:0:1')] });
    assert.equal(list.length, 3);
    for (const entry of list) {
      const url = new URL(entry.origin);
      assert.equal(url.hostname.replace(/^\[|\]$/g, ''), entry.bind);
      assert.equal(url.port, '8080');
    }
  });
});

describe('tarnwick.mjs as a program', () => {
  it('lan-addresses prints one JSON array of {origin, bind, name} strings for this machine', () => {
    const r = runServer(['lan-addresses']);
    assert.equal(r.status, 0, r.stderr);
    const list = JSON.parse(r.stdout);
    assert.ok(Array.isArray(list));
    const external = new Set(Object.values(os.networkInterfaces()).flat()
      .filter((e) => !e.internal).map((e) => e.address));
    for (const entry of list) {
      assert.deepEqual(Object.keys(entry).sort(), ['bind', 'name', 'origin']);
      for (const v of Object.values(entry)) assert.equal(typeof v, 'string');
      assert.ok(external.has(entry.bind), `${entry.bind} is not a non-internal address of this machine`);
      assert.ok(os.networkInterfaces()[entry.name], `${entry.name} is not an interface`);
    }
  });

  const misuse = [[], ['lan-address'], ['lan-addresses', 'extra'], ['--help']];
  for (const args of misuse) {
    it(`refuses ${JSON.stringify(args)} with usage on stderr`, () => {
      const r = runServer(args);
      assert.notEqual(r.status, 0);
      assert.equal(r.stdout, '');
      assert.match(r.stderr, /^Usage: .*lan-addresses/);
    });
  }
});
