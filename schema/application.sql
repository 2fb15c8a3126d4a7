-- Tables of the application schema: the operational tables that Ravlen reads
-- and the warehouse tables that it writes. The schema's name is chosen at
-- install time (the SCHEMA setting), so nothing here is qualified. Loads
-- with the plain sqlite3 shell:
--   sqlite3 DIR/KORV.db < schema/application.sql
-- Together with kalderon.sql this is the whole schema: no index here needs
-- the database's Oracle-dialect functions. The statements' comparisons of
-- formatted dates (to_char(BchVon,'yyyymmdd')>=:b0, ...) are turned into
-- ranges of the date column by the embedded database's translation, which
-- the plain indexes serve.
--
-- Type conventions of the embedded database:
--   VARCHAR2(n)  text (TEXT affinity), stored byte for byte;
--   INTEGER      a 32-bit number read into an int;
--   REAL         a number read into a double;
--   REAL -- date an Oracle DATE of an operational table, stored as a Julian
--                day number (julianday(): midnight is .5, the time of day is
--                the fraction). Declared REAL rather than DATE so that the
--                column's affinity is stated plainly.
-- Warehouse dates (yyyymmdd text, compared as text) are VARCHAR2(8) and never
-- DATE: a DATE column would turn '20240115' into a number. Timestamps of
-- warehouse rows are VARCHAR2(14) text yyyymmddhh24miss.
--
-- Keys leave a column nullable where the program may legitimately write an
-- empty text into it (an empty text arrives as NULL): such rows must still
-- be stored by the writers' insert.

------------------------------------------------------------------------------
-- Operational tables (read only)
------------------------------------------------------------------------------

-- Time accounts; ZktSnr names the balance pair (1..7) that carries the
-- account in the daily balances.
CREATE TABLE Zev130Zkt (
  ZktNum VARCHAR2(10) NOT NULL,
  ZktSnr INTEGER,
  -- lookupZktSnr (ZktNum=:b2).
  CONSTRAINT Zev130Zkt_PK PRIMARY KEY (ZktNum)
);

-- Working-time models.
CREATE TABLE Zev140Azv (
  AzvNum VARCHAR2(5) NOT NULL,
  AzvGlv INTEGER,
  AzvGlb INTEGER,
  AzvKev INTEGER,
  AzvKeb INTEGER,
  AzvMav INTEGER,
  AzvMab INTEGER,
  AzvPsm VARCHAR2(5),
  AzvSol INTEGER,
  -- lookupGazAzv, second step (AzvNum=:b16).
  CONSTRAINT Zev140Azv_PK PRIMARY KEY (AzvNum)
);

-- Persons. PnrNeb, PnrAkt and PnrEnd are texts, not dates.
CREATE TABLE ZEV300PNR (
  PnrNum VARCHAR2(8) NOT NULL,
  PnrSpr INTEGER,       -- language of the person's texts
  PnrGeb REAL,          -- date
  PnrEin REAL,          -- date
  PnrGbi REAL,          -- date
  PnrNam VARCHAR2(50),
  PnrStr VARCHAR2(50),
  PnrPlz VARCHAR2(10),
  PnrOrt VARCHAR2(50),
  PnrTel VARCHAR2(30),
  PnrMob VARCHAR2(30),
  PnrEml VARCHAR2(50),
  PnrAnr INTEGER,
  PnrTit INTEGER,
  PnrAnm VARCHAR2(50),
  PnrSta INTEGER,
  PnrMrt VARCHAR2(15),
  PnrFrt VARCHAR2(15),
  PnrFre VARCHAR2(15),
  PnrBea INTEGER,
  PnrNeb VARCHAR2(8),
  PnrAkt VARCHAR2(8),
  PnrEnd VARCHAR2(8),
  PnrKrd VARCHAR2(20),
  PnrPrt VARCHAR2(15),
  -- lookupPnrSpr (PNRNUM=:b2) and the join of the personnel cursor
  -- (PnrNum=BsvPnr).
  CONSTRAINT ZEV300PNR_PK PRIMARY KEY (PnrNum)
);

