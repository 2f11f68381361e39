#include "app/command_line.h"

#include <getopt.h>

#include <vector>

namespace app {
namespace {

enum OptionCode { kDryRun = 1, kReport, kSkipChecks, kRestore, kHelp, kVersion };

const option kOptions[] = {
    {"dry-run", no_argument, nullptr, kDryRun},
    {"report", required_argument, nullptr, kReport},
    {"ohne-pruefung", no_argument, nullptr, kSkipChecks},
    {"restore", optional_argument, nullptr, kRestore},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

CommandLine UsageError(std::string error) {
  CommandLine line;
  line.action = CommandLine::Action::kUsageError;
  line.error = std::move(error);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  // getopt_long reorders what it reads; the caller's argv stays as it was, so
  // that it can be read again (by Qt, and then by us).
  std::vector<char*> args(argv, argv + argc);
  args.push_back(nullptr);
  CommandLine line;
  opterr = 0;  // the messages are ours, in German
  optind = 0;  // 0 makes glibc start afresh, also on a second call
  // A leading ':' tells a missing argument (':') from an unknown option ('?').
  int code;
  while ((code = getopt_long(argc, args.data(), ":", kOptions, nullptr)) != -1) {
    switch (code) {
      case kDryRun:
        line.dry_run = true;
        break;
      case kReport:
        line.report_file = optarg;
        if (line.report_file.empty())
          return UsageError("--report braucht einen Dateinamen");
        break;
      case kSkipChecks:
        line.skip_checks = true;
        break;
      case kRestore:
        line.action = CommandLine::Action::kRestore;
        // "--restore FILE" as well as "--restore=FILE": a following word that
        // is no option names the backup.
        if (optarg != nullptr)
          line.restore_file = optarg;
        else if (optind < argc && args[optind][0] != '-')
          line.restore_file = args[optind++];
        if (optarg != nullptr && line.restore_file.empty())
          return UsageError("--restore= braucht einen Dateinamen");
        break;
      case kHelp:
        line.action = CommandLine::Action::kHelp;
        return line;
      case kVersion:
        line.action = CommandLine::Action::kVersion;
        return line;
      case ':':  // --report is the only option with an argument
        return UsageError("--report braucht einen Dateinamen");
      default:
        // optopt names an unknown short option; a long one is in argv.
        return UsageError("Unbekannte Option: " +
                          (optopt != 0 ? std::string("-") + static_cast<char>(optopt)
                                       : std::string(args[optind - 1])));
    }
  }
  if (optind < argc)
    return UsageError(std::string("Unerwartetes Argument: ") + args[optind]);
  if (line.action == CommandLine::Action::kRestore &&
      (line.dry_run || !line.report_file.empty() || line.skip_checks))
    return UsageError(
        "--restore lässt sich nicht mit --dry-run, --report oder --ohne-pruefung "
        "verbinden");
  return line;
}

std::string UsageText() {
  return "Aufruf: update-preisliste [--dry-run] [--report DATEI] [--ohne-pruefung]\n"
         "                         [--help] [--version]\n"
         "       update-preisliste --restore [DATEI]\n";
}

// What the help says of the window: on Windows it is a program of its own
// (a program has a console or none); elsewhere Qt's, which reads its own
// options first.
#ifdef _WIN32
constexpr char kWindowHelp[] =
    "update-preisliste-fenster.exe nimmt dieselben Optionen und zeigt den Lauf\n"
    "im Fenster.\n";
#else
constexpr char kWindowHelp[] =
    "Im Fenster nimmt Qt seine eigenen Optionen (-platform, -display, -style ...)\n"
    "vorweg.\n";
#endif

// Where the settings file is looked for (platform::SettingsFileCandidates).
#ifdef _WIN32
constexpr char kSettingsPlaces[] =
    "neben dem Programm, sonst %APPDATA%\\update-preisliste\\";
#else
constexpr char kSettingsPlaces[] =
    "in $XDG_CONFIG_HOME/update-preisliste/ (~/.config/...)";
#endif

std::string HelpText() {
  return UsageText() +
         "Aktualisiert die Tabelle Numbers der Datenbank Numbers.mdb aus der Datei\n"
         "preise.csv im aktuellen Verzeichnis (sonst neben dem Programm), in einer\n"
         "Transaktion.\n"
         "\n"
         "  --dry-run        alles durchrechnen und die Zusammenfassung zeigen, dann\n"
         "                   zurückrollen: die Datenbank bleibt unverändert\n"
         "  --report DATEI   die Liste der Änderungen je Vorwahl in DATEI schreiben\n"
         "                   (UTF-8, durch ';' getrennt)\n"
         "  --ohne-pruefung  die neue Liste übernehmen, auch wenn die Datei viele\n"
         "                   fehlerhafte Zeilen hat oder viele Vorwahlen wegfielen\n"
         "                   (nur für diesen Lauf; sonst Abschnitt [Pruefung])\n"
         "  --restore [DATEI]\n"
         "                   statt eines Laufs die neueste Sicherung (oder DATEI)\n"
         "                   als Numbers.mdb zurückholen; die ersetzte Datei bleibt\n"
         "                   als Sicherung. Jeder Lauf sichert Numbers.mdb als\n"
         "                   Numbers.mdb.JJJJ-MM-TT_hh-mm-ss.bak; es bleiben die\n"
         "                   neuesten (Anzahl im Abschnitt [Sicherung], sonst 10).\n"
         "  --help           diese Hilfe zeigen\n"
         "  --version        die Version zeigen\n"
         "\n" +
         kWindowHelp +
         "\n"
         "Einstellungen: die Datei, die UPDATE_PREISLISTE_SETTINGS nennt, sonst\n"
         "update-preisliste.ini " +
         kSettingsPlaces +
         ";\n"
         "Abschnitt [Options] mit MwSt, DB Path, RatingDefaultMargin und\n"
         "MinimumRatePerMinute; [Pruefung] mit MaxFehlerhafteZeilen und MaxWegfall\n"
         "(Prozent); [Sicherung] mit Anzahl. Gelesen als UTF-8 oder UTF-16 (mit BOM),\n"
         "sonst als UTF-8, wenn gültig, sonst als ANSI (Windows-1252). Namen ohne\n"
         "Rücksicht auf Groß- und Kleinschreibung; Leerzeichen um '=' und um den Wert\n"
         "sowie Anführungszeichen um den Wert fallen weg. Kommentare (;) nur in\n"
         "eigenen Zeilen: eine unlesbare Zeile, ein Kommentar hinter einem Wert oder\n"
         "ein doppelter Schlüssel bricht mit Angabe der Zeile ab.\n"
         "\n"
         "Rückgabewert: 0 fertig (oder Probelauf, der übernommen hätte, oder\n"
         "Sicherung zurückgeholt), 1 Lauf abgebrochen (oder Probelauf, der angehalten\n"
         "hätte, oder nichts zurückgeholt), 2 falscher Aufruf, 3 Änderungsliste nicht\n"
         "geschrieben.\n";
}

std::string VersionText() { return "update-preisliste " PREISLISTE_VERSION "\n"; }

}  // namespace app
