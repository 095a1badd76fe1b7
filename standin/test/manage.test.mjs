// Runs manage.mjs the way the desktop app does: a child process with only
// PATH and LANG, an unrelated working directory and a request file, inside a
// fresh copy of the program directory so no test sees another's state.

import { describe, it, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import crypto from 'node:crypto';
import { spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const sources = fileURLToPath(new URL('..', import.meta.url));
const APP_ENV = { PATH: '/usr/bin:/bin', LANG: 'en_US.UTF-8' };
const INVITE_LINE = /^Tarnwick invite (.*)$/gm;

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'tarnwick-standin-test-'));
after(() => fs.rmSync(scratch, { recursive: true, force: true }));

let serial = 0;

// A program directory laid out as the build lays it out.
function newProgram() {
  const dir = fs.mkdtempSync(path.join(scratch, 'program-'));
  for (const rel of ['desktop/manage.mjs', 'server/tarnwick.mjs']) {
    fs.mkdirSync(path.join(dir, path.dirname(rel)), { recursive: true });
    fs.copyFileSync(path.join(sources, rel), path.join(dir, rel));
  }
  fs.symlinkSync(process.execPath, path.join(dir, 'node'));
  return {
    dir,
    stateFile: path.join(dir, 'data', 'state.json'),
    state() { return JSON.parse(fs.readFileSync(this.stateFile, 'utf8')); },
    run(request) { return manage(dir, request); },
    // Runs an action that is expected to succeed and returns its report.
    ok(action, values) {
      const r = manage(dir, { action, values, format: 'display' });
      assert.equal(r.status, 0, `${action} failed: ${r.stderr}`);
      assert.equal(r.stderr, '');
      return r.stdout;
    },
    // Runs an action that is expected to be refused and returns the message.
    refused(action, values) {
      const before = fs.existsSync(this.stateFile) ? fs.readFileSync(this.stateFile, 'utf8') : null;
      const r = manage(dir, { action, values, format: 'display' });
      assert.notEqual(r.status, 0, `${action} was not refused: ${r.stdout}`);
      assert.equal(r.stdout, '');
      const after = fs.existsSync(this.stateFile) ? fs.readFileSync(this.stateFile, 'utf8') : null;
      assert.equal(after, before, 'a refused action changed the state file');
      return r.stderr;
    },
  };
}

// `request` is an object (sent as JSON), a string or a Buffer (sent as is).
function manage(dir, request) {
  const file = path.join(scratch, `request-${++serial}.json`);
  fs.writeFileSync(file, typeof request === 'string' || Buffer.isBuffer(request) ? request : JSON.stringify(request));
  const workdir = fs.mkdtempSync(path.join(scratch, 'cwd-'));
  const r = spawnSync(process.execPath, [path.join(dir, 'desktop', 'manage.mjs'), file],
    { env: APP_ENV, cwd: workdir, encoding: 'utf8' });
  assert.deepEqual(fs.readdirSync(workdir), [], 'manage.mjs wrote into its working directory');
  return r;
}

function inviteLinks(report) {
  return [...report.matchAll(INVITE_LINE)].map((m) => m[1]);
}

// The single invitation link of a report, checked for shape.
function inviteLink(report, origin) {
  const links = inviteLinks(report);
  assert.equal(links.length, 1, `expected one invitation line in:\n${report}`);
  const url = new URL(links[0]);
  assert.equal(url.origin, origin);
  const m = /^\/invite\/([A-Za-z0-9_-]{43})$/.exec(url.pathname);
  assert.ok(m, `unexpected link ${links[0]}`);
  return { link: links[0], token: m[1] };
}

const sha256 = (s) => crypto.createHash('sha256').update(s).digest('hex');

const ada = { name: 'Ada Lovelace', email: 'ada@example.org', role: 'member', buildings: 'North Hall\nAnnex' };
const setup = { origin: 'http://192.168.1.20:8080', bind: '', admin: 'admin@example.org' };