-- Employment periods: valid from BsvGvo to BsvGbi, open-ended when BsvGbi
-- is NULL.
CREATE TABLE Zev310Bsv (
  BsvPnr VARCHAR2(8) NOT NULL,
  BsvGvo REAL NOT NULL,  -- date
  BsvGbi REAL,           -- date
  BsvPnm VARCHAR2(50),
  BsvAbr VARCHAR2(5),
  BsvLug VARCHAR2(10),
  BsvUrl VARCHAR2(5),
  BsvBgr INTEGER,
  BsvDwt REAL,
  BsvSal VARCHAR2(5),
  BsvLfz VARCHAR2(5),
  BsvSfr VARCHAR2(5),
  BsvJam VARCHAR2(5),
  BsvKal VARCHAR2(5),
  BsvPrz REAL,
  BsvMma INTEGER,
  BsvMon INTEGER,
  BsvDms INTEGER,
  BsvAgm INTEGER,
  BsvAgv INTEGER,
  BsvRe0 VARCHAR2(50),
  BsvRe1 VARCHAR2(50),
  BsvRe2 VARCHAR2(50),
  BsvRe3 VARCHAR2(50),
  BsvRe4 VARCHAR2(50),
  BsvRe5 VARCHAR2(50),
  BsvRe6 VARCHAR2(50),
  BsvRe7 VARCHAR2(50),
  BsvRe8 VARCHAR2(50),
  BsvRe9 VARCHAR2(50),
  -- lookupBsv (BsvPnr=:b58 and BsvGvo<=<day> ...) and the personnel
  -- cursor's join by person.
  CONSTRAINT Zev310Bsv_PK PRIMARY KEY (BsvPnr, BsvGvo)
);

-- The personnel cursor: employment periods that begin on or before the
-- window end (BsvGvo<=to_date(:b0,'yyyymmdd')).
CREATE INDEX Zev310Bsv_Gvo ON Zev310Bsv (BsvGvo);

-- Assignments of persons, valid from ZuoGvo to ZuoGbi (NULL: open-ended).
CREATE TABLE Zev311Zuo (
  ZuoPnr VARCHAR2(8) NOT NULL,
  ZuoGvo REAL NOT NULL,  -- date
  ZuoGbi REAL,           -- date
  -- lookupZuo (ZuoPnr=:b4 and ZuoGvo<=<day> ...).
  CONSTRAINT Zev311Zuo_PK PRIMARY KEY (ZuoPnr, ZuoGvo)
);

-- Daily balances of a person, period code and day.
CREATE TABLE Zev320Tgb (
  TgbPnr VARCHAR2(8) NOT NULL,
  TgbZtr INTEGER NOT NULL,
  TgbDtm REAL NOT NULL,  -- date
  TgbVt1 INTEGER, TgbVt2 INTEGER, TgbVt3 INTEGER, TgbVt4 INTEGER,
  TgbVt5 INTEGER, TgbVt6 INTEGER, TgbVt7 INTEGER,
  TgbSa1 INTEGER, TgbSa2 INTEGER, TgbSa3 INTEGER, TgbSa4 INTEGER,
  TgbSa5 INTEGER, TgbSa6 INTEGER, TgbSa7 INTEGER,
  TgbMax INTEGER, TgbNrm INTEGER, TgbMab INTEGER, TgbVhs INTEGER,
  TgbUnb INTEGER, TgbVab INTEGER, TgbPse INTEGER,
  -- One balance per person, period code and day; also serves
  -- lookupTgbPeriodEnd's search of the person's rows of one period code.
  CONSTRAINT Zev320Tgb_PK PRIMARY KEY (TgbPnr, TgbZtr, TgbDtm)
);

-- The daily-balance source cursor (openTgbSource): TgbDtm between two days.
CREATE INDEX Zev320Tgb_Dtm ON Zev320Tgb (TgbDtm);

-- Time-recording bookings. Bookings of the same person, day, time and
-- function may occur more than once, so the table has no unique key.
CREATE TABLE Zev321Bch (
  BchPnr VARCHAR2(8),
  BchVon REAL,           -- date: the booking day
  BchUhr REAL,           -- date: the booking time
  BchFkt INTEGER,
  BchFcd VARCHAR2(3),
  BchKst VARCHAR2(30),
  BchTrm VARCHAR2(255),
  BchErf VARCHAR2(50)
);

