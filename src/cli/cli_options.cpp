#include "cli/cli_options.h"

#include "images/image_files.h"
#include "pdf/literals.h"

namespace paginor {

TCliParse ParseCommandLine(const std::vector<std::string>& args) {
  TCliOptions o;
  bool inputs_only = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::optional<std::string> inline_value;
    if (!inputs_only && arg.starts_with("--") && arg.find('=') != std::string::npos) {
      inline_value = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
    }
    // The option's value: after "=", or the next argument.
    const auto value = [&](std::string& out) {
      if (inline_value) {
        out = *inline_value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    const auto number = [&](int& out, int min, int max) {
      std::string text;
      if (!value(text)) return false;
      const auto n = ParseInt32(text);
      if (!n || *n < min || *n > max) return false;
      out = *n;
      return true;
    };
    const auto missing = [&arg](const char* what) {
      return TCliParse{std::nullopt, "Zu " + arg + " fehlt " + what + "."};
    };
    std::string text;
    if (inputs_only || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!o.input.empty()) return {std::nullopt, "Nur eine PDF-Datei angeben."};
      o.input = arg;
    } else if (arg == "--") {
      inputs_only = true;
    } else if (arg == "-t" || arg == "--text") {
      if (!value(text)) return missing("die Datei");
      o.text_file = text;
    } else if (arg == "-H" || arg == "--html") {
      if (!value(text)) return missing("die Datei");
      o.html_file = text;
    } else if (arg == "-r" || arg == "--rtf") {
      if (!value(text)) return missing("die Datei");
      o.rtf_file = text;
    } else if (arg == "-i" || arg == "--images") {
      if (!value(text)) return missing("der Ordner");
      o.images_dir = text;
    } else if (arg == "--image-base") {
      if (!value(o.image_base)) return missing("der Name");
    } else if (arg == "--image-format") {
      if (!value(text) || !FormatFromName(text)) {
        return {std::nullopt,
                "--image-format erwartet bmp, dib, gif, iff, jif, jpg, lbm, pcx, "
                "rle, tga, tif oder png."};
      }
      o.image_format = text;
    } else if (arg == "-p" || arg == "--password") {
      if (!value(text)) return missing("das Passwort");
      o.password = text;
    } else if (arg == "--font") {
      if (!value(o.font) || o.font.empty()) return missing("der Name der Schriftart");
    } else if (arg == "--font-px") {
      if (!number(o.font_px, 1, 1000)) return {std::nullopt, "--font-px erwartet 1 bis 1000."};
    } else if (arg == "--dpi") {
      if (!number(o.dpi, 1, 10000)) return {std::nullopt, "--dpi erwartet 1 bis 10000."};
    } else if (arg == "--no-horizontal-layout") {
      o.convert.HorzLayCheck = false;
    } else if (arg == "--no-vertical-layout") {
      o.convert.VertLayCheck = false;
    } else if (arg == "--from-page-edge") {
      o.convert.StartWTCheck = false;
    } else if (arg == "--tabs") {
      o.convert.TabsCheck = true;
    } else if (arg == "--no-image-links") {
      o.convert.HTMLLinksCheck = false;
    } else if (arg == "--no-images") {
      o.convert.ReadPicsCheck = false;
    } else if (arg == "--strict") {
      o.convert.ModernCheck = false;
    } else if (arg == "--encoding") {
      if (!value(text) || (text != "utf-8" && text != "cp1252")) {
        return {std::nullopt, "--encoding erwartet utf-8 oder cp1252."};
      }
      o.convert.Windows1252Text = text == "cp1252";
    } else if (arg == "--info") {
      o.info = true;
    } else if (arg == "-q" || arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--progress") {
      o.progress = true;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else {
      return {std::nullopt, "Unbekannte Option: " + arg};
    }
  }
  if (o.input.empty() && !o.help && !o.version) {
    return {std::nullopt, "Keine PDF-Datei angegeben."};
  }
  return {o, {}};
}

std::string UsageText() {
  return "Aufruf: paginor-convert [OPTIONEN] EINGABE.pdf\n"
         "Wandelt eine PDF-Datei in Text, HTML und Richtext um und zieht ihre Bilder heraus.\n"
         "\n"
         "  -t, --text DATEI       reiner Text, UTF-8 (ohne Ausgabeoption: Text auf die\n"
         "                         Standardausgabe)\n"
         "  -H, --html DATEI       die HTML-Seite, die Bilddateien daneben\n"
         "  -r, --rtf DATEI        Richtext\n"
         "  -i, --images ORDNER    jedes Bild als Datei: BASIS + Nummer (3 Stellen) + Endung\n"
         "      --image-base TEXT  die Basis der Bildnamen, vorgegeben \"Bild\"\n"
         "      --image-format F   bmp dib gif iff jif jpg lbm pcx rle tga tif png;\n"
         "                         vorgegeben: jpg für 24-Bit-Bilder, gif für die anderen\n"
         "  -p, --password PW      Benutzerpasswort (ohne diese Option wird nur das leere\n"
         "                         Passwort versucht)\n"
         "      --font NAME        Schriftart des Textes und der Messungen, vorgegeben Arial\n"
         "      --font-px N        ihre Höhe in Pixeln, vorgegeben 15\n"
         "      --dpi N            die Bildschirmauflösung für die Messungen, vorgegeben 96\n"
         "      --no-horizontal-layout  horizontales Layout nicht ausgleichen\n"
         "      --no-vertical-layout    vertikales Layout nicht ausgleichen\n"
         "      --from-page-edge   Einrückung vom Seitenrand statt vom Textanfang\n"
         "      --tabs             Tabs statt Leerzeichen\n"
         "      --no-image-links   keine HTML-Links zu den Bildern\n"
         "      --no-images        keine Bilder einlesen\n"
         "      --strict           nur klassische PDF-Dateien lesen (\"Moderne und beschädigte\n"
         "                         PDF-Dateien lesen\" aus)\n"
         "      --encoding E       utf-8 (vorgegeben): jedes Zeichen der Seite; cp1252: nur die\n"
         "                         Zeichen von Windows-1252, die anderen als \"?\", wie frühere\n"
         "                         Versionen (die Textdatei bleibt UTF-8)\n"
         "      --info             Seitenzahl, Größe jeder Seite in Punkt, die Bilder und die\n"
         "                         Statuszeilen auf der Standardausgabe; keine Datei wird\n"
         "                         geschrieben\n"
         "  -q, --quiet            keine Statuszeilen\n"
         "      --progress         ein Fortschrittsbalken auf der Standardfehlerausgabe\n"
         "  -h, --help             diese Hilfe\n"
         "      --version          die Version\n"
         "\n"
         "Rückgabewert: 0 umgewandelt, 1 keine gültige PDF-Datei (was gelesen wurde, wird\n"
         "trotzdem geschrieben), 2 falscher Aufruf, 3 Eingabe nicht lesbar, 4 Passwort nicht\n"
         "angenommen, 5 eine Ausgabe kann nicht geschrieben werden (geht 1 vor; eine schon\n"
         "vorhandene Datei bleibt dann unverändert)\n";
}

}  // namespace paginor
