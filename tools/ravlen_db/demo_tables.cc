#include "tools/ravlen_db/demo_tables.h"

namespace ravlen {

DemoTables::DemoTables(ToolDb& db)
    : fcd(db, "KalDeron.Zev131Fcd", "FcdNum,FcdTyp,FcdTxt,FcdKrt"),
      whl(db, "KalDeron.Zev102whl", "ftxnumspr,ftxwhl,ftxspr,ftxt50"),
      dwh(db, "KalDeron.Zev800Dwh", "DwhNam,DwhVon,DwhBis,DwhDar,DwhSta"),
      zkt(db, "Zev130Zkt", "ZktNum,ZktSnr"),
      azv(db, "Zev140Azv",
          "AzvNum,AzvGlv,AzvGlb,AzvKev,AzvKeb,AzvMav,AzvMab,AzvPsm,AzvSol"),
      kst(db, "O1003KSTSTELLE", "kstnum,kstktx"),
      pnr(db, "ZEV300PNR",
          "PnrNum,PnrSpr,PnrGeb,PnrEin,PnrGbi,PnrNam,PnrStr,PnrPlz,PnrOrt,"
          "PnrTel,PnrMob,PnrEml,PnrAnr,PnrTit,PnrAnm,PnrSta,PnrMrt,PnrFrt,"
          "PnrFre,PnrBea,PnrNeb,PnrAkt,PnrEnd,PnrKrd,PnrPrt"),
      bsv(db, "Zev310Bsv",
          "BsvPnr,BsvGvo,BsvGbi,BsvPnm,BsvAbr,BsvLug,BsvUrl,BsvBgr,BsvDwt,"
          "BsvSal,BsvLfz,BsvSfr,BsvJam,BsvKal,BsvPrz,BsvMma,BsvMon,BsvDms,"
          "BsvAgm,BsvAgv,BsvRe0,BsvRe1"),
      zuo(db, "Zev311Zuo", "ZuoPnr,ZuoGvo,ZuoGbi"),
      ztg(db, "Zev329Ztg",
          "ZtgPnr,ZtgVon,ZtgAzt,ZtgVra,ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,"
          "ZtgAgr,ZtgBsd,ZtgTtp"),
      tgb(db, "Zev320Tgb",
          "TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbVt2,TgbVt3,TgbVt4,TgbVt5,TgbVt6,"
          "TgbVt7,TgbSa1,TgbSa2,TgbSa3,TgbSa4,TgbSa5,TgbSa6,TgbSa7,TgbMax,"
          "TgbNrm,TgbMab,TgbVhs,TgbUnb,TgbVab,TgbPse"),
      bch(db, "Zev321Bch",
          "BchPnr,BchVon,BchUhr,BchFkt,BchFcd,BchKst,BchTrm,BchErf"),
      gaz(db, "Zev322Gaz",
          "GazPnr,GazDtm,GazGlv,GazGlb,GazKev,GazKeb,GazMav,GazMab,GazPsm,"
          "GazSol"),
      tag(db, "Zev327Tag",
          "TagPnr,TagTag,TagKzv,TagPzv,TagTgb,TagHtv,TagHtn,TagNpk,TagAmp"),
      zkb(db, "Zev331Zkb",
          "ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStd,ZkbTge,"
          "ZkbStg,ZkbSto,ZkbBem"),
      urv(db, "Zev332Urv",
          "UrvPnr,UrvJhr,UrvVjr,UrvUan,UrvGur,UrvMin,UrvVur,UrvAbg,UrvJub,"
          "UrvSbh,UrvZus,UrvSul"),
      utg(db, "Zev332Utg", "UtgPnr,UtgDtm,UtgGut,UtgVtg,UtgGkt,UtgVfl,UtgRtg"),
      sfv(db, "Zev332Sfv", "SfvPnr,SfvJhr,SfvVtg,SfvVan,SfvZus"),
      sfz(db, "Zev332Sfz", "SfzPnr,SfzDtm,SfzGen,SfzAns,SzfAnt,SfzVpl"),
      jav(db, "Zev332Jav", "JavPnr,JavBeg,JavEnd,JavJaz") {}

std::vector<const Insert*> DemoTables::all() const {
  return {&fcd, &whl, &dwh, &zkt, &azv, &kst, &pnr, &bsv, &zuo, &ztg, &tgb,
          &bch, &gaz, &tag, &zkb, &urv, &utg, &sfv, &sfz, &jav};
}

std::vector<Insert*> DemoTables::all() {
  return {&fcd, &whl, &dwh, &zkt, &azv, &kst, &pnr, &bsv, &zuo, &ztg, &tgb,
          &bch, &gaz, &tag, &zkb, &urv, &utg, &sfv, &sfz, &jav};
}

std::string DemoTables::error() const {
  for (const Insert* insert : all()) {
    if (!insert->error().empty()) return insert->error();
  }
  return "";
}

}  // namespace ravlen
