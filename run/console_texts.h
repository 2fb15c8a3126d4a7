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
// Refusals of arguments that do not fit their fields (nothing is cut).
inline constexpr char kDateTooLong[] =
    "Ravlen: Error (Datum laenger als 8 Zeichen: %s).\n";
inline constexpr char kNameTooLong[] =
    "Ravlen: Error (Auswertungsname laenger als 50 Zeichen: %s).\n";
// Refusals of input that would otherwise reach the database (exit code 99
// for the settings, -1 for the window); nothing has been written then.
inline constexpr char kIniUnreadable[] =
    "Ravlen: Error (INI-Datei nicht lesbar: %s).\n";
inline constexpr char kSettingDamaged[] =
    "Ravlen: Error (Wert von %s in der INI-Datei beschaedigt oder falsch "
    "verschluesselt).\n";
inline constexpr char kNet8Empty[] =
    "Ravlen: Error (NET8 in der INI-Datei fehlt oder ist leer).\n";
inline constexpr char kDateInvalid[] =
    "Ravlen: Error (Ungueltiges Datum: %s).\n";
inline constexpr char kTodayUnreadable[] =
    "Ravlen: Error (Heutiges Datum nicht im Basiskalender).\n";

inline constexpr char kDebugSwitch[] = "/D";

}  // namespace ravlen

#endif  // RAVLEN_RUN_CONSOLE_TEXTS_H_