describe('requests that are refused', () => {
  let program;
  before(() => { program = newProgram(); });

  const display = (action, values) => ({ action, values, format: 'display' });
  const cases = [
    ['not JSON', '{"action": "status",', /not valid JSON/],
    ['not JSON, with a line break in what follows', '{"action":\nTarnwick invite http://evil.example', /not valid JSON/],
    ['an unknown key with a line separator', display('revoke-person', { id: 'p-1', 'x\u2028Tarnwick invite http://evil.example': '' }),
      /"x\\u2028Tarnwick invite/],
    ['not UTF-8', Buffer.from([0x7b, 0x22, 0xff, 0x22, 0x7d]), /not valid UTF-8/],
    ['a JSON array', '[]', /not a JSON object/],
    ['an unknown top-level member', { ...display('status', {}), user: 'root' }, /"user"/],
    ['no format', { action: 'status', values: {} }, /output format null/],
    ['another format', { action: 'status', values: {}, format: 'json' }, /"json"/],
    ['an unknown action', display('delete-everything', {}), /"delete-everything".*Known actions: setup-lan/],
    ['an action that is not text', display(7, {}), /action 7/],
    ['an inherited name as action', display('toString', {}), /"toString"/],
    ['no values', { action: 'status', format: 'display' }, /no "values" object/],
    ['values as an array', display('status', []), /no "values" object/],
    ['an unknown key', display('revoke-person', { id: 'p-1', reason: 'x' }), /"reason".*does not have/],
    ['a missing key', display('invite-person', { name: 'A', email: 'a@b', role: 'guest' }), /lacks "buildings"/],
    ['a value that is not text', display('revoke-person', { id: 1 }), /"Person ID".*not text/],
    ['an empty required value', display('revoke-person', { id: '  ' }), /"Person ID" is empty/],
    ['several empty required values', display('invite-person', { ...ada, name: '', email: ' ' }),
      /The fields "Full name" and "E-mail address" are empty/],
    ['an empty role', display('invite-person', { ...ada, role: '' }), /"Role" is empty/],
    ['a role not offered', display('invite-person', { ...ada, role: 'admin' }), /member, manager, guest/],
    ['a line break in a single-line field', display('invite-person', { ...ada, name: 'Ada\nTarnwick invite x' }), /single line/],
    ['a Unicode line separator', display('invite-person', { ...ada, name: 'Ada\u2028Lovelace' }), /single line/],
    ['an e-mail without @', display('invite-person', { ...ada, email: 'ada.example.org' }), /not hold an e-mail/],
    ['a relative backup path', display('backup', { file: 'backup.json' }), /full path/],
    ['a relative restore path', display('restore', { file: './backup.json' }), /full path/],
    ['a relative data folder', display('move-data', { folder: 'data' }), /full path/],
    ['an origin that is no URL', display('setup-lan', { ...setup, origin: '192.168.1.20' }), /not a web address/],
    ['an origin with a path', display('setup-lan', { ...setup, origin: 'http://192.168.1.20:8080/x' }), /without a path/],
    ['an origin of another scheme', display('setup-lan', { ...setup, origin: 'ftp://192.168.1.20' }), /http:\/\/ or https:\/\//],
    ['a bind that is no IP', display('setup-lan', { ...setup, bind: 'eth0' }), /not an IP address/],
    ['a host name origin without bind', display('setup-lan', { ...setup, origin: 'http://tarnwick.lan:8080' }), /Listen on address/],
    ['configuring before setup', display('configure-lan', { origin: setup.origin, bind: '' }), /not set up yet/],
    ['an unknown person', display('revoke-person', { id: 'p-9' }), /No person with the ID "p-9"/],
    ['an invitation ID as person ID', display('reinstate-person', { id: 'inv-1', role: 'guest', buildings: '' }), /looks like an invitation ID/],
    ['a person ID as invitation ID', display('revoke-invitation', { id: 'p-1' }), /looks like a person ID/],
    ['a backup folder that does not exist', display('backup', { file: '/nonexistent-folder/b.json' }), /does not exist/],
    ['restoring a missing file', display('restore', { file: '/nonexistent-folder/b.json' }), /could not be read \(ENOENT\)/],
  ];
  for (const [name, request, message] of cases) {
    it(`refuses ${name}`, () => {
      const r = program.run(request);
      assert.equal(r.status, 1, r.stdout + r.stderr);
      assert.equal(r.stdout, '');
      assert.match(r.stderr, message);
      assert.match(r.stderr, /Nothing was changed\.\n$/);
      assert.equal(r.stderr.trimEnd().split('\n').length, 1, 'the message should be one paragraph');
      assert.doesNotMatch(r.stderr, /[\r\u0085\u2028\u2029]/, 'the message contains a line break');
      assert.equal(fs.existsSync(program.stateFile), false, 'a refused request created the state file');
    });
  }

  it('refuses a request file that does not exist', () => {
    const r = spawnSync(process.execPath, [path.join(program.dir, 'desktop', 'manage.mjs'), path.join(scratch, 'missing.json')],
      { env: APP_ENV, cwd: '/', encoding: 'utf8' });
    assert.equal(r.status, 1);
    assert.match(r.stderr, /missing\.json could not be read \(ENOENT\)/);
  });

  for (const args of [[], ['a.json', 'b.json']]) {
    it(`prints usage for ${args.length} arguments`, () => {
      const r = spawnSync(process.execPath, [path.join(program.dir, 'desktop', 'manage.mjs'), ...args],
        { env: APP_ENV, cwd: '/', encoding: 'utf8' });
      assert.equal(r.status, 2);
      assert.match(r.stderr, /^Usage: manage\.mjs <request file>/);
    });
  }
});

describe('network address', () => {
  const accepted = [
    ['IPv4, bind taken from the origin', 'http://192.168.1.20:8080', '', 'http://192.168.1.20:8080', '192.168.1.20'],
    ['IPv6, bind taken from the origin', 'http://[fd00::5]:8080', '', 'http://[fd00::5]:8080', 'fd00::5'],
    ['IPv6 bind given in brackets', 'http://[fd00::5]:8080', '[fd00::5]', 'http://[fd00::5]:8080', 'fd00::5'],
    ['host name with all-address bind', 'https://tarnwick.lan', '0.0.0.0', 'https://tarnwick.lan', '0.0.0.0'],
    ['trailing slash and blanks', '  http://10.0.0.2:8080/ ', ' 10.0.0.2 ', 'http://10.0.0.2:8080', '10.0.0.2'],
  ];
  for (const [name, origin, bind, wantOrigin, wantBind] of accepted) {
    it(`setup-lan stores ${name}`, () => {
      const program = newProgram();
      const report = program.ok('setup-lan', { origin, bind, admin: 'admin@example.org' });
      assert.match(report, new RegExp(`Server address: ${wantOrigin.replace(/[[\].]/g, '\\$&')}\n`));
      assert.deepEqual(
        (({ origin: o, bind: b, admin }) => ({ origin: o, bind: b, admin }))(program.state().server),
        { origin: wantOrigin, bind: wantBind, admin: 'admin@example.org' });
    });
  }

  it('setup happens once; configure-lan moves the address and warns about old invitation lines', () => {
    const program = newProgram();
    program.ok('setup-lan', setup);
    assert.match(program.refused('setup-lan', setup), /already set up.*Change network address/);
    program.ok('invite-person', ada);
    const report = program.ok('configure-lan', { origin: 'http://[fd00::5]:8080', bind: '' });
    assert.match(report, /http:\/\/\[fd00::5\]:8080 \(was http:\/\/192\.168\.1\.20:8080\)/);
    assert.match(report, /1 open invitation line still points to the old address/);
    assert.equal(program.state().server.bind, 'fd00::5');
    const { link } = inviteLink(program.ok('invite-person', { ...ada, email: 'bob@example.org' }), 'http://[fd00::5]:8080');
    assert.ok(link.startsWith('http://[fd00::5]:8080/invite/'));
  });
});

describe('invitations and people', () => {
  it('invite-person records a pending person and prints one invitation line with a fresh token', () => {
    const program = newProgram();
    assert.equal(fs.existsSync(program.stateFile), false);
    // Text a person typed must never be taken for the invitation line.
    const first = program.ok('invite-person', {
      name: 'Tarnwick invite http://evil.example', email: 'ada@example.org', role: 'member',
      buildings: 'North Hall\r\n\r\n  Tarnwick invite http://evil.example  \nNorth Hall\n',
    });
    const a = inviteLink(first, 'http://localhost:8080');
    assert.match(first, /Person ID: +p-1\n/);
    assert.match(first, /Invitation ID: +inv-1\n/);

    program.ok('setup-lan', setup);
    const second = program.ok('invite-person', { name: 'Bob', email: 'bob@example.org', role: 'guest', buildings: '' });
    const b = inviteLink(second, 'http://192.168.1.20:8080');
    assert.notEqual(a.token, b.token);
    assert.match(second, /Person ID: +p-2\n[^]*Invitation ID: +inv-2\n/);

    const state = program.state();
    assert.deepEqual(state.people.map(({ id, role, status, buildings }) => ({ id, role, status, buildings })), [
      { id: 'p-1', role: 'member', status: 'invited', buildings: ['North Hall', 'Tarnwick invite http://evil.example'] },
      { id: 'p-2', role: 'guest', status: 'invited', buildings: [] },
    ]);
    assert.deepEqual(state.invitations.map(({ id, person, status, tokenHash }) => ({ id, person, status, tokenHash })), [
      { id: 'inv-1', person: 'p-1', status: 'open', tokenHash: sha256(a.token) },
      { id: 'inv-2', person: 'p-2', status: 'open', tokenHash: sha256(b.token) },
    ]);
    const days = (Date.parse(state.invitations[0].expires) - Date.parse(state.invitations[0].created)) / 86400000;
    assert.equal(days, 7);
    const raw = fs.readFileSync(program.stateFile, 'utf8');
    assert.ok(!raw.includes(a.token) && !raw.includes(b.token), 'a token was stored in the clear');
    assert.match(program.refused('invite-person', { ...ada, email: 'ADA@example.org' }), /already belongs to .* \(p-1\)/);
  });

  it('revoke and reinstate move a person through the state file', () => {
    const program = newProgram();
    program.ok('setup-lan', setup);
    const first = inviteLink(program.ok('invite-person', ada), setup.origin);
    assert.match(program.refused('reinstate-person', { id: 'p-1', role: 'guest', buildings: '' }), /still has access/);

    const revoked = program.ok('revoke-person', { id: 'P-1' });
    assert.match(revoked, /access of Ada Lovelace \(p-1\) was revoked/);
    assert.match(revoked, /no longer works: inv-1/);
    assert.deepEqual(inviteLinks(revoked), []);
    let state = program.state();
    assert.equal(state.people[0].status, 'revoked');
    assert.equal(state.invitations[0].status, 'revoked');
    assert.match(program.refused('revoke-person', { id: 'p-1' }), /revoked already/);
    assert.match(program.refused('revoke-invitation', { id: 'inv-1' }), /revoked already/);
    assert.match(program.refused('invite-person', ada), /Reinstate a person.*p-1/);

    const back = program.ok('reinstate-person', { id: 'p-1', role: 'manager', buildings: 'Annex\n\nWest Wing\rRoof\u2028Annex' });
    const second = inviteLink(back, setup.origin);
    assert.notEqual(second.token, first.token);
    assert.match(back, /Invitation ID: +inv-2\n/);
    state = program.state();
    assert.deepEqual(
      (({ status, role, buildings }) => ({ status, role, buildings }))(state.people[0]),
      { status: 'invited', role: 'manager', buildings: ['Annex', 'West Wing', 'Roof'] });
    assert.deepEqual(state.invitations.map((i) => [i.id, i.status, i.tokenHash]),
      [['inv-1', 'revoked', sha256(first.token)], ['inv-2', 'open', sha256(second.token)]]);

    const status = program.ok('status', {});
    assert.match(status, /People: +1 \(1 invited\)\n/);
    assert.match(status, /Open invitations: +1\n/);
    assert.match(status, /\n {2}p-1 {2}Ada Lovelace <ada@example\.org>, manager, invited\n/);
    assert.match(status, /\n {2}inv-2 {2}for p-1, expires /);
  });

  it('revoking the only invitation of someone who never signed in revokes them, so they can be reinstated', () => {
    const program = newProgram();
    program.ok('invite-person', ada);
    const report = program.ok('revoke-invitation', { id: 'inv-1' });
    assert.match(report, /inv-1 for Ada Lovelace \(p-1\) no longer works/);
    assert.match(report, /never signed in/);
    assert.deepEqual([program.state().people[0].status, program.state().invitations[0].status], ['revoked', 'revoked']);
    assert.match(program.refused('revoke-invitation', { id: 'inv-1' }), /revoked already/);
    inviteLink(program.ok('reinstate-person', { id: 'p-1', role: 'guest', buildings: '' }), 'http://localhost:8080');
  });
});

describe('backup and restore', () => {
  it('backup writes the state, refuses to overwrite, and restore brings it back', () => {
    const program = newProgram();
    program.ok('setup-lan', setup);
    program.ok('invite-person', ada);
    const saved = program.state();
    const file = path.join(scratch, `backup-${++serial}.json`);

    const report = program.ok('backup', { file });
    assert.match(report, /backup was written to .*backup-\d+\.json/);
    assert.equal(fs.statSync(file).mode & 0o777, 0o600);
    const written = fs.readFileSync(file, 'utf8');

    assert.match(program.refused('backup', { file }), /exists already as a file; a backup never overwrites/);
    assert.equal(fs.readFileSync(file, 'utf8'), written);
    assert.match(program.refused('backup', { file: scratch }), /exists already as a folder/);

    program.ok('revoke-person', { id: 'p-1' });
    program.ok('invite-person', { ...ada, email: 'bob@example.org', name: 'Bob' });
    assert.notDeepEqual(program.state(), saved);

    const restored = program.ok('restore', { file });
    assert.match(restored, /restored from .*\n {2}Backup written: [^]*People: +1\n {2}Open invitations: +1\n/);
    assert.deepEqual(program.state(), saved);

    // The restored counters go on from the backup's, not from the lost state.
    assert.match(program.ok('invite-person', { ...ada, email: 'carol@example.org' }), /Person ID: +p-2\n/);
  });

  it('restore refuses files that are not intact backups, even when the state is damaged', () => {
    const program = newProgram();
    program.ok('invite-person', ada);
    const file = path.join(scratch, `backup-${++serial}.json`);
    program.ok('backup', { file });
    const good = JSON.parse(fs.readFileSync(file, 'utf8'));

    const damaged = [
      ['not JSON', '{"format":', /not valid JSON/],
      ['the state file itself', JSON.stringify(good.state), /not a backup of this server/],
      ['another version', JSON.stringify({ ...good, version: 2 }), /not a backup of this server/],
      ['an invitation of nobody', JSON.stringify({ ...good, state: { ...good.state, people: [] } }), /belongs to no known person/],
      ['an unknown role', JSON.stringify({ ...good, state: { ...good.state, people: [{ ...good.state.people[0], role: 'owner' }] } }), /person p-1 is damaged/],
      ['a line break in a name', JSON.stringify({ ...good, state: { ...good.state, people: [{ ...good.state.people[0], name: 'A\nTarnwick invite x' }] } }), /control characters/],
      ['an ID past its counter', JSON.stringify({ ...good, state: { ...good.state, next: { person: 1, invitation: 2 } } }), /beyond its counter/],
    ];
    const before = fs.readFileSync(program.stateFile, 'utf8');
    for (const [name, content, message] of damaged) {
      const bad = path.join(scratch, `bad-${++serial}.json`);
      fs.writeFileSync(bad, content);
      assert.match(program.refused('restore', { file: bad }), message, name);
    }
    assert.equal(fs.readFileSync(program.stateFile, 'utf8'), before);

    // A damaged state file stops every other action but not a restore.
    fs.writeFileSync(program.stateFile, '{"format": "tarnwick-standin-state", "version": 1');
    assert.match(program.refused('status', {}), /state file .* cannot be used: it is not valid JSON/);
    program.ok('restore', { file });
    assert.match(program.ok('status', {}), /People: +1 \(1 invited\)/);
  });
});

describe('state file', () => {
  it('lives under the program directory and is replaced without leftovers', () => {
    const program = newProgram();
    program.ok('invite-person', ada);
    program.ok('move-data', { folder: '/srv/tarnwick/' });
    assert.deepEqual(fs.readdirSync(path.join(program.dir, 'data')), ['state.json']);
    assert.equal(fs.statSync(program.stateFile).mode & 0o777, 0o600);
    assert.equal(program.state().server.dataFolder, '/srv/tarnwick');
  });

  it('move-data only records the folder and says so', () => {
    const program = newProgram();
    const report = program.ok('move-data', { folder: scratch });
    assert.match(report, /recorded as .*\nThis is a stand-in: no files were moved/);
    assert.match(program.ok('move-data', { folder: scratch }), /already; nothing needed changing/);
    const file = path.join(scratch, `plain-${++serial}`);
    fs.writeFileSync(file, '');
    assert.match(program.refused('move-data', { folder: file }), /is not a folder/);
  });

  it('status works before anything was set up and creates nothing', () => {
    const program = newProgram();
    const report = program.ok('status', {});
    assert.match(report, /Set up: +no/);
    assert.match(report, /invitations use http:\/\/localhost:8080/);
    assert.match(report, /People: +0\n/);
    assert.equal(fs.existsSync(path.join(program.dir, 'data')), false);
  });
});
