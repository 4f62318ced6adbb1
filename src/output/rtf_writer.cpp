#include "output/rtf_writer.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "output/cp1252.h"
#include "output/image_links.h"
#include "output/utf8.h"

namespace paginor {
namespace {

constexpr int kMaxPoints = 1638;  // the largest size RTF readers accept

bool IsAutomatic(TColor c) {
  return (c & 0xFF000000u) != 0;
}

// The document's face names and explicit colours, numbered in the order of first use.
class TTables {
 public:
  explicit TTables(const TRichDocument& doc) {
    FontIndex(doc.DefaultFont().Name);
    for (int64_t p = 0; p < doc.TextLength();) {
      const TAttributeRun run = doc.RunAt(p);
      FontIndex(run.Attributes.Name);
      if (!IsAutomatic(run.Attributes.Color)) ColorIndex(run.Attributes.Color);
      p = run.End;
    }
  }

  int FontIndex(const std::string& name) { return IndexOf(fonts_, name); }
  int ColorIndex(TColor c) {
    if (IsAutomatic(c)) return 0;
    return IndexOf(colors_, c & 0xFFFFFFu) + 1;
  }
  const std::vector<std::string>& fonts() const { return fonts_; }
  const std::vector<TColor>& colors() const { return colors_; }

 private:
  template <typename T>
  static int IndexOf(std::vector<T>& list, const T& value) {
    const auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) return static_cast<int>(it - list.begin());
    list.push_back(value);
    return static_cast<int>(list.size()) - 1;
  }

  std::vector<std::string> fonts_;
  std::vector<TColor> colors_;
};

// Writes control words and text so that a control word is always properly delimited.
class TRTFOut {
 public:
  void Control(std::string_view word, std::optional<int> parameter = std::nullopt) {
    out_ += '\\';
    out_ += word;
    if (parameter) {
      char digits[16];
      const auto end = std::to_chars(digits, digits + sizeof digits, *parameter).ptr;
      out_.append(digits, end);
    }
    delimit_ = true;
  }
  // Raw RTF syntax: braces, semicolons, line ends.
  void Syntax(std::string_view s) {
    out_ += s;
    delimit_ = false;
  }
  // A character of the document.
  void Text(char32_t u) {
    if (u >= 0x80) {
      if (const auto code = UnicodeToCp1252(u)) {
        Byte(static_cast<char>(*code));
      } else if (u > 0xFFFF && u <= 0x10FFFF) {
        Unicode(0xD800 + ((u - 0x10000) >> 10));
        Unicode(0xDC00 + ((u - 0x10000) & 0x3FF));
      } else {
        Unicode(u);
      }
      return;
    }
    Byte(static_cast<char>(u));
  }
  // A Windows-1252 character.
  void Byte(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\t') {
      Control("tab");
    } else if (c == '\\' || c == '{' || c == '}') {
      const char escaped[] = {'\\', c};
      Syntax({escaped, sizeof escaped});
    } else if (u < 0x20 || u >= 0x80) {
      static constexpr char kHex[] = "0123456789abcdef";
      const char escaped[] = {'\\', '\'', kHex[u >> 4], kHex[u & 0xF]};
      Syntax({escaped, sizeof escaped});
    } else {
      if (delimit_) out_ += ' ';
      Syntax({&c, 1});
    }
  }
  // Binary data as hexadecimal digits, in lines of 128.
  void Hex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_.reserve(out_.size() + bytes.size() * 2 + bytes.size() / 64 + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (i % 64 == 0) out_ += '\n';
      const auto b = static_cast<unsigned char>(bytes[i]);
      out_ += kHex[b >> 4];
      out_ += kHex[b & 0xF];
    }
    delimit_ = false;
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
  // \uN with N as a signed 16-bit number and "?" for readers that do not know it.
  void Unicode(char32_t unit) {
    Control("u", unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit));
    Syntax("?");
  }

  bool delimit_ = false;  // the last thing written is a control word
};

struct TCharState {
  int font = -1;
  int half_points = -1;
  int color = -1;
  TFontStyles style;
};

class TRTFWriter {
 public:
  TRTFWriter(const TRichDocument& doc, const TRtfPictures& pictures)
      : doc_(doc), pictures_(pictures), tables_(doc) {}

  std::string Write() {
    WriteHeader();
    const int lines = doc_.LineCount();
    for (int i = 0; i < lines; ++i)
      WriteLine(i);
    out_.Syntax("}\n");
    return out_.Take();
  }