-- The booking source cursor (openBchSource) and the booking count
-- (openBchCount, its day texts as a range of BchVon): BchVon between two
-- days.
CREATE INDEX Zev321Bch_Von ON Zev321Bch (BchVon);

-- Working-time models assigned to a person for single days.
CREATE TABLE Zev322Gaz (
  GazPnr VARCHAR2(8) NOT NULL,
  GazDtm REAL NOT NULL,  -- date
  GazGlv INTEGER,
  GazGlb INTEGER,
  GazKev INTEGER,
  GazKeb INTEGER,
  GazMav INTEGER,
  GazMab INTEGER,
  GazPsm VARCHAR2(5),
  GazSol INTEGER,
  -- lookupGazAzv, first step (GazPnr=:b16 and GazDtm=<day>).
  CONSTRAINT Zev322Gaz_PK PRIMARY KEY (GazPnr, GazDtm)
);

-- Day records of a person: day codes and function codes of three slots.
CREATE TABLE Zev327Tag (
  TagPnr VARCHAR2(8) NOT NULL,
  TagTag REAL NOT NULL,  -- date
  TagKzv INTEGER,
  TagPzv INTEGER,
  TagTgb VARCHAR2(3),
  TagHtv VARCHAR2(3),
  TagHtn VARCHAR2(3),
  TagNpk INTEGER,
  TagAmp INTEGER,
  -- lookupTag (TagPnr=:b14 and TagTag=<day>).
  CONSTRAINT Zev327Tag_PK PRIMARY KEY (TagPnr, TagTag)
);

-- Organisational assignments of a person, each starting on ZtgVon.
CREATE TABLE Zev329Ztg (
  ZtgPnr VARCHAR2(8) NOT NULL,
  ZtgVon REAL NOT NULL,  -- date
  ZtgAzt VARCHAR2(5),
  ZtgVra VARCHAR2(5),
  ZtgAkr VARCHAR2(5),
  ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30),
  ZtgKtr VARCHAR2(6),
  ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5),
  ZtgBsd VARCHAR2(5),
  ZtgTtp VARCHAR2(3),
  -- lookupBchZtg, lookupPnrZtg and lookupZtg: person and starting day.
  CONSTRAINT Zev329Ztg_PK PRIMARY KEY (ZtgPnr, ZtgVon)
);

-- Time-account bookings of a person, period code and day. The same person,
-- period code, day and account keys may occur more than once, so the table
-- has no unique key.
CREATE TABLE Zev331Zkb (
  ZkbPnr VARCHAR2(8),
  ZkbZtr INTEGER,
  ZkbDtm REAL,           -- date
  ZkbKst VARCHAR2(30),
  ZkbKtr VARCHAR2(6),
  ZkbKrt VARCHAR2(4),
  ZkbZkt VARCHAR2(5),
  ZkbStd INTEGER,
  ZkbTge INTEGER,
  ZkbStg INTEGER,
  ZkbSto INTEGER,
  ZkbBem INTEGER
);

-- The time-account source cursor (openZkbSource: person, period code and
-- day) and countDayZkb (person, period code 1, a range of days).
CREATE INDEX Zev331Zkb_Pnr ON Zev331Zkb (ZkbPnr, ZkbZtr, ZkbDtm);

-- Annual leave entitlement of a person and year.
CREATE TABLE Zev332Urv (
  UrvPnr VARCHAR2(8) NOT NULL,
  UrvJhr INTEGER NOT NULL,
  UrvVjr REAL,
  UrvUan REAL,
  UrvGur REAL,
  UrvMin REAL,
  UrvVur REAL,
  UrvAbg REAL,
  UrvJub REAL,
  UrvSbh REAL,
  UrvZus REAL,
  UrvSul REAL,
  -- lookupUrv (UrvPnr=:b22 and UrvJhr=:b23).
  CONSTRAINT Zev332Urv_PK PRIMARY KEY (UrvPnr, UrvJhr)
);

