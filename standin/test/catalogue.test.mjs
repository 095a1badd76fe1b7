// The stand-in's table of actions must accept exactly what the desktop app's
// catalogue makes it send, or forms would fail only once someone used them.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { fileURLToPath } from 'node:url';

import { ACTIONS } from '../desktop/manage.mjs';

const catalogueFile = fileURLToPath(new URL('../../resources/actions.json', import.meta.url));
const catalogue = JSON.parse(fs.readFileSync(catalogueFile, 'utf8'));

test('the table has exactly the catalogue\'s action ids', () => {
  assert.deepEqual(Object.keys(ACTIONS).sort(), catalogue.map((form) => form.id).sort());
});

test('each action takes the catalogue form\'s fields, in order, with its labels and choices', () => {
  for (const form of catalogue) {
    const entry = ACTIONS[form.id];
    assert.ok(entry, `no entry for ${form.id}`);
    assert.equal(entry.title, form.title, `title of ${form.id}`);
    const fromCatalogue = form.fields.map(([key, label, type, choices]) => ({
      key,
      label,
      choices: type === 'choice' ? choices.split('|') : undefined,
      lines: type === 'lines',
    }));
    const fromTable = Object.entries(entry.fields).map(([key, f]) => ({
      key,
      label: f.label,
      choices: f.choices,
      lines: Boolean(f.lines),
    }));
    assert.deepEqual(fromTable, fromCatalogue, `fields of ${form.id}`);
  }
});
