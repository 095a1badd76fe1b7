// Stand-in for the Tarnwick Server management script. The desktop app runs it
// as root with one argument, a request file:
//   {"action": <form id>, "values": {<key>: <string>, ...}, "format": "display"}
// Everything printed (stdout and stderr) is shown to the administrator as is,
// and a line starting with "Tarnwick invite " is offered for copying, so no
// value a user typed may ever start a line of output.
//
// No server runs behind it; the effect of each action is kept in a small state
// file next to the program, so that invitations, revocations and backups can
// be followed from one run to the next.
//
// Plain Node.js, no packages: it must run on Debian 12's Node 18 too.

import fs from 'node:fs';
import path from 'node:path';
import net from 'node:net';
import crypto from 'node:crypto';
import { fileURLToPath } from 'node:url';

export const ROLES = ['member', 'manager', 'guest'];

// What each form of the desktop app's catalogue sends. Labels are the ones the
// administrator sees, so messages can name fields the way the form does.
// A test compares this table with the catalogue; keep them in step.
export const ACTIONS = {
  'setup-lan': {
    title: 'Set up on this network',
    fields: {
      origin: { label: 'Server address', required: true },
      // Usually filled in together with the address; derived from it if empty.
      bind: { label: 'Listen on address' },
      admin: { label: 'Administrator e-mail', required: true },
    },
  },
  'configure-lan': {
    title: 'Change network address',
    fields: {
      origin: { label: 'Server address', required: true },
      bind: { label: 'Listen on address' },
    },
  },
  'invite-person': {
    title: 'Invite a person',
    fields: {
      name: { label: 'Full name', required: true },
      email: { label: 'E-mail address', required: true },
      role: { label: 'Role', required: true, choices: ROLES },
      buildings: { label: 'Buildings, one per line', lines: true },
    },
  },
  'reinstate-person': {
    title: 'Reinstate a person',
    fields: {
      id: { label: 'Person ID', required: true },
      role: { label: 'Role', required: true, choices: ROLES },
      buildings: { label: 'Buildings, one per line', lines: true },
    },
  },
  'revoke-person': {
    title: "Revoke a person's access",
    fields: { id: { label: 'Person ID', required: true } },
  },
  'revoke-invitation': {
    title: 'Revoke an invitation',
    fields: { id: { label: 'Invitation ID', required: true } },
  },
  backup: {
    title: 'Back up the server',
    fields: { file: { label: 'Backup file', required: true } },
  },
  restore: {
    title: 'Restore from a backup',
    fields: { file: { label: 'Backup file', required: true } },
  },
  'move-data': {
    title: 'Move the data folder',
    fields: { folder: { label: 'New data folder', required: true } },
  },
  status: {
    title: 'Show server status',
    fields: {},
  },
};

const STATE_FORMAT = 'tarnwick-standin-state';
const BACKUP_FORMAT = 'tarnwick-standin-backup';
const DEFAULT_ORIGIN = 'http://localhost:8080';
const INVITATION_DAYS = 7;
const MAX_REQUEST_BYTES = 1 << 20;
const MAX_BACKUP_BYTES = 64 << 20;
const MAX_VALUE_CHARS = 1000;
const PERSON_STATES = ['invited', 'active', 'revoked'];
const INVITATION_STATES = ['open', 'used', 'revoked'];

// Thrown for anything the administrator can put right; the message is shown
// as it is. Every refusal happens before the state is written.
export class Refusal extends Error {}

function quote(s) {
  return `"${s}"`;
}

// For text straight from the request file, which has not been checked yet:
// escaped, so that it can neither break a line nor pose as an invitation line.
function shown(v) {
  return JSON.stringify(v ?? null).replace(/[\u0085\u2028\u2029]/g,
    (c) => `\\u${c.charCodeAt(0).toString(16).padStart(4, '0')}`);
}

function oneLine(text) {
  return String(text).replace(/[\u0000-\u001f\u007f-\u009f\u2028\u2029]+/g, ' ');
}

function listing(items) {
  if (items.length <= 1) return items.join('');
  return `${items.slice(0, -1).join(', ')} and ${items[items.length - 1]}`;
}

