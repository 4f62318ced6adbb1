#include "output/rtf_reader.h"

#include <cctype>
#include <optional>

#include "output/cp1252.h"
#include "output/utf8.h"

namespace paginor::testing {
namespace {

enum class Destination { Body, FontTable, ColorTable, Picture, Skipped };

struct GroupState {
  Destination destination = Destination::Body;
  int font = -1;  // -1: the default font
  int half_points = 24;
  int color = 0;
  TFontStyles style;
};

class Reader {
 public:
  explicit Reader(std::string_view rtf) : rtf_(rtf) {}

  RTFContent Read() {
    if (!rtf_.starts_with("{\\rtf")) return Fail("no {\\rtf at the start");
    while (pos_ < rtf_.size() && out_.error.empty())
      Step();
    if (!out_.error.empty()) return out_;
    if (!ended_) return Fail("the outer group is not closed");
    return out_;
  }

 private:
  RTFContent Fail(std::string message) {
    if (out_.error.empty()) out_.error = message + " at byte " + std::to_string(pos_);
    return out_;
  }

  void Step() {
    const char c = rtf_[pos_++];
    if (ended_) {
      if (c != '\n' && c != '\r') Fail("data after the outer group");
      return;
    }
    switch (c) {
      case '{':
        stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
        return;
      case '}':
        if (stack_.empty()) {
          Fail("unbalanced }");
          return;
        }
        EndGroup();
        stack_.pop_back();
        ended_ = stack_.empty();
        return;
      case '\\':
        Escape();
        return;
      case '\r':
      case '\n':
        return;
      default:
        Text(c);
    }
  }

