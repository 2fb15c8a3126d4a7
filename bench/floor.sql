-- The floor: what SQLite alone needs to copy the window's source rows into
-- the warehouse tables that a standard run fills from them, one set-based
-- "insert ... select" per table, in one transaction, with the plain sqlite3
-- shell. bench/run.sh replaces @FROM@ and @TO@ (yyyy-mm-dd) and runs it on
-- a copy of the generated database, before any run touched it.
--
-- Operational dates are Julian day numbers: strftime() turns them into the
-- warehouse's yyyymmdd and hh24miss texts. Keys that the source repeats are
-- stored once ("or replace", for the booking statistics the count is added
-- to the stored row), as the run's writers do. The floor copies the source
-- columns only: the run's per-row lookups of master data have no
-- counterpart here, so the ratio run/floor is the price of the row-at-a-
-- time program, its lookups included.
.timer on
.mode list
begin;
-- Buchungen: the window's bookings.
insert or replace into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd,BchKst,
  BchTrm,BchErf,BchDat)
select BchPnr, strftime('%Y%m%d',BchVon), strftime('%H%M%S',BchUhr), BchFkt,
  BchFcd, BchKst, BchTrm, BchErf, strftime('%Y%m%d%H%M%S','now','localtime')
from Zev321Bch
where BchVon between julianday('@FROM@') and julianday('@TO@');
select 'Zev899Bch', changes();
-- Personal: persons employed during the window.
insert or replace into Zev899Pnr (PnrNum,PnrGeb,PnrEin,PnrGbi,PnrNam,PnrStr,
  PnrPlz,PnrOrt,PnrTel,PnrMob,PnrEml,PnrAnr,PnrTit,PnrAnm,PnrLug,PnrSta,
  PnrMrt,PnrFrt,PnrFre,PnrBea,PnrNeb,PnrAkt,PnrEnd,PnrKrd,PnrPrt,PnrDat)
select distinct PnrNum, strftime('%Y%m%d',PnrGeb), strftime('%Y%m%d',PnrEin),
  strftime('%Y%m%d',PnrGbi), PnrNam, PnrStr, PnrPlz, PnrOrt, PnrTel, PnrMob,
  PnrEml, PnrAnr, PnrTit, PnrAnm, BsvLug, PnrSta, PnrMrt, PnrFrt, PnrFre,
  PnrBea, PnrNeb, PnrAkt, PnrEnd, PnrKrd, PnrPrt,
  strftime('%Y%m%d%H%M%S','now','localtime')
from ZEV300PNR, Zev310Bsv
where PnrNum=BsvPnr and BsvGvo<=julianday('@TO@')
  and (BsvGbi>=julianday('@FROM@') or BsvGbi is null);
select 'Zev899Pnr', changes();
-- Tagessalden: the window's daily balances of every period code.
insert or replace into Zev899Tgb (TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbVt2,TgbVt3,
  TgbVt4,TgbVt5,TgbVt6,TgbVt7,TgbSa1,TgbSa2,TgbSa3,TgbSa4,TgbSa5,TgbSa6,
  TgbSa7,TgbMax,TgbNrm,TgbMab,TgbVhs,TgbUnb,TgbVab,TgbPse,TgbDat)
select TgbPnr, TgbZtr, strftime('%Y%m%d',TgbDtm), TgbVt1, TgbVt2, TgbVt3,
  TgbVt4, TgbVt5, TgbVt6, TgbVt7, TgbSa1, TgbSa2, TgbSa3, TgbSa4, TgbSa5,
  TgbSa6, TgbSa7, TgbMax, TgbNrm, TgbMab, TgbVhs, TgbUnb, TgbVab, TgbPse,
  strftime('%Y%m%d%H%M%S','now','localtime')
from Zev320Tgb
where TgbDtm between julianday('@FROM@') and julianday('@TO@');
select 'Zev899Tgb', changes();
-- Zeitkontobuchungen: the time-account bookings of those daily balances.
insert or replace into Zev899Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,
  ZkbZkt,ZkbStd,ZkbTge,ZkbStg,ZkbSto,ZkbBem,ZkbDat)
select ZkbPnr, ZkbZtr, strftime('%Y%m%d',ZkbDtm), ZkbKst, ZkbKtr, ZkbKrt,
  ZkbZkt, ZkbStd, ZkbTge, ZkbStg, ZkbSto, ZkbBem,
  strftime('%Y%m%d%H%M%S','now','localtime')
from Zev331Zkb
where ZkbDtm between julianday('@FROM@') and julianday('@TO@');
select 'Zev899Zkb', changes();
-- Tag: the bookings counted per person, day, function code and function.
insert into Zev899Bst (BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz,BstDat)
select BchPnr, 1, strftime('%Y%m%d',BchVon), BchFcd, BchFkt, count(*),
  strftime('%Y%m%d%H%M%S','now','localtime')
from Zev321Bch
where BchVon between julianday('@FROM@') and julianday('@TO@') and BchFkt<>45
group by BchVon, BchPnr, BchFcd, BchFkt
on conflict (BstZtr,BstDtm,BstPnr,BstFcd)
  do update set BstAnz=BstAnz+excluded.BstAnz, BstDat=excluded.BstDat;
select 'Zev899Bst', changes();
commit;