-- Leave balances of a person, dated.
CREATE TABLE Zev332Utg (
  UtgPnr VARCHAR2(8) NOT NULL,
  UtgDtm REAL NOT NULL,  -- date
  UtgGut REAL,
  UtgVtg REAL,
  UtgGkt REAL,
  UtgVfl REAL,
  UtgRtg REAL,
  -- lookupLatestUtg: the person's rows up to a day, latest first.
  CONSTRAINT Zev332Utg_PK PRIMARY KEY (UtgPnr, UtgDtm)
);

-- Special leave entitlement of a person and year.
CREATE TABLE Zev332Sfv (
  SfvPnr VARCHAR2(8) NOT NULL,
  SfvJhr INTEGER NOT NULL,
  SfvVtg REAL,
  SfvVan REAL,
  SfvZus REAL,
  -- lookupSfv (SfvPnr=:b6 and SfvJhr=:b7).
  CONSTRAINT Zev332Sfv_PK PRIMARY KEY (SfvPnr, SfvJhr)
);

-- Special leave balances of a person, dated. The third value is spelt
-- SzfAnt in this table; the statement that reads it uses that name.
CREATE TABLE Zev332Sfz (
  SfzPnr VARCHAR2(8) NOT NULL,
  SfzDtm REAL NOT NULL,  -- date
  SfzGen REAL,
  SfzAns REAL,
  SzfAnt REAL,
  SfzVpl REAL,
  -- lookupLatestSfz: the person's rows up to a day, latest first.
  CONSTRAINT Zev332Sfz_PK PRIMARY KEY (SfzPnr, SfzDtm)
);

-- Annual working-time target of a person for the period JavBeg .. JavEnd.
CREATE TABLE Zev332Jav (
  JavPnr VARCHAR2(8) NOT NULL,
  JavBeg REAL NOT NULL,  -- date
  JavEnd REAL,           -- date
  JavJaz INTEGER,
  -- lookupJav (JavPnr=<person> and JavBeg<=<day> and JavEnd>=<day>).
  CONSTRAINT Zev332Jav_PK PRIMARY KEY (JavPnr, JavBeg)
);

-- Cost centres.
CREATE TABLE O1003KSTSTELLE (
  kstnum VARCHAR2(30) NOT NULL,
  kstktx VARCHAR2(30),
  -- lookupKstText (kstnum=:b2).
  CONSTRAINT O1003KSTSTELLE_PK PRIMARY KEY (kstnum)
);

------------------------------------------------------------------------------
-- Warehouse tables (written by Ravlen)
--
-- Period codes: 1 day, 2 week, 3 month, 4 quarter, 5 half-year, 6 year in
-- the 899 tables; 7 individual evaluation period in the 898 tables. Each
-- key starts with period code and date, so that the same index serves the
-- writers' update by key, the clear-down delete (date range of one period
-- code) and the sum cursors (one period code, a date range).
------------------------------------------------------------------------------

-- Bookings.
CREATE TABLE Zev899Bch (
  BchPnr VARCHAR2(8) NOT NULL,
  BchVon VARCHAR2(8) NOT NULL,  -- yyyymmdd
  BchUhr VARCHAR2(6) NOT NULL,  -- hh24miss
  BchFkt INTEGER NOT NULL,
  BchTtx VARCHAR2(30),
  BchFcd VARCHAR2(3),
  BchFtx VARCHAR2(30),
  BchKst VARCHAR2(30),
  BchKtx VARCHAR2(30),
  BchBup INTEGER,
  BchErf VARCHAR2(50),
  BchTrm VARCHAR2(255),
  ZtgAzt VARCHAR2(5),
  ZtgVra VARCHAR2(5),
  ZtgAkr VARCHAR2(5),
  ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30),
  ZtgKtr VARCHAR2(6),
  ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5),
  ZtgBsd VARCHAR2(5),
  BchDat VARCHAR2(14),
  -- writeBch: update where BchPnr, BchVon, BchUhr and BchFkt match.
  CONSTRAINT Zev899Bch_PK PRIMARY KEY (BchPnr, BchVon, BchUhr, BchFkt)
);

