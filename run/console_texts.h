// The program's fixed console texts, in the Windows-1252 code page the
// operators' consoles use ("\xFC" is the "u umlaut" of "fuer").
#ifndef RAVLEN_RUN_CONSOLE_TEXTS_H_
#define RAVLEN_RUN_CONSOLE_TEXTS_H_

namespace ravlen {

inline constexpr char kBanner[] =
    "\n"
    "*******************************************************\n"
    "** Projekt     : KORVANTIX                           **\n"
    "** Tool        : Ravlen                              **\n"
    "** Beschreibung: Datenuebernahme in Data Warehouse   **\n"
    "*******************************************************\n"
    "\n";

inline constexpr char kUsage[] =
    "---------------------------------------------------------------\n"
    "Befehlsformat: \n"
    "RAVLEN.EXE Inidatei  DatumVon  [DatumBis]  [Auswertungsname]   \n"
    "\n"
    "Inidatei     = Name der  Ini-Datei     \n"
    "DatumVon     = Von Datum  \n"
    "DatumBis     = Bis Datum  \n"
    "\n"
    "optional kann \\D f\xFCr Debugausgaben angehangen werden \n"
    "\n"
    "Beispiel:\n"
    "RAVLEN.EXE ..\\Files\\Korvantix.ini  20030901  20030904 GEW\n"
    "---------------------------------------------------------------\n"
    "\n"
    "oder ..\n"
    "\n"
    "---------------------------------------------------------------\n"
    "Befehlsformat: \n"
    "RAVLEN.EXE Inidatei  Art \n"
    "\n"
    "Inidatei   = Name der  Ini-Datei     \n"
    "Parm.      = 2: Uebernahme des aktuellen Monats \n"
    "           = 3: Uebernahme Vorjahr, aktuelles Jahr, Folgejahr \n"
    "\n"
    "optional kann \\D f\xFCr Debugausgaben angehangen werden \n"
    "\n"
    "Beispiel:\n"
    "RAVLEN.EXE ..\\Files\\Korvantix.ini  3 \n"
    "---------------------------------------------------------------\n"
    "\n";

inline constexpr char kIniNotFound[] = "INI-Datei nicht gefunden \n";
inline constexpr char kConnectFailed[] = "Db-Connect fehlgeschlagen \n";
inline constexpr char kWindowError[] = "Ravlen: Error (VonDatum > BisDatum.\n";
inline constexpr char kCalendarUnreadable[] =
    "Der Basiskalender konnte nicht gelesen werden\n";
// Refusals of arguments that do not fit their fields (nothing is cut). The
// fields hold bytes; a letter beyond ASCII may take more than one.
inline constexpr char kDateTooLong[] =
    "Ravlen: Error (Datum laenger als 8 Byte: %s).\n";
inline constexpr char kNameTooLong[] =
    "Ravlen: Error (Auswertungsname laenger als 50 Byte: %s).\n";
// Refusals of a window that would otherwise reach the database (exit code
// -1); nothing has been written then.
inline constexpr char kDateInvalid[] =
    "Ravlen: Error (Ungueltiges Datum: %s).\n";
inline constexpr char kTodayUnreadable[] =
    "Ravlen: Error (Heutiges Datum nicht im Basiskalender).\n";
inline constexpr char kCalendarEmpty[] =
    "Ravlen: Error (Der Basiskalender enthaelt keine Tage).\n";
inline constexpr char kOutsideCalendar[] =
    "Ravlen: Error (VonDatum %s liegt ausserhalb des Basiskalenders %s bis "
    "%s).\n";

// Standard error: why the start failed. Every failure before the session
// is open ends with kConnectFailed on standard output (the text that
// schedulers match) and this line with the cause. A missing settings file
// keeps its own fixed message and adds the cause as well.
inline constexpr char kStartCause[] = "Ravlen: Db-Connect fehlgeschlagen: %s\n";
inline constexpr char kIniCause[] = "Ravlen: INI-Datei %s: %s\n";
// Standard error: what the open session's backend wants the operator to
// know (a guard it could not take).
inline constexpr char kStartNotice[] = "Ravlen: Hinweis: %s\n";
// The causes that the program finds itself, before the database is asked.
inline constexpr char kIniUnreadable[] = "INI-Datei %s nicht lesbar (%s)";
inline constexpr char kIniLineTooLong[] =
    "INI-Datei %s hat eine Zeile ueber %zu Byte";
inline constexpr char kSettingDamaged[] =
    "Wert von %s in der INI-Datei beschaedigt oder falsch verschluesselt";
inline constexpr char kNet8Empty[] = "NET8 in der INI-Datei fehlt oder ist leer";

inline constexpr char kDebugSwitch[] = "/D";

}  // namespace ravlen

#endif  // RAVLEN_RUN_CONSOLE_TEXTS_H_
