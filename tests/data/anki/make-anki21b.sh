#!/usr/bin/env bash
# Makes hsk-fields.colpkg, an IMITATION of the newest package layout, from the collection
# that genanki-js wrote into hsk-fields.apkg: its tables moved to the layout of Anki's
# schema 18 (note types and fields in tables of their own, col.models emptied), compressed
# with zstd as collection.anki21b, beside a stub collection.anki2 holding one note that asks
# for a newer Anki, as recent packages have. No program that writes this layout could be
# had here. Not run by the build or CI; needs sqlite3, zstd and zip.
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unzip -q -d "$work" hsk-fields.apkg collection.anki2
cd "$work"
cp collection.anki2 stub.anki2

# Anki declares the name columns with its own collation, unknown to other SQLite users;
# the tables are made with NOCASE and the schema text changed to it afterwards.
sqlite3 collection.anki2 <<'SQL'
CREATE TABLE notetypes (id integer NOT NULL PRIMARY KEY, name text NOT NULL COLLATE NOCASE,
  mtime_secs integer NOT NULL, usn integer NOT NULL, config blob NOT NULL);
CREATE UNIQUE INDEX idx_notetypes_name ON notetypes (name);
CREATE TABLE fields (ntid integer NOT NULL, ord integer NOT NULL,
  name text NOT NULL COLLATE NOCASE, config blob NOT NULL, PRIMARY KEY (ntid, ord))
  without rowid;
CREATE UNIQUE INDEX idx_fields_name_ntid ON fields (name, ntid);
INSERT INTO notetypes
  SELECT CAST(m.key AS integer), json_extract(m.value, '$.name'), 0, 0, x''
  FROM col, json_each(col.models) AS m;
-- Inserted last field first, so that only ord gives the order.
INSERT INTO fields
  SELECT CAST(m.key AS integer), json_extract(f.value, '$.ord'),
         json_extract(f.value, '$.name'), x''
  FROM col, json_each(col.models) AS m, json_each(m.value, '$.flds') AS f
  ORDER BY 1, 2 DESC;
UPDATE col SET ver = 18, models = '';
PRAGMA writable_schema = ON;
UPDATE sqlite_master SET sql = replace(sql, 'COLLATE NOCASE', 'COLLATE unicase')
  WHERE name IN ('notetypes', 'fields');
PRAGMA writable_schema = OFF;
SQL
zstd -q -19 collection.anki2 -o collection.anki21b

mv stub.anki2 collection.anki2
sqlite3 collection.anki2 <<'SQL'
DELETE FROM notes WHERE id <> (SELECT min(id) FROM notes);
UPDATE notes SET flds = 'Please update to the latest Anki version, then import the ' ||
  '.colpkg/.apkg file again.' || char(31) || '', tags = '';
VACUUM;
SQL
printf '{}' >media
rm -f "$OLDPWD/hsk-fields.colpkg"
zip -q -X "$OLDPWD/hsk-fields.colpkg" collection.anki2 collection.anki21b media
