#include "cli/cli_options.h"

#include "images/image_files.h"

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
    } else if (arg == "-i" || arg == "--images") {
      std::string dir;
      if (!value(dir)) return {std::nullopt, "Zu " + arg + " fehlt der Ordner."};
      options.images_dir = dir;
    } else if (arg == "--image-base") {
      if (!value(options.image_base)) return {std::nullopt, "Zu --image-base fehlt der Name."};
    } else if (arg == "--image-format") {
      std::string format;
      if (!value(format) || !FormatFromName(format)) {
        return {std::nullopt,
                "--image-format erwartet bmp, dib, gif, iff, jif, jpg, lbm, pcx, "
                "rle, tga oder tif."};
      }
      options.image_format = format;
    } else if (arg == "--no-images") {
      options.read_images = false;
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
         "  -i, --images ORDNER jedes Bild als Datei: BASIS + Nummer (3 Stellen) + Endung\n"
         "      --image-base TEXT  die Basis der Bildnamen, vorgegeben \"Bild\"\n"
         "      --image-format F   bmp dib gif iff jif jpg lbm pcx rle tga tif; vorgegeben:\n"
         "                     jpg für 24-Bit-Bilder, gif für die anderen\n"
         "      --no-images    keine Bilder einlesen\n"
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