 private:
  void WriteHeader() {
    out_.Syntax("{");
    out_.Control("rtf", 1);
    out_.Control("ansi");
    out_.Control("ansicpg", 1252);
    out_.Control("deff", 0);
    out_.Syntax("\n{");
    out_.Control("fonttbl");
    for (std::size_t f = 0; f < tables_.fonts().size(); ++f) {
      out_.Syntax("{");
      out_.Control("f", static_cast<int>(f));
      out_.Control("fnil");
      out_.Control("fcharset", 0);
      for (char c : tables_.fonts()[f]) {
        if (c != ';') out_.Byte(c);  // a semicolon would end the entry
      }
      out_.Syntax(";}");
    }
    out_.Syntax("}\n{");
    out_.Control("colortbl");
    out_.Syntax(";");  // entry 0: the automatic colour
    for (TColor c : tables_.colors()) {
      out_.Control("red", static_cast<int>(c & 0xFF));
      out_.Control("green", static_cast<int>((c >> 8) & 0xFF));
      out_.Control("blue", static_cast<int>((c >> 16) & 0xFF));
      out_.Syntax(";");
    }
    out_.Syntax("}\n");
  }

  void WriteLine(int i) {
    const TParaAttributes para = doc_.LineParagraph(i);
    out_.Control("pard");
    if (para.Numbering == TNumbering::Bullet) {
      out_.Control("fi", -360);
      out_.Control("li", 360);
    }
    switch (para.Alignment) {
      case TAlignment::Left:
        out_.Control("ql");
        break;
      case TAlignment::Center:
        out_.Control("qc");
        break;
      case TAlignment::Right:
        out_.Control("qr");
        break;
    }
    const int64_t start = doc_.LineStart(i);
    const int64_t end = doc_.LineEnd(i);
    bool bullet = para.Numbering == TNumbering::Bullet;
    for (int64_t p = start; p < end;) {
      const TAttributeRun run = doc_.RunAt(p);
      SetFormat(run.Attributes);
      if (bullet) WriteBullet(bullet);
      const int64_t stop = std::min(run.End, end);
      const std::string_view text(doc_.Text());
      auto i = static_cast<std::size_t>(p);
      while (i < static_cast<std::size_t>(stop)) {
        if (text[i] == '<' && Picture(text.substr(0, static_cast<std::size_t>(end)), i)) continue;
        out_.Text(NextCodePoint(text, i).value_or(U'?'));
      }
      p = static_cast<int64_t>(i);
    }
    // The paragraph mark carries the line break's attributes, so empty lines keep their height.
    if (end < doc_.TextLength()) SetFormat(doc_.AttributesAt(end));
    if (bullet) WriteBullet(bullet);
    out_.Control("par");
    out_.Syntax("\n");
  }

  // Writes the picture of the image link at text[i] and moves i past the link; false when
  // there is none.
  bool Picture(std::string_view text, std::size_t& i) {
    if (!pictures_ || !doc_.PicturesInRichText()) return false;
    const TImageLinkAt link = ImageLinkAt(text, i);
    if (link.Length == 0) return false;
    const std::optional<TRtfPicture> picture = pictures_(link.Number);
    if (!picture || picture->Bytes.empty()) return false;
    out_.Syntax("{");
    out_.Control("pict");
    out_.Control(picture->Jpeg ? "jpegblip" : "pngblip");
    out_.Control("picw", picture->PixelWidth);
    out_.Control("pich", picture->PixelHeight);
    out_.Control("picwgoal", picture->WidthTwips);
    out_.Control("pichgoal", picture->HeightTwips);
    out_.Hex(picture->Bytes);
    out_.Syntax("}");
    i += link.Length;
    return true;
  }

  void WriteBullet(bool& pending) {
    out_.Control("bullet");
    out_.Control("tab");
    pending = false;
  }

  void SetFormat(const TTextAttributes& a) {
    const int font = tables_.FontIndex(a.Name);
    if (font != state_.font) out_.Control("f", state_.font = font);
    const int half_points = 2 * std::clamp(a.Size, 1, kMaxPoints);
    if (half_points != state_.half_points) out_.Control("fs", state_.half_points = half_points);
    const int color = tables_.ColorIndex(a.Color);
    if (color != state_.color) out_.Control("cf", state_.color = color);
    SetStyle(a.Style, fsBold, "b", "b0");
    SetStyle(a.Style, fsItalic, "i", "i0");
    SetStyle(a.Style, fsUnderline, "ul", "ulnone");
    SetStyle(a.Style, fsStrikeOut, "strike", "strike0");
  }

  void SetStyle(TFontStyles style, TFontStyle s, std::string_view on, std::string_view off) {
    if (style.Contains(s) == state_.style.Contains(s)) return;
    if (style.Contains(s)) {
      out_.Control(on);
      state_.style.Include(s);
    } else {
      out_.Control(off);
      state_.style.Exclude(s);
    }
  }

  const TRichDocument& doc_;
  const TRtfPictures& pictures_;
  TTables tables_;
  TRTFOut out_;
  TCharState state_;  // character formatting holds across paragraphs until changed
};

}  // namespace

std::string DocumentToRTF(const TRichDocument& doc, const TRtfPictures& pictures) {
  return TRTFWriter(doc, pictures).Write();
}

}  // namespace paginor
