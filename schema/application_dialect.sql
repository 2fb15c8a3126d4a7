-- Expression indexes of the application schema, to be applied after
-- application.sql. They call to_char(), which only the embedded database of
-- this project provides (as a deterministic function), so the plain sqlite3
-- shell cannot load this file. Once applied, inserting into or deleting from
-- Zev321Bch needs to_char() as well: load bookings before applying it, or
-- through the project's own tools.
--
-- Each expression is written exactly as the statements write it: SQLite
-- uses an expression index only for the same expression.

-- The booking-count cursor (openBchCount): to_char(BchVon,'yyyymmdd')
-- between two day texts.
CREATE INDEX Zev321Bch_Day ON Zev321Bch (to_char(BchVon,'yyyymmdd'));

-- lookupTgbPeriodEnd (TgbPnr=:b2 and TgbZtr=:b3 and
-- to_char(TgbDtm,'yyyymmdd')>:b4) has no index of its own: for
-- min(TgbDtm) SQLite prefers the covering primary key of Zev320Tgb
-- (TgbPnr, TgbZtr, TgbDtm) even when an expression index exists, so such
-- an index would only cost the writers of the operational table.