// ---------------------------------------------------------------------------
// Where things live. Located from this file, never from the working directory
// or the environment: under pkexec both are whatever the caller had.

export function programDir() {
  return path.dirname(path.dirname(fileURLToPath(import.meta.url)));
}

function stateFile() {
  return path.join(programDir(), 'data', 'state.json');
}

// ---------------------------------------------------------------------------
// The request.

export function readRequest(file) {
  let bytes;
  try {
    const stat = fs.statSync(file);
    if (!stat.isFile()) throw new Refusal(`The request file ${file} is not a regular file.`);
    if (stat.size > MAX_REQUEST_BYTES) {
      throw new Refusal(`The request file ${file} is ${stat.size} bytes long, which is far more than any form can produce; it was not read.`);
    }
    bytes = fs.readFileSync(file);
  } catch (err) {
    if (err instanceof Refusal) throw err;
    throw new Refusal(`The request file ${file} could not be read (${err.code ?? err.message}).`);
  }
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    throw new Refusal(`The request file ${file} is not valid UTF-8 text.`);
  }
  try {
    return JSON.parse(text);
  } catch (err) {
    throw new Refusal(`The request file ${file} is not valid JSON (${oneLine(err.message)}).`);
  }
}

// Line breaks of any kind, including the Unicode ones a text widget honours.
const LINE_BREAK = /\r\n|[\n\r\u0085\u2028\u2029]/;
const CONTROL = /[\u0000-\u001f\u007f-\u009f\u2028\u2029]/;

// Checks the request's shape against the table and returns the action id and
// its values, trimmed; multi-line fields become arrays of non-empty lines.
export function validateRequest(request) {
  if (request === null || typeof request !== 'object' || Array.isArray(request)) {
    throw new Refusal('The request is not a JSON object with "action", "values" and "format".');
  }
  const extra = Object.keys(request).filter((k) => !['action', 'values', 'format'].includes(k));
  if (extra.length) {
    throw new Refusal(`The request has members this program does not know: ${listing(extra.map(shown))}. Only "action", "values" and "format" are expected.`);
  }
  if (request.format !== 'display') {
    throw new Refusal(`The request asks for the output format ${shown(request.format)}, but this program only writes reports for display ("display").`);
  }
  const { action } = request;
  if (typeof action !== 'string' || !Object.hasOwn(ACTIONS, action)) {
    throw new Refusal(`The request asks for the action ${shown(action)}, which this program does not know. Known actions: ${Object.keys(ACTIONS).join(', ')}.`);
  }
  const form = ACTIONS[action];
  const { values } = request;
  if (values === null || typeof values !== 'object' || Array.isArray(values)) {
    throw new Refusal(`The request for ${quote(form.title)} has no "values" object.`);
  }
  const unknown = Object.keys(values).filter((k) => !Object.hasOwn(form.fields, k));
  if (unknown.length) {
    throw new Refusal(`The request for ${quote(form.title)} contains ${listing(unknown.map(shown))}, which that form does not have. The desktop app and this program may be from different versions.`);
  }
  const missing = Object.keys(form.fields).filter((k) => !Object.hasOwn(values, k));
  if (missing.length) {
    throw new Refusal(`The request for ${quote(form.title)} lacks ${listing(missing.map(quote))}. The desktop app always sends every field of a form, so the request file did not come from it or is from a different version.`);
  }
  const out = {};
  const empty = [];
  for (const [key, field] of Object.entries(form.fields)) {
    const raw = values[key];
    if (typeof raw !== 'string') {
      throw new Refusal(`The field ${quote(field.label)} of ${quote(form.title)} is not text in the request.`);
    }
    if (field.lines) {
      const lines = [];
      for (const line of raw.split(LINE_BREAK).map((l) => l.trim())) {
        if (!line) continue;
        if (CONTROL.test(line) || line.length > MAX_VALUE_CHARS) {
          throw new Refusal(`A line of the field ${quote(field.label)} contains control characters or is too long.`);
        }
        if (!lines.includes(line)) lines.push(line);
      }
      if (field.required && !lines.length) empty.push(quote(field.label));
      out[key] = lines;
      continue;
    }
    const value = raw.trim();
    if (CONTROL.test(value)) {
      throw new Refusal(`The field ${quote(field.label)} must be a single line of text without control characters.`);
    }
    if (value.length > MAX_VALUE_CHARS) {
      throw new Refusal(`The field ${quote(field.label)} is longer than ${MAX_VALUE_CHARS} characters.`);
    }
    if (field.required && !value) empty.push(quote(field.label));
    out[key] = value;
  }
  if (empty.length) {
    const what = empty.length === 1 ? `The field ${empty[0]} is` : `The fields ${listing(empty)} are`;
    throw new Refusal(`${what} empty. Fill ${empty.length === 1 ? 'it' : 'them'} in and try again.`);
  }
  for (const [key, field] of Object.entries(form.fields)) {
    if (field.choices && !field.choices.includes(out[key])) {
      throw new Refusal(`The field ${quote(field.label)} must be one of ${field.choices.join(', ')}, not ${quote(out[key])}.`);
    }
  }
  return { action, values: out };
}

