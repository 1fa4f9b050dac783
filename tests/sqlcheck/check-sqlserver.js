// Reads every SQL Server text of the program (the JSON of pelk-sql-texts) and the SQL Server
// scripts, and fails on a text the T-SQL parser cannot read, on a SQLite-only construct, and
// on a table or column spelled otherwise than the scripts' DDL spells it (a database with a
// case-sensitive collation would not find it).
//   node check-sqlserver.js <pelk-sql-texts> <deploy/mssql folder>
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { Parser } = require('node-sql-parser');

const parser = new Parser();
const options = { database: 'transactsql' };

// What the parser does not read although SQL Server does; a text that fails on one of these
// is listed as such, not failed.
const knownGaps = [
  { name: 'INSERT ... DEFAULT VALUES', test: /\bDEFAULT\s+VALUES\b/i },
  { name: 'SET NOCOUNT / IDENTITY_INSERT', test: /^\s*SET\s+(NOCOUNT|IDENTITY_INSERT)\b/im },
  { name: 'inline REFERENCES', test: /\bREFERENCES\b/i },
  { name: 'SERVER..LIBRARY (empty catalog)', test: /\w\.\.\w/ },
  { name: 'IF ... EXEC', test: /^\s*IF\b[\s\S]*\bEXEC\b/i },
  { name: 'CREATE INDEX', test: /^\s*CREATE\s+INDEX\b/im },
  { name: 'N\'...\' literals in VALUES lists', test: /\(VALUES\b/i },
];

// SQLite's own words and forms, which SQL Server does not know or reads otherwise.
const sqliteOnly = [
  { name: 'IFNULL(', test: /\bIFNULL\s*\(/i },
  { name: 'printf(', test: /\bprintf\s*\(/i },
  { name: 'datetime(', test: /\bdatetime\s*\(/i },
  { name: 'strftime(', test: /\bstrftime\s*\(/i },
  { name: '||', test: /\|\|/ },
  { name: 'LIMIT', test: /\bLIMIT\b/i },
  { name: 'double-quoted string', test: /"[^"]*"/ },
  { name: 'last_insert_rowid', test: /\blast_insert_rowid\b/i },
];

// The texts without their string literals and comments, for the word checks.
function code(sql) {
  return sql.replace(/'(?:[^']|'')*'/g, "''").replace(/--[^\n]*/g, '').replace(/\/\*[\s\S]*?\*\//g, '');
}

// Tables and columns as the CREATE TABLE statements of the scripts spell them.
function ddlNames(folder) {
  const tables = new Set();
  const columns = new Set();
  const narrow = new Set(); // char and varchar columns
  for (const file of fs.readdirSync(folder).filter((f) => f.endsWith('.sql'))) {
    const text = fs.readFileSync(path.join(folder, file), 'utf8');
    for (const m of text.matchAll(/CREATE\s+TABLE\s+(?:(\w+)\.)?(\w+)\s*\(([\s\S]*?)\);/gi)) {
      tables.add(m[2]);
      for (const line of m[3].split('\n')) {
        const c = line.match(/^\s*(\w+)\s+(\w+)/);
        if (!c || /^(PRIMARY|CONSTRAINT|UNIQUE|FOREIGN)$/i.test(c[1])) continue;
        columns.add(c[1]);
        if (/^(var)?char$/i.test(c[2])) narrow.add(c[1]);
      }
    }
  }
  return { tables, columns, narrow };
}

function byLowerCase(set) {
  const map = new Map();
  for (const name of set) map.set(name.toLowerCase(), name);
  return map;
}

function main() {
  const [tool, folder] = process.argv.slice(2);
  const texts = JSON.parse(execFileSync(tool, { encoding: 'utf8' }));
  const ddl = ddlNames(folder);
  const tables = byLowerCase(ddl.tables);
  const columns = byLowerCase(ddl.columns);
  const failures = [];
  const gaps = [];

  // The scripts batch by batch (GO), then the program's texts.
  const items = [];
  for (const file of fs.readdirSync(folder).filter((f) => f.endsWith('.sql')).sort()) {
    const batches = fs.readFileSync(path.join(folder, file), 'utf8').split(/^\s*GO\s*$/im);
    batches.forEach((batch, i) => {
      const body = batch.replace(/^\s*--[^\n]*\n/gm, '').trim();
      if (body) items.push({ name: `${file} batch ${i + 1}`, sql: body, script: true });
    });
  }
  items.push(...texts);

  for (const { name, sql, script } of items) {
    for (const rule of sqliteOnly)
      if (rule.test.test(code(sql))) failures.push(`${name}: SQLite-only ${rule.name}: ${sql}`);
    // A text parameter arrives as nvarchar: compared with a varchar column as it is, the
    // server converts the column and scans; cast to the column's type, it seeks.
    if (!script)
      for (const m of code(sql).matchAll(/(\w+)\s*=\s*:\w+/g)) {
        const before = code(sql).slice(0, m.index).match(/\b(set|where|on|and|or)\b/gi) || [];
        const assignment = (before.pop() || '').toLowerCase() === 'set';
        if (ddl.narrow.has(m[1]) && !assignment)
          failures.push(`${name}: varchar column ${m[1]} compared with a parameter not cast to its type`);
      }
    let ast = null;
    try {
      ast = parser.astify(sql, options);
    } catch (e) {
      const gap = knownGaps.find((g) => g.test.test(sql));
      if (gap) gaps.push(`${name}: ${gap.name}`);
      else failures.push(`${name}: not T-SQL the parser reads: ${e.message.split('\n')[0]}\n    ${sql}`);
    }
    if (!ast || script) continue;
    const parsed = parser.tableList(sql, options).concat(parser.columnList(sql, options));
    for (const entry of parsed) {
      const [kind, , rawName] = entry.split('::');
      const known = kind === 'select' || kind === 'update' || kind === 'insert' || kind === 'delete';
      if (!known || !rawName || rawName === '(.*)') continue;
      const isTable = parsed.indexOf(entry) < parser.tableList(sql, options).length;
      const spelled = (isTable ? tables : columns).get(rawName.toLowerCase());
      if (spelled && spelled !== rawName)
        failures.push(`${name}: ${isTable ? 'table' : 'column'} "${rawName}" is spelled "${spelled}" in the DDL`);
    }
  }

  for (const gap of gaps) console.log(`known parser gap, not checked: ${gap}`);
  for (const failure of failures) console.log(`FAIL ${failure}`);
  const failed = new Set(failures.map((f) => f.slice(0, f.indexOf(': '))));
  console.log(`${items.length - failed.size} passed, ${failed.size} failed`);
  process.exit(failures.length ? 1 : 0);
}

main();