-- Personnel master data.
CREATE TABLE Zev899Pnr (
  PnrNum VARCHAR2(8) NOT NULL,
  PnrGeb VARCHAR2(8),  -- yyyymmdd
  PnrEin VARCHAR2(8),  -- yyyymmdd
  PnrGbi VARCHAR2(8),  -- yyyymmdd
  PnrNam VARCHAR2(50),
  PnrStr VARCHAR2(50),
  PnrPlz VARCHAR2(10),
  PnrOrt VARCHAR2(50),
  PnrTel VARCHAR2(30),
  PnrMob VARCHAR2(30),
  PnrEml VARCHAR2(50),
  PnrAnr INTEGER,
  PnrTit INTEGER,
  PnrAnm VARCHAR2(50),
  PnrLug VARCHAR2(10),
  PnrSta INTEGER,
  PnrMrt VARCHAR2(15),
  PnrFrt VARCHAR2(15),
  PnrFre VARCHAR2(15),
  PnrBea INTEGER,
  PnrNeb VARCHAR2(8),
  PnrAkt VARCHAR2(8),
  PnrEnd VARCHAR2(8),
  PnrKrd VARCHAR2(20),
  PnrPrt VARCHAR2(15),
  ZtgAzt VARCHAR2(5),
  ZtgVra VARCHAR2(5),
  ZtgAkr VARCHAR2(5),
  ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30),
  ZtgKtr VARCHAR2(6),
  ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5),
  ZtgBsd VARCHAR2(5),
  PnrDat VARCHAR2(14),
  -- writePnr: update where PnrNum matches.
  CONSTRAINT Zev899Pnr_PK PRIMARY KEY (PnrNum)
);

-- Daily balances and their period sums, period codes 1 to 6; 120 columns
-- in the order of the writer's insert.
CREATE TABLE Zev899Tgb (
  TgbPnr VARCHAR2(8) NOT NULL,
  TgbZtr INTEGER NOT NULL,
  TgbDtm VARCHAR2(8) NOT NULL,  -- yyyymmdd, first day of the period
  TgbVt1 INTEGER, TgbVt2 INTEGER, TgbVt3 INTEGER, TgbVt4 INTEGER,
  TgbVt5 INTEGER, TgbVt6 INTEGER, TgbVt7 INTEGER,
  TgbSa1 INTEGER, TgbSa2 INTEGER, TgbSa3 INTEGER, TgbSa4 INTEGER,
  TgbSa5 INTEGER, TgbSa6 INTEGER, TgbSa7 INTEGER,
  TgbMax INTEGER, TgbNrm INTEGER, TgbMab INTEGER, TgbVhs INTEGER,
  TgbUnb INTEGER, TgbVab INTEGER, TgbPse INTEGER, TgbGaz INTEGER,
  TgbTx1 VARCHAR2(30), TgbTx2 VARCHAR2(30), TgbTx3 VARCHAR2(30),
  TgbFt1 VARCHAR2(30), TgbFt2 VARCHAR2(30), TgbFt3 VARCHAR2(30),
  TgbTm1 VARCHAR2(2), TgbTm2 VARCHAR2(2), TgbTm3 VARCHAR2(2),
  TagTgb VARCHAR2(3), TagHtv VARCHAR2(3), TagHtn VARCHAR2(3),
  TagKzv INTEGER, TagPzv INTEGER, TagAmp INTEGER, TagNpk INTEGER,
  ZtgVra VARCHAR2(5), ZtgAkr VARCHAR2(5), ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30), ZtgKtr VARCHAR2(6), ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5), ZtgBsd VARCHAR2(5), ZtgTtp VARCHAR2(3),
  ZtgAzt VARCHAR2(5),
  AzvSol INTEGER, AzvGlv INTEGER, AzvGlb INTEGER, AzvKev INTEGER,
  AzvKeb INTEGER, AzvMav INTEGER, AzvMab INTEGER, AzvPsm VARCHAR2(5),
  BakWtg INTEGER,
  BsvPnm VARCHAR2(50), BsvAbr VARCHAR2(5), BsvLug VARCHAR2(10),
  BsvUrl VARCHAR2(5), BsvBgr INTEGER, BsvDwt REAL,
  BsvSal VARCHAR2(5), BsvLfz VARCHAR2(5), BsvSfr VARCHAR2(5),
  BsvJam VARCHAR2(5), BsvKal VARCHAR2(5), BsvPrz REAL,
  BsvMma INTEGER, BsvMon INTEGER, BsvDms INTEGER, BsvAgm INTEGER,
  BsvAgv INTEGER,
  BsvRe0 VARCHAR2(50), BsvRe1 VARCHAR2(50), BsvRe2 VARCHAR2(50),
  BsvRe3 VARCHAR2(50), BsvRe4 VARCHAR2(50), BsvRe5 VARCHAR2(50),
  BsvRe6 VARCHAR2(50), BsvRe7 VARCHAR2(50), BsvRe8 VARCHAR2(50),
  BsvRe9 VARCHAR2(50),
  BsvGvo VARCHAR2(8), BsvGbi VARCHAR2(8),  -- yyyymmdd
  ZuoGvo VARCHAR2(8), ZuoGbi VARCHAR2(8),  -- yyyymmdd
  UrvJhr INTEGER,
  UrvVjr REAL, UrvUan REAL, UrvGur REAL, UrvMin REAL, UrvVur REAL,
  UrvAbg REAL, UrvJub REAL, UrvSbh REAL, UrvZus REAL, UrvSul REAL,
  UtgGut REAL, UtgVtg REAL, UtgGkt REAL, UtgVfl REAL, UtgRtg REAL,
  SfzGen REAL, SfzAns REAL, SfzAnt REAL, SfzVpl REAL,
  SfvVtg REAL, SfvVan REAL, SfvZus REAL,
  JavJaz INTEGER, JavIst INTEGER, JavSol INTEGER, JavDif INTEGER,
  JavDi2 INTEGER,
  TgbDat VARCHAR2(14),
  -- writeTgb: update where TgbPnr, TgbZtr and TgbDtm match; the clear-down
  -- delete and openTgbSum: TgbZtr and a range of TgbDtm.
  CONSTRAINT Zev899Tgb_PK PRIMARY KEY (TgbZtr, TgbDtm, TgbPnr)
);