// ---------------------------------------------------------------------------
// The state file.

function freshState() {
  return {
    format: STATE_FORMAT,
    version: 1,
    server: { origin: null, bind: null, admin: null, dataFolder: null, setUpAt: null },
    next: { person: 1, invitation: 1 },
    people: [],
    invitations: [],
  };
}

// Returns the first problem found, or null. Used for the state file and for
// backups, so a restore can never install something later runs choke on.
export function stateProblem(s) {
  const isObj = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
  const isStr = (v) => typeof v === 'string';
  const strOrNull = (v) => v === null || isStr(v);
  const isTime = (v) => isStr(v) && !Number.isNaN(Date.parse(v));
  if (!isObj(s) || s.format !== STATE_FORMAT) return 'it is not Tarnwick stand-in data';
  if (s.version !== 1) return `it has the unknown version ${JSON.stringify(s.version)}`;
  const srv = s.server;
  if (!isObj(srv) || !['origin', 'bind', 'admin', 'dataFolder', 'setUpAt'].every((k) => strOrNull(srv[k]))) {
    return 'its server settings are damaged';
  }
  if (['origin', 'bind', 'admin', 'dataFolder'].some((k) => isStr(srv[k]) && CONTROL.test(srv[k]))) {
    return 'its server settings contain control characters';
  }
  if (!isObj(s.next) || !Number.isSafeInteger(s.next.person) || !Number.isSafeInteger(s.next.invitation)) {
    return 'its ID counters are damaged';
  }
  if (!Array.isArray(s.people) || !Array.isArray(s.invitations)) return 'its lists of people and invitations are missing';
  const personIds = new Set();
  for (const p of s.people) {
    if (!isObj(p) || !isStr(p.id) || !/^p-[1-9]\d*$/.test(p.id)) return 'it has a person without a valid ID';
    if (personIds.has(p.id)) return `the person ID ${p.id} occurs twice`;
    personIds.add(p.id);
    if (Number(p.id.slice(2)) >= s.next.person) return `the person ID ${p.id} is beyond its counter`;
    if (!isStr(p.name) || !isStr(p.email) || !ROLES.includes(p.role) || !PERSON_STATES.includes(p.status)) {
      return `the person ${p.id} is damaged`;
    }
    if (!Array.isArray(p.buildings) || !p.buildings.every(isStr)) return `the buildings of ${p.id} are damaged`;
    if ([p.name, p.email, ...p.buildings].some((t) => CONTROL.test(t))) return `the person ${p.id} has control characters in their details`;
  }
  const invitationIds = new Set();
  for (const inv of s.invitations) {
    if (!isObj(inv) || !isStr(inv.id) || !/^inv-[1-9]\d*$/.test(inv.id)) return 'it has an invitation without a valid ID';
    if (invitationIds.has(inv.id)) return `the invitation ID ${inv.id} occurs twice`;
    invitationIds.add(inv.id);
    if (Number(inv.id.slice(4)) >= s.next.invitation) return `the invitation ID ${inv.id} is beyond its counter`;
    if (!personIds.has(inv.person)) return `the invitation ${inv.id} belongs to no known person`;
    if (!INVITATION_STATES.includes(inv.status) || !isStr(inv.tokenHash) || !/^[0-9a-f]{64}$/.test(inv.tokenHash)) {
      return `the invitation ${inv.id} is damaged`;
    }
    if (!isTime(inv.created) || !isTime(inv.expires)) return `the dates of invitation ${inv.id} are damaged`;
  }
  return null;
}

