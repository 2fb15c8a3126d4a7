-- Expression indexes of the system schema KalDeron (file KALDERON.db), to be
-- applied after kalderon.sql. They call to_char(), which only the embedded
-- database of this project provides (as a deterministic function), so the
-- plain sqlite3 shell cannot load this file. Once applied, inserting into or
-- deleting from Zev133Bak needs to_char() as well: load the calendar before
-- applying them, or through the project's own tools.
--
-- Each expression is written exactly as the statements write it: SQLite
-- uses an expression index only for the same expression.

-- The inner selects of weekBounds, quarterBounds and halfYearBounds:
-- where to_char(BakDtm,'yyyymmdd')=:b4. Not unique: a calendar holding two
-- rows of one day must make those lookups fail, not hide the second row.
CREATE INDEX Zev133Bak_Day ON Zev133Bak (to_char(BakDtm,'yyyymmdd'));

-- monthBounds: where to_char(BakDtm,'yyyymm')=substr(:b4,1,6).
CREATE INDEX Zev133Bak_Month ON Zev133Bak (to_char(BakDtm,'yyyymm'));

-- quarterBounds: where (to_char(BakDtm,'yyyy')=substr(:b4,1,4) and
-- BakQua=(select ...)).
CREATE INDEX Zev133Bak_Quarter ON Zev133Bak (to_char(BakDtm,'yyyy'), BakQua);

-- halfYearBounds: where (to_char(BakDtm,'yyyy')=substr(:b4,1,4) and
-- BakHjh=(select ...)).
CREATE INDEX Zev133Bak_HalfYear ON Zev133Bak (to_char(BakDtm,'yyyy'), BakHjh);