-- Daily-balance sums of the individual evaluation periods (period code 7):
-- the 120 columns of Zev899Tgb, then the evaluation's name and last day.
CREATE TABLE Zev898Tgb (
  TgbPnr VARCHAR2(8) NOT NULL,
  TgbZtr INTEGER NOT NULL,
  TgbDtm VARCHAR2(8) NOT NULL,  -- yyyymmdd, first day of the period
  TgbVt1 INTEGER, TgbVt2 INTEGER, TgbVt3 INTEGER, TgbVt4 INTEGER,
  TgbVt5 INTEGER, TgbVt6 INTEGER, TgbVt7 INTEGER,
  TgbSa1 INTEGER, TgbSa2 INTEGER, TgbSa3 INTEGER, TgbSa4 INTEGER,
  TgbSa5 INTEGER, TgbSa6 INTEGER, TgbSa7 INTEGER,
  TgbMax INTEGER, TgbNrm INTEGER, TgbMab INTEGER, TgbVhs INTEGER,
  TgbUnb INTEGER, TgbVab INTEGER, TgbPse INTEGER, TgbGaz INTEGER,
  TgbTx1 VARCHAR2(30), TgbTx2 VARCHAR2(30), TgbTx3 VARCHAR2(30),
  TgbFt1 VARCHAR2(30), TgbFt2 VARCHAR2(30), TgbFt3 VARCHAR2(30),
  TgbTm1 VARCHAR2(2), TgbTm2 VARCHAR2(2), TgbTm3 VARCHAR2(2),
  TagTgb VARCHAR2(3), TagHtv VARCHAR2(3), TagHtn VARCHAR2(3),
  TagKzv INTEGER, TagPzv INTEGER, TagAmp INTEGER, TagNpk INTEGER,
  ZtgVra VARCHAR2(5), ZtgAkr VARCHAR2(5), ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30), ZtgKtr VARCHAR2(6), ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5), ZtgBsd VARCHAR2(5), ZtgTtp VARCHAR2(3),
  ZtgAzt VARCHAR2(5),
  AzvSol INTEGER, AzvGlv INTEGER, AzvGlb INTEGER, AzvKev INTEGER,
  AzvKeb INTEGER, AzvMav INTEGER, AzvMab INTEGER, AzvPsm VARCHAR2(5),
  BakWtg INTEGER,
  BsvPnm VARCHAR2(50), BsvAbr VARCHAR2(5), BsvLug VARCHAR2(10),
  BsvUrl VARCHAR2(5), BsvBgr INTEGER, BsvDwt REAL,
  BsvSal VARCHAR2(5), BsvLfz VARCHAR2(5), BsvSfr VARCHAR2(5),
  BsvJam VARCHAR2(5), BsvKal VARCHAR2(5), BsvPrz REAL,
  BsvMma INTEGER, BsvMon INTEGER, BsvDms INTEGER, BsvAgm INTEGER,
  BsvAgv INTEGER,
  BsvRe0 VARCHAR2(50), BsvRe1 VARCHAR2(50), BsvRe2 VARCHAR2(50),
  BsvRe3 VARCHAR2(50), BsvRe4 VARCHAR2(50), BsvRe5 VARCHAR2(50),
  BsvRe6 VARCHAR2(50), BsvRe7 VARCHAR2(50), BsvRe8 VARCHAR2(50),
  BsvRe9 VARCHAR2(50),
  BsvGvo VARCHAR2(8), BsvGbi VARCHAR2(8),  -- yyyymmdd
  ZuoGvo VARCHAR2(8), ZuoGbi VARCHAR2(8),  -- yyyymmdd
  UrvJhr INTEGER,
  UrvVjr REAL, UrvUan REAL, UrvGur REAL, UrvMin REAL, UrvVur REAL,
  UrvAbg REAL, UrvJub REAL, UrvSbh REAL, UrvZus REAL, UrvSul REAL,
  UtgGut REAL, UtgVtg REAL, UtgGkt REAL, UtgVfl REAL, UtgRtg REAL,
  SfzGen REAL, SfzAns REAL, SfzAnt REAL, SfzVpl REAL,
  SfvVtg REAL, SfvVan REAL, SfvZus REAL,
  JavJaz INTEGER, JavIst INTEGER, JavSol INTEGER, JavDif INTEGER,
  JavDi2 INTEGER,
  TgbDwh VARCHAR2(50) NOT NULL,  -- the evaluation's name
  DwhBis VARCHAR2(8) NOT NULL,   -- yyyymmdd, the evaluation's last day
  TgbDat VARCHAR2(14),
  -- writeTgbEvaluation: update where TgbDwh, TgbPnr, TgbZtr, TgbDtm and
  -- DwhBis match; the clear-down delete: TgbZtr and a range of TgbDtm.
  CONSTRAINT Zev898Tgb_PK PRIMARY KEY (TgbZtr, TgbDtm, TgbPnr, TgbDwh, DwhBis)
);