function loadState(file) {
  let text;
  try {
    text = fs.readFileSync(file, 'utf8');
  } catch (err) {
    if (err.code === 'ENOENT') return freshState();
    throw new Refusal(`The stand-in's state file ${file} could not be read (${err.code ?? err.message}).`);
  }
  let state;
  try {
    state = JSON.parse(text);
  } catch {
    state = undefined;
  }
  const problem = state === undefined ? 'it is not valid JSON' : stateProblem(state);
  if (problem) {
    throw new Refusal(`The stand-in's state file ${file} cannot be used: ${problem}. Restore a backup, or move the file away to start afresh.`);
  }
  return state;
}

// When root runs the copy in a developer's build tree, the state should stay
// with whoever owns the program folder, or they could not clean their build.
// In an installation owned by root this changes nothing.
function ownerFor(dir) {
  if (typeof process.getuid !== 'function' || process.getuid() !== 0) return null;
  try {
    const st = fs.statSync(dir);
    return st.uid === 0 ? null : { uid: st.uid, gid: st.gid };
  } catch {
    return null;
  }
}

// Written to a temporary file beside it, then renamed over it, so a crash or a
// full disk leaves the previous state intact rather than half a file.
function saveState(file, state) {
  const dir = path.dirname(file);
  const owner = ownerFor(path.dirname(dir));
  if (!fs.existsSync(dir)) {
    fs.mkdirSync(dir, { recursive: true, mode: 0o700 });
    if (owner) fs.chownSync(dir, owner.uid, owner.gid);
  }
  const temp = path.join(dir, `.${path.basename(file)}.${crypto.randomBytes(6).toString('hex')}.tmp`);
  // 'wx' never follows or reuses an existing path.
  const fd = fs.openSync(temp, 'wx', 0o600);
  try {
    fs.writeFileSync(fd, JSON.stringify(state, null, 2) + '\n');
    if (owner) fs.fchownSync(fd, owner.uid, owner.gid);
    fs.fsyncSync(fd);
    fs.closeSync(fd);
    fs.renameSync(temp, file);
  } catch (err) {
    try { fs.closeSync(fd); } catch { /* already closed */ }
    try { fs.unlinkSync(temp); } catch { /* already gone */ }
    throw err;
  }
  try {
    const dfd = fs.openSync(dir, 'r');
    try { fs.fsyncSync(dfd); } finally { fs.closeSync(dfd); }
  } catch { /* not every file system allows syncing a folder */ }
}

// ---------------------------------------------------------------------------
// Helpers for the actions.

function parseOrigin(text) {
  let url;
  try {
    url = new URL(text);
  } catch {
    throw new Refusal(`The server address ${quote(text)} is not a web address. It should look like http://192.168.1.20:8080 or http://[fd00::5]:8080.`);
  }
  if (url.protocol !== 'http:' && url.protocol !== 'https:') {
    throw new Refusal(`The server address ${quote(text)} must start with http:// or https://.`);
  }
  if (url.username || url.password || url.search || url.hash || (url.pathname !== '/' && url.pathname !== '')) {
    throw new Refusal(`The server address ${quote(text)} must be just the scheme, host and port, without a path, a user name or anything after them.`);
  }
  return url;
}

// The listen address must be an IP address. When the form left it empty, the
// address in the origin is used if it is one.
function bindAddress(given, url) {
  const strip = (s) => s.replace(/^\[(.*)\]$/, '$1');
  if (given) {
    const addr = strip(given);
    if (!net.isIP(addr)) {
      throw new Refusal(`The listen address ${quote(given)} is not an IP address. Use an address of this machine, or 0.0.0.0 to listen on all of them.`);
    }
    return addr;
  }
  const host = strip(url.hostname);
  if (net.isIP(host)) return host;
  throw new Refusal(`The server address ${url.origin} names a host rather than an IP address, so the listen address cannot be taken from it. Fill in the field "Listen on address".`);
}

