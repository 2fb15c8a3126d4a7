-- Tables of the system schema KalDeron (file KALDERON.db of the embedded
-- database). Loads with the plain sqlite3 shell:
--   sqlite3 DIR/KALDERON.db < schema/kalderon.sql
-- Together with application.sql this is the whole schema: no index here
-- needs the database's Oracle-dialect functions. The statements' comparisons
-- of formatted dates (to_char(BakDtm,'yyyymmdd')=:b4, ...) are turned into
-- ranges of the date column by the embedded database's translation, which
-- the primary key of Zev133Bak serves.
--
-- Type conventions of the embedded database:
--   VARCHAR2(n)  text (TEXT affinity), stored byte for byte;
--   INTEGER      a 32-bit number read into an int;
--   REAL         a number read into a double;
--   REAL -- date an Oracle DATE of a calendar or operational table, stored as
--                a Julian day number (julianday(): midnight is .5, the time of
--                day is the fraction). Declared REAL rather than DATE so that
--                the column's affinity is stated plainly.
-- Dates of the warehouse kind (yyyymmdd text, compared as text) are
-- VARCHAR2(8) and never DATE: a DATE column would turn '20240115' into a
-- number.

-- Base calendar: one row per calendar day. The calendar's own numbering
-- decides which days form a week (BakWch), quarter (BakQua) and half-year
-- (BakHjh); BakWtg is read into the daily balances.
CREATE TABLE Zev133Bak (
  BakDtm REAL NOT NULL,  -- date: the day, at midnight
  BakWch INTEGER,
  BakQua INTEGER,
  BakHjh INTEGER,
  BakWtg INTEGER,
  -- readToday, lookupBakWtg (BakDtm=<day>), readLastCalendarDay
  -- (max(BakDtm)), the +-7 day range of weekBounds and the day, month and
  -- year ranges of the bounds lookups.
  CONSTRAINT Zev133Bak_PK PRIMARY KEY (BakDtm)
);

-- Function codes. FcdTyp is a booking function of the value list 13102.
CREATE TABLE Zev131Fcd (
  FcdNum VARCHAR2(3) NOT NULL,
  FcdTyp INTEGER,
  FcdTxt VARCHAR2(30),
  FcdKrt VARCHAR2(2),
  -- lookupFcdText (fcdnum=:b2) and lookupFunctionCode (FcdNum=:b6).
  CONSTRAINT Zev131Fcd_PK PRIMARY KEY (FcdNum)
);

-- Value lists: one text per list (ftxnumspr), value (ftxwhl) and language
-- (ftxspr). The program reads list 13102, the booking functions.
CREATE TABLE Zev102whl (
  ftxnumspr INTEGER NOT NULL,
  ftxwhl INTEGER NOT NULL,
  ftxspr INTEGER NOT NULL,
  ftxt50 VARCHAR2(50),
  -- lookupFktText and the type text of lookupFunctionCode, both by list,
  -- value and language.
  CONSTRAINT Zev102whl_PK PRIMARY KEY (ftxnumspr, ftxwhl, ftxspr)
);

-- Individual evaluation periods. DwhVon/DwhBis are yyyymmdd text compared
-- with the transfer window as text; DwhDar 1 flags an evaluation to be built;
-- DwhSta 5 marks it as done.
CREATE TABLE Zev800Dwh (
  DwhNam VARCHAR2(50) NOT NULL,
  DwhVon VARCHAR2(8),
  DwhBis VARCHAR2(8),
  DwhDar INTEGER,
  DwhSta INTEGER,
  -- The evaluation mark (update ... where DwhNam=:b0): a name is one
  -- evaluation.
  CONSTRAINT Zev800Dwh_PK PRIMARY KEY (DwhNam)
);

-- The evaluation cursor: DwhDar=1 and DwhVon<=:b0 ... order by DwhVon.
CREATE INDEX Zev800Dwh_Dar ON Zev800Dwh (DwhDar, DwhVon);
