#include "cli/cli_options.h"

namespace paginor {

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
  TCliOptions options;
  bool inputs_only = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    if (inputs_only || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!options.input.empty()) return {std::nullopt, "Nur eine PDF-Datei angeben."};
      options.input = arg;
    } else if (arg == "--") {
      inputs_only = true;
    } else if (arg == "-p" || arg == "--password") {
      std::string password;
      if (!value(password)) return {std::nullopt, "Zu " + arg + " fehlt das Passwort."};
      options.password = password;
    } else if (arg.starts_with("--password=")) {
      options.password = arg.substr(11);
    } else if (arg == "--info") {
      options.info = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--progress") {
      options.progress = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else {
      return {std::nullopt, "Unbekannte Option: " + arg};
    }
  }
  if (options.input.empty() && !options.help && !options.version) {
    return {std::nullopt, "Keine PDF-Datei angegeben."};
  }
  return {options, {}};
}

std::string UsageText() {
  return "Aufruf: paginor-convert [OPTIONEN] EINGABE.pdf\n"
         "Liest eine PDF-Datei mit dem Leser von Paginor.\n"
         "\n"
         "  -p, --password PW  Benutzerpasswort (ohne diese Option wird nur das leere\n"
         "                     Passwort versucht)\n"
         "      --info         Seitenzahl, Größe jeder Seite in Punkt und die Statuszeilen\n"
         "                     der Umwandlung auf der Standardausgabe; keine Datei wird\n"
         "                     geschrieben\n"
         "  -q, --quiet        keine Statuszeilen\n"
         "      --progress     ein Fortschrittsbalken auf der Standardfehlerausgabe\n"
         "  -h, --help         diese Hilfe\n"
         "      --version      die Version\n"
         "\n"
         "Rückgabewert: 0 umgewandelt, 1 keine gültige PDF-Datei, 2 falscher Aufruf,\n"
         "3 Eingabe nicht lesbar, 4 Passwort nicht angenommen\n";
}

}  // namespace paginor