function checkEmail(email, label) {
  if (!/^[^\s@<>"]+@[^\s@<>"]+$/.test(email)) {
    throw new Refusal(`The field ${quote(label)} does not hold an e-mail address: ${quote(email)}.`);
  }
}

function checkAbsolute(p, label) {
  if (!path.isAbsolute(p)) {
    // The program runs with an arbitrary working directory, so a relative
    // path would land somewhere nobody expects.
    throw new Refusal(`The field ${quote(label)} must be a full path starting with "/", not ${quote(p)}.`);
  }
  return path.resolve(p);
}

function findPerson(state, id) {
  const key = id.toLowerCase();
  const person = state.people.find((p) => p.id === key);
  if (person) return person;
  const hint = /^inv-/.test(key) ? ' That looks like an invitation ID; a person ID looks like p-1.' : '';
  throw new Refusal(`No person with the ID ${quote(id)} is known.${hint} "Show server status" lists the people and their IDs.`);
}

function findInvitation(state, id) {
  const key = id.toLowerCase();
  const inv = state.invitations.find((i) => i.id === key);
  if (inv) return inv;
  const hint = /^p-/.test(key) ? ' That looks like a person ID; an invitation ID looks like inv-1.' : '';
  throw new Refusal(`No invitation with the ID ${quote(id)} is known.${hint} "Show server status" lists the open invitations.`);
}

function effectiveOrigin(state) {
  return state.server.origin ?? DEFAULT_ORIGIN;
}

function isExpired(inv, now) {
  return Date.parse(inv.expires) <= now.getTime();
}

function when(iso) {
  return iso.replace('T', ' ').replace(/:\d\d(\.\d+)?Z$/, ' UTC');
}

// Creates an invitation and returns it with the link; only a hash of the token
// is kept, so neither the state file nor a backup can be used to sign in.
function newInvitation(state, person, now) {
  const token = crypto.randomBytes(32).toString('base64url');
  const inv = {
    id: `inv-${state.next.invitation++}`,
    person: person.id,
    tokenHash: crypto.createHash('sha256').update(token).digest('hex'),
    created: now.toISOString(),
    expires: new Date(now.getTime() + INVITATION_DAYS * 86400000).toISOString(),
    status: 'open',
  };
  state.invitations.push(inv);
  return { inv, link: `${effectiveOrigin(state)}/invite/${token}` };
}

function personLines(person) {
  const lines = [
    `  Person ID:      ${person.id}`,
    `  Role:           ${person.role}`,
  ];
  if (person.buildings.length) {
    lines.push('  Buildings:');
    for (const b of person.buildings) lines.push(`    - ${b}`);
  } else {
    lines.push('  Buildings:      none');
  }
  return lines;
}

function invitationLines(state, inv, link) {
  const lines = [
    `  Invitation ID:  ${inv.id}`,
    `  Expires:        ${when(inv.expires)} (in ${INVITATION_DAYS} days)`,
  ];
  if (!state.server.origin) {
    lines.push(`  Note:           the server is not set up yet, so the link uses ${DEFAULT_ORIGIN}.`);
  }
  lines.push('Send this invitation line to the person; it works once:', `Tarnwick invite ${link}`);
  return lines;
}

// ---------------------------------------------------------------------------
// The actions. Each gets the validated values and a context, changes
// ctx.state if it needs to, and returns the report lines. ctx.save() is
// called by the caller only when `changes` is set.

