#include "output/html_writer.h"

#include "output/cp1252.h"
#include "output/utf8.h"

namespace paginor {

std::string_view HTMLFontSize(int points) {
  if (points <= 8) return "1";
  if (points <= 10) return "2";
  if (points <= 12) return "3";
  if (points <= 14) return "4";
  if (points <= 18) return "5";
  if (points <= 24) return "6";
  return "7";
}

uint32_t HTMLColor(uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

std::string HTMLColorCode(uint32_t color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const uint32_t rgb = HTMLColor(color);
  std::string code(6, '0');
  for (int k = 0; k < 6; ++k)
    code[static_cast<std::size_t>(5 - k)] = kDigits[(rgb >> (4 * k)) & 0xF];
  return code;
}

std::string HTMLChar(char c, bool& tag_flag) {
  if (c == '<') {
    tag_flag = true;
  } else if (c == '>') {
    tag_flag = false;
  }
  if (tag_flag) return std::string(1, c);
  switch (static_cast<unsigned char>(c)) {
    case 0xE4:
      return "&auml;";
    case 0xC4:
      return "&Auml;";
    case 0xF6:
      return "&ouml;";
    case 0xD6:
      return "&Ouml;";
    case 0xFC:
      return "&uuml;";
    case 0xDC:
      return "&Uuml;";
    case 0xDF:
      return "&szlig;";
    case '&':
      return "&amp;";
    case '"':
      return "&quot;";
    case ' ':
      return "&nbsp;";
    default:
      return std::string(1, c);
  }
}

std::string HTMLCharacter(char32_t u, bool& tag_flag) {
  if (const auto code = UnicodeToCp1252(u)) return HTMLChar(static_cast<char>(*code), tag_flag);
  return "&#" + std::to_string(static_cast<uint32_t>(u)) + ";";
}

namespace {

// The state of one output line's font and style tags.
struct TLineTags {
  std::string name;
  std::string size;
  std::string color;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

void AppendStyleTag(std::string& out, bool now, bool& last, std::string_view tag) {
  if (now == last) return;
  out += now ? "<" : "</";
  out += tag;
  out += '>';
  last = now;
}

void AppendLine(TRichDocument& doc, std::string_view text, std::string& out, bool& tag_flag) {
  const TParaAttributes para = doc.Paragraph();
  switch (para.Alignment) {
    case TAlignment::Left:
      out += "<div align=left>";
      break;
    case TAlignment::Center:
      out += "<div align=center>";
      break;
    case TAlignment::Right:
      out += "<div align=right>";
      break;
  }
  TLineTags last;
  const bool bullet = para.Numbering == TNumbering::Bullet;
  if (bullet) out += "<ul><li>";
  if (text.empty()) out += "<br>";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t c = NextCodePoint(text, i).value_or(U'?');
    const TTextAttributes a = doc.SelAttributes();
    const std::string_view size = HTMLFontSize(a.Size);
    const std::string color = HTMLColorCode(a.Color);
    if (a.Name != last.name || size != last.size || color != last.color) {
      out += "<font face=" + a.Name + " size=";
      out += size;
      out += " color=#" + color + ">";
      last.name = a.Name;
      last.size = size;
      last.color = color;
    }
    // Bold, underline, italic: the order in which a change is written.
    AppendStyleTag(out, a.Style.Contains(fsBold), last.bold, "b");
    AppendStyleTag(out, a.Style.Contains(fsUnderline), last.underline, "u");
    AppendStyleTag(out, a.Style.Contains(fsItalic), last.italic, "i");
    out += HTMLCharacter(c, tag_flag);
    doc.SetSelStart(doc.SelStart() + static_cast<int64_t>(i - at));
    doc.SetSelLength(1);
  }
  if (last.bold) out += "</b>";
  if (last.underline) out += "</u>";
  if (last.italic) out += "</i>";
  if (bullet) out += "</li></ul>";
}

}  // namespace

std::vector<std::string> RTFToHTML(TRichDocument& doc, const std::function<bool()>& pump_and_cancel,
                                   const std::function<void(int percent)>& set_progress) {
  std::vector<std::string> lines;
  bool tag_flag = false;
  const int64_t saved_length = doc.SelLength();
  const int64_t saved_start = doc.SelStart();
  doc.SetSelStart(0);
  doc.SetSelLength(1);
  int64_t p = 0;
  lines.push_back("<html><body bgcolor=#" + HTMLColorCode(0xFFFFFF) + "><nobr>");

  const int count = doc.LineCount();
  for (int a = 0; a < count; ++a) {
    if (pump_and_cancel && !pump_and_cancel()) break;
    if (count >= 2 && set_progress) set_progress(static_cast<int>(int64_t{a} * 100 / (count - 1)));
    const std::string text = doc.Line(a);
    // Skip the line breaks between the previous line and this one, whatever their number.
    if (!text.empty()) {
      std::size_t first_end = 0;
      NextCodePoint(text, first_end);
      const std::string first = text.substr(0, first_end);  // the line's first character
      while (doc.SelText() != first && p < doc.TextLength()) {
        ++p;
        doc.SetSelStart(p);
        doc.SetSelLength(1);
      }
    }
    doc.SetSelStart(p);
    doc.SetSelLength(1);
    std::string out;
    AppendLine(doc, text, out, tag_flag);
    lines.push_back(std::move(out));
    p = doc.SelStart();
  }

  doc.SetSelStart(saved_start);
  doc.SetSelLength(saved_length);
  if (set_progress) set_progress(0);
  lines.push_back("</nobr></body></html>");
  return lines;
}

std::string HTMLFileContent(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace paginor