-- Time-account bookings and their period sums, period codes 1 to 6.
CREATE TABLE Zev899Zkb (
  ZkbPnr VARCHAR2(8) NOT NULL,
  ZkbZtr INTEGER NOT NULL,
  ZkbDtm VARCHAR2(8) NOT NULL,  -- yyyymmdd, first day of the period
  ZkbKst VARCHAR2(30),
  ZkbKtr VARCHAR2(6),
  ZkbKrt VARCHAR2(4),
  ZkbZkt VARCHAR2(5),
  ZkbStd INTEGER,
  ZkbTge INTEGER,
  ZkbStg INTEGER,
  ZkbSto INTEGER,
  ZkbBem INTEGER,
  ZkbNum INTEGER,
  ZkbAnz INTEGER,
  ZtgVra VARCHAR2(5),
  ZtgAkr VARCHAR2(5),
  ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30),
  ZtgKtr VARCHAR2(6),
  ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5),
  ZtgBsd VARCHAR2(5),
  ZtgTtp VARCHAR2(3),
  ZkbDat VARCHAR2(14),
  -- writeZkb: update where ZkbPnr, ZkbZtr, ZkbDtm, ZkbKst, ZkbKtr, ZkbKrt
  -- and ZkbZkt match; the clear-down delete and openZkbSum: ZkbZtr and a
  -- range of ZkbDtm. The four account keys may be empty (NULL); such a
  -- booking never matches the update and is stored by the insert.
  CONSTRAINT Zev899Zkb_UK UNIQUE
    (ZkbZtr, ZkbDtm, ZkbPnr, ZkbKst, ZkbKtr, ZkbKrt, ZkbZkt)
);