  void Escape() {
    if (pos_ >= rtf_.size()) {
      Fail("backslash at the end");
      return;
    }
    const char c = rtf_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c))) {
      ControlWord();
    } else if (c == '\'') {
      const std::string hex(rtf_.substr(pos_ + 1, 2));
      if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
          !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
        Fail("bad \\' escape");
        return;
      }
      pos_ += 3;
      if (skip_ > 0) {
        --skip_;
        return;
      }
      Text(static_cast<char>(std::stoi(hex, nullptr, 16)));
    } else if (c == '\\' || c == '{' || c == '}') {
      ++pos_;
      Text(c);
    } else if (c == '*') {
      ++pos_;
      stack_.back().destination = Destination::Skipped;
    } else {
      Fail(std::string("unknown control symbol ") + c);
    }
  }

  void ControlWord() {
    const std::size_t start = pos_;
    while (pos_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[pos_])))
      ++pos_;
    const std::string word(rtf_.substr(start, pos_ - start));
    std::optional<int> parameter;
    const std::size_t number = pos_;
    if (pos_ < rtf_.size() && rtf_[pos_] == '-') ++pos_;
    while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_])))
      ++pos_;
    if (pos_ > number) parameter = std::stoi(std::string(rtf_.substr(number, pos_ - number)));
    if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    if (stack_.size() == 1) {
      out_.control_words.push_back(word + (parameter ? std::to_string(*parameter) : ""));
    }
    Apply(word, parameter);
  }

  void Apply(const std::string& word, std::optional<int> parameter) {
    GroupState& g = stack_.back();
    if (g.destination == Destination::Skipped) return;
    const int value = parameter.value_or(1);
    if (g.destination == Destination::Picture) {
      if (word == "picw")
        picture_.picw = value;
      else if (word == "pich")
        picture_.pich = value;
      else if (word == "picwgoal")
        picture_.picwgoal = value;
      else if (word == "pichgoal")
        picture_.pichgoal = value;
      else if (word.ends_with("blip"))
        picture_.kind = word;
      else
        Fail("unexpected \\" + word + " in a picture");
      return;
    }
    if (g.destination == Destination::FontTable) {
      if (word == "f") {
        font_number_ = value;
      } else if (word != "fnil" && word != "fcharset") {
        Fail("unexpected \\" + word + " in the font table");
      }
      return;
    }
    if (g.destination == Destination::ColorTable) {
      if (word == "red") {
        color_ |= static_cast<TColor>(value);
      } else if (word == "green") {
        color_ |= static_cast<TColor>(value) << 8;
      } else if (word == "blue") {
        color_ |= static_cast<TColor>(value) << 16;
      } else {
        Fail("unexpected \\" + word + " in the colour table");
      }
      color_set_ = true;
      return;
    }
    if (word == "rtf" || word == "ansi") {
    } else if (word == "ansicpg") {
      out_.codepage = value;
    } else if (word == "deff") {
      out_.default_font = value;
    } else if (word == "fonttbl") {
      g.destination = Destination::FontTable;
    } else if (word == "colortbl") {
      g.destination = Destination::ColorTable;
    } else if (word == "pard") {
      paragraph_ = {};
    } else if (word == "ql") {
      paragraph_.Alignment = TAlignment::Left;
    } else if (word == "qc") {
      paragraph_.Alignment = TAlignment::Center;
    } else if (word == "qr") {
      paragraph_.Alignment = TAlignment::Right;
    } else if (word == "pict") {
      g.destination = Destination::Picture;
      picture_ = {};
      picture_.paragraph = out_.paragraphs.size();
      picture_.offset = current_.text.size();
      picture_depth_ = stack_.size();
    } else if (word == "uc") {
      uc_ = value;
    } else if (word == "u") {
      if (!parameter) Fail("\\u without a number");
      Unicode(static_cast<char32_t>(value < 0 ? value + 0x10000 : value));
      skip_ = uc_;
    } else if (word == "fi" || word == "li") {
    } else if (word == "par") {
      current_.paragraph = paragraph_;
      current_.mark = Attributes();
      out_.paragraphs.push_back(std::move(current_));
      current_ = {};
      bullet_ = Bullet::None;
    } else if (word == "f") {
      g.font = value;
    } else if (word == "fs") {
      if (value % 2 != 0) Fail("odd \\fs");
      g.half_points = value;
    } else if (word == "cf") {
      g.color = value;
    } else if (word == "b" || word == "i" || word == "ul" || word == "strike") {
      const TFontStyle s = word == "b"    ? fsBold
                           : word == "i"  ? fsItalic
                           : word == "ul" ? fsUnderline
                                          : fsStrikeOut;
      if (value != 0) {
        g.style.Include(s);
      } else {
        g.style.Exclude(s);
      }
    } else if (word == "ulnone") {
      g.style.Exclude(fsUnderline);
    } else if (word == "plain") {
      g = GroupState{.destination = g.destination};
    } else if (word == "bullet") {
      if (current_.text.empty() && bullet_ == Bullet::None) {
        bullet_ = Bullet::Seen;
      } else {
        Text('\x95');
      }
    } else if (word == "tab") {
      if (bullet_ == Bullet::Seen && current_.text.empty()) {
        bullet_ = Bullet::Done;
        paragraph_.Numbering = TNumbering::Bullet;
      } else {
        Text('\t');
      }
    } else {
      Fail("unknown control word \\" + word);
    }
  }

  // A UTF-16 unit of \uN: surrogates pair up into one character.
  void Unicode(char32_t unit) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_surrogate_ = unit;
      return;
    }
    char32_t u = unit;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      if (high_surrogate_ == 0) Fail("a low surrogate alone");
      u = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00);
    }
    high_surrogate_ = 0;
    Character(u);
  }

  void Character(char32_t u) {
    if (stack_.back().destination != Destination::Body) {
      Fail("\\u outside the text");
      return;
    }
    const std::string bytes = ToUtf8(std::u32string(1, u));
    current_.text += bytes;
    current_.attributes.insert(current_.attributes.end(), bytes.size(), Attributes());
  }

  void Text(char c) {
    GroupState& g = stack_.back();
    if (skip_ > 0 && g.destination == Destination::Body) {
      --skip_;  // the fallback of a \uN
      return;
    }
    switch (g.destination) {
      case Destination::Skipped:
        return;
      case Destination::Picture:
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
          Fail("not a hexadecimal digit in a picture");
        } else if (hex_digit_) {
          picture_.bytes += static_cast<char>(std::stoi(std::string{*hex_digit_, c}, nullptr, 16));
          hex_digit_.reset();
        } else {
          hex_digit_ = c;
        }
        return;
      case Destination::FontTable:
        if (c == ';') {
          if (font_number_ != static_cast<int>(out_.fonts.size())) Fail("fonts out of order");
          out_.fonts.push_back(font_name_);
          font_name_.clear();
        } else {
          font_name_ += c;
        }
        return;
      case Destination::ColorTable:
        if (c == ';') {
          out_.colors.push_back(color_set_ ? color_ : clWindowText);
          color_ = 0;
          color_set_ = false;
        } else if (c != ' ') {
          Fail("text in the colour table");
        }
        return;
      case Destination::Body:
        if (bullet_ == Bullet::Seen) Fail("\\bullet without \\tab");
        Character(Cp1252ToUnicode(static_cast<unsigned char>(c)));
        return;
    }
  }

  void EndGroup() {
    if (stack_.back().destination == Destination::Picture && stack_.size() == picture_depth_) {
      if (hex_digit_) Fail("an odd number of hexadecimal digits");
      out_.pictures.push_back(std::move(picture_));
      picture_ = {};
    }
    if (stack_.size() == 1 && !current_.text.empty()) Fail("text after the last \\par");
  }

  TTextAttributes Attributes() {
    const GroupState& g = stack_.back();
    const int font = g.font < 0 ? out_.default_font : g.font;
    TTextAttributes a;
    if (font < 0 || font >= static_cast<int>(out_.fonts.size())) {
      Fail("undefined font " + std::to_string(font));
    } else {
      a.Name = out_.fonts[static_cast<std::size_t>(font)];
    }
    if (g.color < 0 || g.color >= static_cast<int>(out_.colors.size())) {
      Fail("undefined colour " + std::to_string(g.color));
    } else {
      a.Color = out_.colors[static_cast<std::size_t>(g.color)];
    }
    a.Size = g.half_points / 2;
    a.Style = g.style;
    return a;
  }

  enum class Bullet { None, Seen, Done };

  std::string_view rtf_;
  std::size_t pos_ = 0;
  bool ended_ = false;
  std::vector<GroupState> stack_;
  RTFContent out_;
  int font_number_ = -1;
  std::string font_name_;
  TColor color_ = 0;
  bool color_set_ = false;
  TParaAttributes paragraph_;
  RTFParagraph current_;
  Bullet bullet_ = Bullet::None;
  int uc_ = 1;    // fallback characters after each \uN
  int skip_ = 0;  // fallback characters still to skip
  char32_t high_surrogate_ = 0;
  RTFPicture picture_;
  std::size_t picture_depth_ = 0;
  std::optional<char> hex_digit_;
};

}  // namespace

RTFContent ReadRTF(std::string_view rtf) {
  return Reader(rtf).Read();
}

}  // namespace paginor::testing
