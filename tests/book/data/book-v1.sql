-- SPDX-License-Identifier: GPL-3.0-or-later
-- How book-v1.sqlite was made: a book of schema version 1 as zelvara-book 1.06 first wrote it, with two
-- records, one of them in a season before the other:  sqlite3 book-v1.sqlite < book-v1.sql
PRAGMA journal_mode = WAL;
BEGIN;
CREATE TABLE players (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE names (
    key TEXT PRIMARY KEY,
    player INTEGER NOT NULL REFERENCES players (id)
) WITHOUT ROWID;
CREATE TABLE records (
    id INTEGER PRIMARY KEY,
    played TEXT NOT NULL,
    played_utc INTEGER NOT NULL,
    day TEXT NOT NULL,
    note TEXT NOT NULL,
    sheet TEXT NOT NULL,
    correction TEXT NOT NULL,
    version TEXT NOT NULL
);
CREATE INDEX records_by_time ON records (played_utc, id);
CREATE TABLE results (
    record INTEGER NOT NULL REFERENCES records (id) ON DELETE CASCADE,
    seat INTEGER NOT NULL,
    player INTEGER NOT NULL REFERENCES players (id),
    name TEXT NOT NULL,
    hundredths INTEGER NOT NULL,
    whists REAL NOT NULL,
    PRIMARY KEY (record, seat)
) WITHOUT ROWID;
CREATE INDEX results_by_player ON results (player);
INSERT INTO players (id, name) VALUES (1, 'Запад'), (2, 'Север'), (3, 'Восток'), (4, 'Юг');
INSERT INTO names (key, player) VALUES ('запад', 1), ('север', 2), ('восток', 3), ('юг', 4);
INSERT INTO records VALUES (1, '2026-11-20T20:00:00+03:00', 1795194000, '2026-11-20', 'Ноябрь', '{
  "players": 4,
  "gameType": "Sochi",
  "heapDivisibility": "OnNPlayers",
  "decimalSeparator": ",",
  "fields": {
    "ValueOfWhistFor4": "1",
    "NameOfP1For4": "Запад",
    "NameOfP2For4": "Север",
    "NameOfP3For4": "Восток",
    "NameOfP4For4": "Юг",
    "PoolOfP1For4": "10",
    "PoolOfP2For4": "8",
    "PoolOfP3For4": "6",
    "PoolOfP4For4": "10",
    "HeapOfP1For4": "20",
    "HeapOfP2For4": "4",
    "HeapOfP3For4": "12",
    "HeapOfP4For4": "0",
    "WhistsOfP1ToP2For4": "20",
    "WhistsOfP2ToP1For4": "4",
    "WhistsOfP3ToP4For4": "6",
    "WhistsOfP4ToP1For4": "2"
  }
}
', '', '1.06');
INSERT INTO records VALUES (2, '2026-12-08T21:40:00+03:00', 1796755200, '2026-12-08', 'Декабрь', '{
  "players": 3,
  "gameType": "Leningrad",
  "heapDivisibility": "OnNPlayersMinus1",
  "decimalSeparator": ",",
  "fields": {
    "ValueOfWhistFor3": "0,5",
    "PoolOfP1For3": "10",
    "PoolOfP2For3": "5",
    "PoolOfP3For3": "0",
    "HeapOfP1For3": "14",
    "HeapOfP2For3": "10",
    "HeapOfP3For3": "8",
    "WhistsOfP1ToP2For3": "30",
    "WhistsOfP2ToP1For3": "10",
    "WhistsOfP1ToP3For3": "12",
    "WhistsOfP3ToP1For3": "0",
    "WhistsOfP2ToP3For3": "5",
    "WhistsOfP3ToP2For3": "7"
  }
}
', '', '1.06');
INSERT INTO results VALUES (1, 1, 1, 'Запад', -8100, -81.0), (1, 2, 2, 'Север', 2900, 29.0),
    (1, 3, 3, 'Восток', -4900, -49.0), (1, 4, 4, 'Юг', 10100, 101.0);
INSERT INTO results VALUES (2, 1, 1, 'Запад', 6600, 132.0), (2, 2, 3, 'Восток', -600, -12.0), (2, 3, 4, 'Юг', -6000, -120.0);
PRAGMA user_version = 1;
COMMIT;