const HANDLERS = {
  'setup-lan': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      if (state.server.setUpAt) {
        throw new Refusal(`The server is already set up, with the address ${state.server.origin}. Use "Change network address" to move it to another address.`);
      }
      const url = parseOrigin(v.origin);
      const bind = bindAddress(v.bind, url);
      checkEmail(v.admin, ACTIONS['setup-lan'].fields.admin.label);
      Object.assign(state.server, { origin: url.origin, bind, admin: v.admin, setUpAt: ctx.now.toISOString() });
      return [
        'Tarnwick Server is set up on this network.',
        `  Server address: ${url.origin}`,
        `  Listening on:   ${bind}`,
        `  Administrator:  ${v.admin}`,
        `This is a stand-in: the settings were saved in ${ctx.stateFile}; no server was started.`,
      ];
    },
  },

  'configure-lan': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      if (!state.server.setUpAt) {
        throw new Refusal('The server is not set up yet, so there is no address to change. Use "Set up on this network" first.');
      }
      const url = parseOrigin(v.origin);
      const bind = bindAddress(v.bind, url);
      const before = { origin: state.server.origin, bind: state.server.bind };
      if (before.origin === url.origin && before.bind === bind) {
        return [`The server address stays ${url.origin}, listening on ${bind}; nothing needed changing.`];
      }
      Object.assign(state.server, { origin: url.origin, bind });
      const lines = [
        'The network address was changed.',
        `  Server address: ${url.origin} (was ${before.origin})`,
        `  Listening on:   ${bind} (was ${before.bind})`,
      ];
      const open = state.invitations.filter((i) => i.status === 'open' && !isExpired(i, ctx.now)).length;
      if (open && before.origin !== url.origin) {
        lines.push(`  Note: ${open} open invitation line${open === 1 ? '' : 's'} still point${open === 1 ? 's' : ''} to the old address.`);
      }
      lines.push('This is a stand-in: the new address was saved; no running server was moved.');
      return lines;
    },
  },

  'invite-person': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      checkEmail(v.email, ACTIONS['invite-person'].fields.email.label);
      const same = state.people.find((p) => p.email.toLowerCase() === v.email.toLowerCase());
      if (same && same.status === 'revoked') {
        throw new Refusal(`The e-mail address ${v.email} belongs to ${same.name} (${same.id}), whose access was revoked. Use "Reinstate a person" with the ID ${same.id} to give them access again.`);
      }
      if (same) {
        throw new Refusal(`The e-mail address ${v.email} already belongs to ${same.name} (${same.id}). Revoke that person's access first if they need a new invitation.`);
      }
      const person = {
        id: `p-${state.next.person++}`,
        name: v.name,
        email: v.email,
        role: v.role,
        buildings: v.buildings,
        status: 'invited',
        created: ctx.now.toISOString(),
      };
      state.people.push(person);
      const { inv, link } = newInvitation(state, person, ctx.now);
      return [
        `Invitation created for ${person.name} <${person.email}>.`,
        ...personLines(person),
        ...invitationLines(state, inv, link),
      ];
    },
  },

  'reinstate-person': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      const person = findPerson(state, v.id);
      if (person.status !== 'revoked') {
        throw new Refusal(`The person ${person.name} (${person.id}) still has access, so there is nothing to reinstate. Only a person whose access was revoked can be reinstated.`);
      }
      Object.assign(person, { role: v.role, buildings: v.buildings, status: 'invited' });
      delete person.revokedAt;
      const { inv, link } = newInvitation(state, person, ctx.now);
      return [
        `Reinstated ${person.name} <${person.email}>, with a new invitation.`,
        ...personLines(person),
        ...invitationLines(state, inv, link),
      ];
    },
  },

  'revoke-person': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      const person = findPerson(state, v.id);
      if (person.status === 'revoked') {
        throw new Refusal(`The access of ${person.name} (${person.id}) was revoked already.`);
      }
      person.status = 'revoked';
      person.revokedAt = ctx.now.toISOString();
      const ended = [];
      for (const inv of state.invitations) {
        if (inv.person === person.id && inv.status === 'open') {
          inv.status = 'revoked';
          ended.push(inv.id);
        }
      }
      const lines = [`The access of ${person.name} (${person.id}) was revoked.`];
      if (ended.length) lines.push(`  Invitation${ended.length === 1 ? '' : 's'} that no longer work${ended.length === 1 ? 's' : ''}: ${ended.join(', ')}`);
      lines.push(`Their records are kept; "Reinstate a person" with the ID ${person.id} gives them access again.`);
      return lines;
    },
  },

  'revoke-invitation': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      const inv = findInvitation(state, v.id);
      if (inv.status !== 'open') {
        throw new Refusal(`The invitation ${inv.id} was ${inv.status === 'used' ? 'used' : 'revoked'} already, so it cannot be revoked.`);
      }
      inv.status = 'revoked';
      const person = state.people.find((p) => p.id === inv.person);
      const lines = [`The invitation ${inv.id} for ${person.name} (${person.id}) no longer works.`];
      if (isExpired(inv, ctx.now)) lines.push('  It had expired already.');
      // A person who never signed in has no way in without an open invitation;
      // marking them revoked lets "Reinstate a person" pick them up later.
      const stillOpen = state.invitations.some((i) => i.person === person.id && i.status === 'open');
      if (person.status === 'invited' && !stillOpen) {
        person.status = 'revoked';
        person.revokedAt = ctx.now.toISOString();
        lines.push(`As ${person.name} never signed in, their access is now revoked as well; "Reinstate a person" with the ID ${person.id} invites them again.`);
      }
      return lines;
    },
  },

  backup: {
    changes: false,
    run(v, ctx) {
      const file = checkAbsolute(v.file, ACTIONS.backup.fields.file.label);
      const content = JSON.stringify({ format: BACKUP_FORMAT, version: 1, created: ctx.now.toISOString(), state: ctx.state }, null, 2) + '\n';
      let fd;
      try {
        // 'wx' refuses an existing file (or folder) in the same step as creating it.
        fd = fs.openSync(file, 'wx', 0o600);
      } catch (err) {
        if (err.code === 'EEXIST') {
          const kind = fs.statSync(file, { throwIfNoEntry: false })?.isDirectory() ? 'a folder' : 'a file';
          throw new Refusal(`The path ${file} exists already as ${kind}; a backup never overwrites anything. Choose a new file name.`);
        }
        if (err.code === 'ENOENT') throw new Refusal(`The folder ${path.dirname(file)} does not exist, so the backup cannot be written there.`);
        throw new Refusal(`The backup file ${file} could not be created (${err.code ?? err.message}).`);
      }
      try {
        fs.writeFileSync(fd, content);
        const owner = ownerFor(path.dirname(file));
        if (owner) fs.fchownSync(fd, owner.uid, owner.gid);
        fs.fsyncSync(fd);
        fs.closeSync(fd);
      } catch (err) {
        try { fs.closeSync(fd); } catch { /* already closed */ }
        try { fs.unlinkSync(file); } catch { /* already gone */ }
        throw new Refusal(`The backup could not be written to ${file} (${err.code ?? err.message}); the incomplete file was removed.`);
      }
      const s = ctx.state;
      return [
        `A backup was written to ${file}.`,
        `  Contains: ${s.people.length} ${s.people.length === 1 ? 'person' : 'people'}, ${s.invitations.length} invitation${s.invitations.length === 1 ? '' : 's'}, and the server settings.`,
        '  Only the owner of the file can read it.',
      ];
    },
  },

  restore: {
    changes: true,
    needsState: false,
    run(v, ctx) {
      const file = checkAbsolute(v.file, ACTIONS.restore.fields.file.label);
      let text;
      try {
        const st = fs.statSync(file);
        if (!st.isFile()) throw new Refusal(`The path ${file} is not a file.`);
        if (st.size > MAX_BACKUP_BYTES) throw new Refusal(`The file ${file} is far larger than a backup of this server can be; it was not read.`);
        text = fs.readFileSync(file, 'utf8');
      } catch (err) {
        if (err instanceof Refusal) throw err;
        throw new Refusal(`The backup file ${file} could not be read (${err.code ?? err.message}).`);
      }
      let backup;
      try {
        backup = JSON.parse(text);
      } catch {
        throw new Refusal(`The file ${file} is not a backup of this server: it is not valid JSON.`);
      }
      if (backup === null || typeof backup !== 'object' || backup.format !== BACKUP_FORMAT || backup.version !== 1 ||
          typeof backup.created !== 'string') {
        throw new Refusal(`The file ${file} is not a backup of this server.`);
      }
      const problem = stateProblem(backup.state);
      if (problem) throw new Refusal(`The backup ${file} is damaged: ${problem}.`);
      ctx.state = backup.state;
      const s = ctx.state;
      const open = s.invitations.filter((i) => i.status === 'open' && !isExpired(i, ctx.now)).length;
      return [
        `The server's data and settings were restored from ${file}.`,
        `  Backup written:   ${when(backup.created)}`,
        `  Server address:   ${s.server.origin ?? 'not set up'}`,
        `  People:           ${s.people.length}`,
        `  Open invitations: ${open}`,
        'This is a stand-in: no server process runs, so none had to be stopped.',
      ];
    },
  },

  'move-data': {
    changes: true,
    run(v, ctx) {
      const { state } = ctx;
      const folder = checkAbsolute(v.folder, ACTIONS['move-data'].fields.folder.label);
      const st = fs.statSync(folder, { throwIfNoEntry: false });
      if (st && !st.isDirectory()) {
        throw new Refusal(`The path ${folder} exists and is not a folder, so the data cannot be moved there.`);
      }
      const before = state.server.dataFolder;
      if (before === folder) {
        return [`The data folder is ${folder} already; nothing needed changing.`];
      }
      state.server.dataFolder = folder;
      return [
        `The data folder is now recorded as ${folder}${before ? ` (was ${before})` : ''}.`,
        `This is a stand-in: no files were moved, and its own state stays in ${ctx.stateFile}.`,
      ];
    },
  },

  status: {
    changes: false,
    run(v, ctx) {
      const s = ctx.state;
      const counts = PERSON_STATES
        .map((status) => [status, s.people.filter((p) => p.status === status).length])
        .filter(([, n]) => n > 0)
        .map(([status, n]) => `${n} ${status}`);
      const open = s.invitations.filter((i) => i.status === 'open' && !isExpired(i, ctx.now));
      const lines = [
        'Tarnwick Server status (stand-in)',
        `  Set up:           ${s.server.setUpAt ? `yes, on ${when(s.server.setUpAt)}` : 'no; use "Set up on this network" first'}`,
        `  Server process:   none; this stand-in does not run a server`,
        `  Server address:   ${s.server.origin ?? `not set (invitations use ${DEFAULT_ORIGIN})`}`,
        `  Listening on:     ${s.server.bind ?? 'not set'}`,
        `  Administrator:    ${s.server.admin ?? 'not set'}`,
        `  Data folder:      ${s.server.dataFolder ?? 'not moved'}`,
        `  State file:       ${ctx.stateFile}`,
        `  People:           ${s.people.length}${counts.length ? ` (${counts.join(', ')})` : ''}`,
        `  Open invitations: ${open.length}`,
      ];
      if (s.people.length) {
        lines.push('People:');
        for (const p of s.people) lines.push(`  ${p.id}  ${p.name} <${p.email}>, ${p.role}, ${p.status}`);
      }
      if (open.length) {
        lines.push('Open invitations:');
        for (const i of open) lines.push(`  ${i.id}  for ${i.person}, expires ${when(i.expires)}`);
      }
      return lines;
    },
  },
};