-- Time-account sums of the individual evaluation periods (period code 7).
CREATE TABLE Zev898Zkb (
  ZkbPnr VARCHAR2(8) NOT NULL,
  ZkbZtr INTEGER NOT NULL,
  ZkbDtm VARCHAR2(8) NOT NULL,  -- yyyymmdd, first day of the period
  ZkbKst VARCHAR2(30),
  ZkbKtr VARCHAR2(6),
  ZkbKrt VARCHAR2(4),
  ZkbZkt VARCHAR2(5),
  ZkbStd INTEGER,
  ZkbTge INTEGER,
  ZkbStg INTEGER,
  ZkbSto INTEGER,
  ZkbBem INTEGER,
  ZkbNum INTEGER,
  ZkbAnz INTEGER,
  ZtgVra VARCHAR2(5),
  ZtgAkr VARCHAR2(5),
  ZtgAbt VARCHAR2(15),
  ZtgKst VARCHAR2(30),
  ZtgKtr VARCHAR2(6),
  ZtgKrt VARCHAR2(4),
  ZtgAgr VARCHAR2(5),
  ZtgBsd VARCHAR2(5),
  ZtgTtp VARCHAR2(3),
  TgbDwh VARCHAR2(50) NOT NULL,  -- the evaluation's name
  DwhBis VARCHAR2(8) NOT NULL,   -- yyyymmdd, the evaluation's last day
  ZkbDat VARCHAR2(14),
  -- writeZkbEvaluation: update where TgbDwh, ZkbPnr, ZkbZtr, ZkbDtm,
  -- ZkbKst, ZkbKtr, ZkbKrt, ZkbZkt and DwhBis match; the clear-down delete:
  -- ZkbZtr and a range of ZkbDtm.
  CONSTRAINT Zev898Zkb_UK UNIQUE
    (ZkbZtr, ZkbDtm, ZkbPnr, ZkbKst, ZkbKtr, ZkbKrt, ZkbZkt, TgbDwh, DwhBis)
);

-- Booking counts per person, function code and period, period codes 1
-- to 6. BstFkt is not part of the key: writeBst inserts, and on a duplicate
-- key adds its count to the row of the same person, period code, first day
-- and function code. BstFcd may be empty (NULL).
CREATE TABLE Zev899Bst (
  BstPnr VARCHAR2(8) NOT NULL,
  BstZtr INTEGER NOT NULL,
  BstDtm VARCHAR2(8) NOT NULL,  -- yyyymmdd, first day of the period
  BstFcd VARCHAR2(3),
  BstFkt INTEGER,
  BstAnz INTEGER,
  BstDat VARCHAR2(14),
  -- writeBst: the insert's duplicate check and the add-on update (BstPnr,
  -- BstZtr, BstDtm, BstFcd); the clear-down delete and openBstSum: BstZtr
  -- and a range of BstDtm.
  CONSTRAINT Zev899Bst_UK UNIQUE (BstZtr, BstDtm, BstPnr, BstFcd)
);

-- Booking counts of the individual evaluation periods (period code 7).
CREATE TABLE Zev898Bst (
  BstDwh VARCHAR2(50) NOT NULL,  -- the evaluation's name
  BstPnr VARCHAR2(8) NOT NULL,
  BstZtr INTEGER NOT NULL,
  BstDtm VARCHAR2(8) NOT NULL,   -- yyyymmdd, first day of the period
  BstFcd VARCHAR2(3),
  BstFkt INTEGER,
  BstAnz INTEGER,
  DwhBis VARCHAR2(8) NOT NULL,   -- yyyymmdd, the evaluation's last day
  BstDat VARCHAR2(14),
  -- writeBstEvaluation: the insert's duplicate check and the add-on update
  -- (BstDwh, BstPnr, BstZtr, BstDtm, DwhBis, BstFcd); the clear-down
  -- delete: BstZtr and a range of BstDtm.
  CONSTRAINT Zev898Bst_UK UNIQUE (BstZtr, BstDtm, BstPnr, BstFcd, BstDwh, DwhBis)
);