// ---------------------------------------------------------------------------

export function run(requestFile, { file = stateFile(), now = new Date() } = {}) {
  const { action, values } = validateRequest(readRequest(requestFile));
  const handler = HANDLERS[action];
  const ctx = { stateFile: file, now, state: handler.needsState === false ? null : loadState(file) };
  const lines = handler.run(values, ctx);
  if (handler.changes) {
    try {
      saveState(file, ctx.state);
    } catch (err) {
      throw new Error(`the state file ${file} could not be written (${err.code ?? err.message}), so the action did not take effect`);
    }
  }
  return lines.join('\n') + '\n';
}

function main(args) {
  if (args.length !== 1) {
    process.stderr.write('Usage: manage.mjs <request file>\n' +
      'Carries out one setup action described by a JSON request file.\n');
    return 2;
  }
  try {
    process.stdout.write(run(args[0]));
    return 0;
  } catch (err) {
    if (err instanceof Refusal) {
      process.stderr.write(`${err.message} Nothing was changed.\n`);
      return 1;
    }
    process.stderr.write(`The action failed: ${oneLine(err.message)}.\n`);
    return 3;
  }
}

// Run only when started as a program, so tests can import the table.
const self = fileURLToPath(import.meta.url);
let started = '';
try { started = process.argv[1] ? fs.realpathSync(process.argv[1]) : ''; } catch { /* not us */ }
if (started === self) process.exitCode = main(process.argv.slice(2));
