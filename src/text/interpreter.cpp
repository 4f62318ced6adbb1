#include "text/interpreter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "output/cp1252.h"
#include "output/utf8.h"
#include "pdf/doc_reader.h"
#include "pdf/literals.h"
#include "text/charsets.h"
#include "text/cmap.h"
#include "text/content_lexer.h"
#include "text/standard_widths.h"
#include "text/unicode_text.h"

namespace paginor {

std::string ImageLink(int number, int bit_count) {
  return std::string("<img src=\"bild") + PadNumber3(number) + (bit_count == 24 ? ".jpg" : ".gif") +
         "\" border=0>";
}

namespace {

struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// m × n, the product that cm applies to the CTM.
Matrix Multiply(const Matrix& m, const Matrix& n) {
  return {m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d,       m.c * n.a + m.d * n.c,
          m.c * n.b + m.d * n.d, m.e * n.a + m.f * n.c + n.e, m.e * n.b + m.f * n.d + n.f};
}

// A TJ adjustment (in thousandths of an em) beyond which the text after it is placed as a run
// of its own: tables and justified lines jump this far, kerning never does.
constexpr double kSplittingJump = 1500;

// Forms inside forms beyond this depth are not shown.
constexpr std::size_t kFormDepth = 16;

// Codes without a character (0 from the glyph table, 00 bytes, control codes) never reach the
// document: each goes, and its advance joins the spacing before it.
void DropControlCharacters(TTextItem& run) {
  const auto control = [](char32_t c) { return c < 0x20; };
  if (std::none_of(run.Text.begin(), run.Text.end(), control)) return;
  if (run.CharWidths.size() != run.Text.size() || run.Spacing.size() != run.Text.size()) {
    std::erase_if(run.Text, control);
    return;
  }
  std::size_t kept = 0;
  double lead = 0;  // the advance of dropped characters before the first one kept
  for (std::size_t i = 0; i < run.Text.size(); ++i) {
    if (control(run.Text[i])) {
      const double advance = run.CharWidths[i] + run.Spacing[i];
      (kept > 0 ? run.Spacing[kept - 1] : lead) += advance;
      continue;
    }
    run.Text[kept] = run.Text[i];
    run.CharWidths[kept] = run.CharWidths[i];
    run.Spacing[kept] = run.Spacing[i];
    ++kept;
  }
  run.Text.resize(kept);
  run.CharWidths.resize(kept);
  run.Spacing.resize(kept);
  run.X += lead;
}

// The data of the font selected by the last Tf on the page.
struct CurrentFontData {
  std::array<uint8_t, 256> diff_codes{};
  std::array<bool, 256> diff_defined{};
  std::array<double, 256> widths{};
  std::array<bool, 256> width_defined{};
  int32_t first_char = 0;
  bool is_type3 = false;
  double bbox_height = 1.0;
  std::array<double, 6> font_matrix{0.001, 0, 0, 0.001, 0, 0};  // of a Type 3 font
  std::shared_ptr<const TFontExtras> extras;                    // the modern reader's mapping
  TStandardWidths standard_widths{""};                          // for codes the font gives no width
};

const TCapLimits& LimitsOf(const TInterpreterContext& context) {
  static const TCapLimits defaults;
  return context.caps != nullptr ? context.caps->Limits : defaults;
}

class Interpreter {
 public:
  Interpreter(const TInterpreterContext& context, TDynaArray<TTextItem>& runs)
      : context_(context), limits_(LimitsOf(context)), runs_(runs), first_run_(runs.Count()) {}

  void Run(std::string content) {
    RunTokens(std::move(content));
    for (const TFormXObject& appearance : context_.annotations) {
      // Each appearance stands on the page by itself, placed by its own matrix.
      ctm_ = Matrix{};
      stack_.clear();
      operands_.clear();
      resources_ = -1;
      ShowForm(appearance);
    }
  }

 private:
  void RunTokens(std::string content) {
    if (context_.modern) {
      TContentLexer lexer(content);
      std::string t;
      while (lexer.Next(t)) {
        Pump();
        Take(t);
      }
      return;
    }
    TDocReader reader(std::move(content));
    reader.SetPos(0);
    while (reader.GetPos() < reader.Size()) {
      Pump();
      Take(reader.ReadToken());
    }
  }

  // The clock is read every few tokens; the user interface runs at most every ~20 ms.
  void Pump() {
    if (!context_.process_events || ++tokens_ % 64 != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_pump_ >= std::chrono::milliseconds(20)) {
      context_.process_events();
      last_pump_ = now;
    }
  }

  void Take(const std::string& t) {
    if (context_.modern) {
      // Inside an array every token is an operand: an operator written into a TJ array
      // (as some producers do) neither acts nor clears the strings before it.
      if (t == "[") ++array_depth_;
      if (t == "]" && array_depth_ > 0) --array_depth_;
      if (array_depth_ > 0 && IsStateOperator(t)) {
        Keep(t);
        return;
      }
      if (array_depth_ > 0 && IsOperatorWord(t)) array_depth_ = 0;  // an array never closed
    }
    Keep(t);
    Operator(t);
    if (!t.empty() && (t[0] == 'T' || t[0] == '\'' || t[0] == '"')) operands_.clear();
  }

  // Operators that set text or colour state, which producers write into TJ arrays.
  static bool IsStateOperator(const std::string& t) {
    static const std::array<std::string_view, 12> kState{"Tc", "Tw", "Tz", "TL", "Ts", "Tr",
                                                         "g",  "rg", "k",  "G",  "RG", "K"};
    return std::find(kState.begin(), kState.end(), t) != kState.end();
  }

  static bool IsOperatorWord(const std::string& t) {
    return !t.empty() && ((t[0] >= 'A' && t[0] <= 'Z') || (t[0] >= 'a' && t[0] <= 'z') ||
                          t[0] == '\'' || t[0] == '"');
  }

  // Adds a token to the operand list.
  void Keep(const std::string& t) {
    if (operands_.size() >= limits_.Operands) {
      // Operators take their operands from the end: the older half goes.
      Reached(TCap::Operands);
      operands_.erase(operands_.begin(),
                      operands_.begin() + static_cast<std::ptrdiff_t>(operands_.size() / 2));
    }
    operands_.push_back(t);
  }

  // A form XObject: its content with its matrix and resources, inside an implicit q/Q; nested
  // forms at most kFormDepth deep and never inside themselves.
  void ShowForm(const TFormXObject& form) {
    if (open_forms_.size() >= kFormDepth ||
        std::find(open_forms_.begin(), open_forms_.end(), form.Id) != open_forms_.end()) {
      return;
    }
    const Matrix ctm = ctm_;
    const std::size_t saved_states = stack_.size();
    std::vector<std::string> operands = std::move(operands_);
    operands_.clear();
    const int32_t resources = resources_;
    const CurrentFontData font = font_data_;
    const int font_index = context_.fonts != nullptr ? context_.fonts->Index() : -1;
    const double font_size = font_size_, tc = tc_, tw = tw_, tl = tl_, tz = tz_;
    const Matrix tm = tm_;
    const double text_advance = text_advance_, line_offset = line_offset_;

    const auto& m = form.Matrix;
    ctm_ = Multiply({m[0], m[1], m[2], m[3], m[4], m[5]}, ctm_);
    const std::size_t clips = clips_.size();
    if (form.BBox) clips_.push_back(ViewBox(*form.BBox));
    if (form.Resources >= 0) resources_ = form.Resources;
    open_forms_.push_back(form.Id);
    RunTokens(form.Content);
    open_forms_.pop_back();
    clips_.resize(clips);

    ctm_ = ctm;
    stack_.resize(std::min(stack_.size(), saved_states));
    operands_ = std::move(operands);
    resources_ = resources;
    font_data_ = font;
    if (font_index >= 0 && font_index < context_.fonts->Count()) context_.fonts->Select(font_index);
    font_size_ = font_size;
    tc_ = tc;
    tw_ = tw;
    tl_ = tl;
    tz_ = tz;
    tm_ = tm;
    text_advance_ = text_advance;
    line_offset_ = line_offset;
  }

  // The tokens since the list was last cleared, the operator itself last.
  std::size_t OperandCount() const { return operands_.size(); }
  const std::string& Operand(std::size_t i) const { return operands_[i]; }
  std::optional<double> Number(std::size_t i) const { return ParseNumber(operands_[i]); }
  // The text's horizontal scale and its signed vertical factor from the matrices.
  double HorizontalScale() const {
    return std::fabs(std::sqrt(tm_.a * tm_.a + tm_.b * tm_.b) *
                     std::sqrt(ctm_.a * ctm_.a + ctm_.b * ctm_.b));
  }
  double VerticalFactor() const { return tm_.d * ctm_.d; }

  void NextLine() {
    tm_.e -= tl_ * tm_.c;
    tm_.f -= tl_ * tm_.d;
    ResetLineOffset();
  }

  // The text position is set anew: what was shown since no longer moves it.
  void ResetLineOffset() {
    line_offset_ = 0;
    text_advance_ = 0;
  }

  void Reached(TCap cap) const {
    if (context_.caps != nullptr) context_.caps->Reached(cap);
  }

  // Whether the page may have another run.
  bool RunRoom() const {
    if (runs_.Count() - first_run_ < limits_.Runs) return true;
    Reached(TCap::Runs);
    return false;
  }

  void Operator(const std::string& t) {
    if (t == "q") {
      if (stack_.size() < limits_.SavedStates) {
        stack_.push_back(ctm_);
      } else {
        Reached(TCap::SavedStates);
      }
    } else if (t == "Q") {
      if (!stack_.empty()) {
        ctm_ = stack_.back();
        stack_.pop_back();
      }
    } else if (t == "Do") {
      if (OperandCount() < 2) return;
      if (context_.modern && context_.resources != nullptr) {
        if (const auto form = context_.resources->Form(context_.page_number - 1, resources_,
                                                       Operand(OperandCount() - 2))) {
          ShowForm(*form);
          return;
        }
      }
      if (!context_.html_links || !context_.page_images) return;
      const std::string& name = Operand(OperandCount() - 2);
      if (resources_ < 0) {
        ImageRun(context_.page_images->ImageNumber(context_.page_number - 1, name));
      } else if (context_.resources != nullptr) {
        // A picture inside a form: known by its object.
        if (const auto object = context_.resources->Picture(resources_, name))
          ImageRun(context_.page_images->ImageNumberOfObject(*object));
      }
    } else if (t == "cm") {
      if (OperandCount() >= 7) {
        double v[6];
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(OperandCount() - 7 + k);
          if (!x) return;
          v[k] = *x;
        }
        ctm_ = Multiply({v[0], v[1], v[2], v[3], v[4], v[5]}, ctm_);
      }
    } else if (context_.modern && (t == "BDC" || t == "BMC")) {
      marked_.push_back(t == "BDC" ? ActualTextOperand() : std::nullopt);
      marked_shown_.push_back(false);
    } else if (context_.modern && t == "EMC") {
      if (!marked_.empty()) {
        marked_.pop_back();
        marked_shown_.pop_back();
      }
    } else if (t == "BT") {
      operands_.clear();
      tm_ = Matrix{};
      ResetLineOffset();
    } else if (t == "ET") {
      operands_.clear();
    } else if (t == "Tc") {
      if (OperandCount() >= 2) tc_ = Number(OperandCount() - 2).value_or(tc_);
    } else if (t == "Tw") {
      if (OperandCount() >= 2) tw_ = Number(OperandCount() - 2).value_or(tw_);
    } else if (t == "Tf") {
      if (OperandCount() >= 3) {
        const auto size = Number(OperandCount() - 2);
        if (!size) return;
        font_size_ = *size;
        SelectFont(Operand(OperandCount() - 3));
      }
    } else if (t == "Tz") {
      if (OperandCount() >= 2) tz_ = Number(OperandCount() - 2).value_or(tz_);
    } else if (t == "TL") {
      if (OperandCount() >= 2) tl_ = Number(OperandCount() - 2).value_or(tl_);
    } else if (t == "T*") {
      NextLine();
    } else if (t == "Td" || t == "TD") {
      if (OperandCount() >= 3) {
        const auto tx = Number(OperandCount() - 3);
        const auto ty = Number(OperandCount() - 2);
        if (tx && ty) {
          tm_.e += *tx * tm_.a + *ty * tm_.c;
          tm_.f += *tx * tm_.b + *ty * tm_.d;
          if (t == "TD") tl_ = -*ty;
        }
      }
      ResetLineOffset();
    } else if (t == "Tm") {
      if (OperandCount() >= 7) {
        double* fields[6] = {&tm_.a, &tm_.b, &tm_.c, &tm_.d, &tm_.e, &tm_.f};
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(OperandCount() - 7 + k);
          if (!x) break;
          *fields[k] = *x;
        }
      }
      ResetLineOffset();
    } else if (t == "Tj" || t == "TJ" || t == "'" || t == "\"") {
      if (context_.modern) {
        ShowPlacedText(t);
      } else {
        ShowText(t);
      }
    }
  }

  // A name the page's /Font dictionary binds selects that font; any other name keeps the
  // current data and leaves the last record as the current font.
  void SelectFont(const std::string& name) {
    TDynaArray<TFontRec>& fonts = *context_.fonts;
    int index = -1;
    if (resources_ >= 0 && context_.resources != nullptr) {
      index = context_.resources->Font(resources_, name);  // a form's own fonts
    } else if (context_.page_fonts != nullptr) {
      index = context_.page_fonts->Find(context_.page_number - 1, name);
    }
    if (index < 0 || index >= fonts.Count()) {
      if (fonts.Count() > 0) fonts.Select(fonts.Count() - 1);
      return;
    }
    const TFontRec& font = *fonts.Select(index);
    font_data_.diff_codes = font.DiffCodes;
    font_data_.diff_defined = font.DiffDefined;
    font_data_.widths = font.Widths;
    font_data_.width_defined = font.WidthDefined;
    font_data_.bbox_height = font.BBoxHeight;
    font_data_.first_char = font.FirstChar;
    font_data_.is_type3 = font.IsType3;
    font_data_.font_matrix = font.FontMatrix;
    font_data_.extras = font.Extras;
    font_data_.standard_widths = TStandardWidths(font.BaseFont);
  }

  // The link of picture number (from 1) where it is drawn; nothing for 0, a dropped picture.
  void ImageRun(int number) {
    if (!context_.images) return;
    if (number <= 0 || number > context_.images->Count() || !RunRoom()) return;
    TTextItem* run = runs_.Append();
    run->Text = Cp1252ToUtf32(ImageLink(number, (*context_.images)[number - 1].Bitmap.BitCount()));
    run->Size = 12;
    run->LineHeight = 12;
    run->X = ctm_.e;
    run->Y = ctm_.f + ctm_.d;
    if (context_.modern) {
      // The upper left corner of the picture as the page is shown.
      const TPoint corners[] = {{ctm_.e, ctm_.f},
                                {ctm_.a + ctm_.e, ctm_.b + ctm_.f},
                                {ctm_.c + ctm_.e, ctm_.d + ctm_.f},
                                {ctm_.a + ctm_.c + ctm_.e, ctm_.b + ctm_.d + ctm_.f}};
      const TPoint first = context_.frame.ToView(corners[0]);
      run->X = first.x;
      run->Y = first.y;
      for (const TPoint& corner : corners) {
        const TPoint p = context_.frame.ToView(corner);
        run->X = std::min(run->X, p.x);
        run->Y = std::max(run->Y, p.y);
      }
    }
    run->Page = context_.page_number;
    TImageRec& image = (*context_.images)[number - 1];
    if (image.ShownWidth == 0 && image.ShownHeight == 0) {
      const double width = std::hypot(ctm_.a, ctm_.b);
      const double height = std::hypot(ctm_.c, ctm_.d);
      if (std::isfinite(width) && std::isfinite(height) && width < 1e6 && height < 1e6) {
        image.ShownWidth = width;
        image.ShownHeight = height;
      }
    }
  }

  // How many bytes the code at bytes[i] takes: one for simple fonts; for Type0 fonts as the
  // encoding's codespace says, or by the form of Unicode the codes are.
  static std::size_t CodeLength(const TFontExtras& extras, std::string_view bytes, std::size_t i) {
    if (!extras.Type0) return 1;
    const auto byte = [&](std::size_t k) {
      return i + k < bytes.size() ? static_cast<uint8_t>(bytes[i + k]) : 0;
    };
    switch (extras.UnicodeCodes) {
      case TUnicodeCodes::Utf8:
        return byte(0) < 0xC0 ? 1 : byte(0) < 0xE0 ? 2 : byte(0) < 0xF0 ? 3 : 4;
      case TUnicodeCodes::Utf16:
        // A surrogate pair is one code.
        return byte(0) >= 0xD8 && byte(0) <= 0xDB && byte(2) >= 0xDC && byte(2) <= 0xDF ? 4 : 2;
      case TUnicodeCodes::Utf32:
        return 4;
      case TUnicodeCodes::None:
        break;
    }
    if (extras.Cids) return extras.Cids->CodeLength(bytes, i);
    return static_cast<std::size_t>(extras.CodeBytes);
  }

  // The character that a code of a Unicode CMap is.
  static std::optional<char32_t> CodeCharacter(TUnicodeCodes form, std::string_view code) {
    switch (form) {
      case TUnicodeCodes::Utf8: {
        std::size_t at = 0;
        const auto c = NextCodePoint(code, at);
        return c && at == code.size() ? c : std::nullopt;
      }
      case TUnicodeCodes::Utf16: {
        const std::u32string chars = Utf16BeToUnicode(code);
        return chars.size() == 1 ? std::optional<char32_t>(chars[0]) : std::nullopt;
      }
      case TUnicodeCodes::Utf32: {
        uint32_t value = 0;
        for (const char b : code)
          value = value << 8 | static_cast<uint8_t>(b);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
        return static_cast<char32_t>(value);
      }
      case TUnicodeCodes::None:
        break;
    }
    return std::nullopt;
  }

  // The modern mapping: calls emit(code, its characters, whether it is a one-byte code) for
  // each code (one to four bytes) of a shown string; a Type0 font's code is given as its CID.
  template <typename Emit>
  void EachCode(std::string_view bytes, Emit&& emit) {
    const TFontExtras& extras = *font_data_.extras;
    std::u32string mapped_text;  // a Type0 code's characters, or folded ones
    for (std::size_t i = 0; i < bytes.size();) {
      const std::size_t length = CodeLength(extras, bytes, i);
      if (length == 0 || i + length > bytes.size()) break;  // a code cut short is not shown
      const std::string_view code_bytes = bytes.substr(i, length);
      i += length;
      uint32_t code = 0;
      for (const char b : code_bytes)
        code = code << 8 | static_cast<uint8_t>(b);
      std::u32string_view text;
      int unmapped = 0;
      if (extras.Type0) {
        auto mapped = extras.ToUnicode ? extras.ToUnicode->Lookup(code) : std::nullopt;
        if (!mapped) {
          if (const auto c = CodeCharacter(extras.UnicodeCodes, code_bytes))
            mapped = std::u32string(1, *c);
        }
        code = extras.Cids ? extras.Cids->Cid(code) : code;
        if (!mapped) {
          const auto own = extras.CidCharacters.find(code);
          if (own != extras.CidCharacters.end()) mapped = std::u32string(1, own->second);
        }
        const auto* collection = extras.CollectionCharacters.get();
        if (!mapped && collection != nullptr && code < collection->size() && (*collection)[code]) {
          mapped = std::u32string(1, (*collection)[code]);
        }
        if (mapped) {
          mapped_text = OutputCharacters(*mapped);
        } else {
          mapped_text.assign(1, U'?');  // a CID without characters: never raw bytes
          unmapped = 1;
        }
        text = mapped_text;
      } else {
        text = extras.Text[code & 0xFF];
      }
      if (context_.windows1252_text && unmapped == 0) {
        mapped_text = FoldToWindows1252(text, unmapped);
        text = mapped_text;
      }
      if (unmapped != 0 && context_.unmapped_characters != nullptr) {
        *context_.unmapped_characters += unmapped;
      }
      emit(code, text, length == 1);
    }
  }

  // A code's advance in text space per unit of font size, or nothing when the font has none.
  std::optional<double> CodeAdvance(uint32_t code) const {
    const TFontExtras* extras = font_data_.extras.get();
    if (extras != nullptr && extras->Type0) {
      const auto it = extras->Widths.find(code);
      return (it != extras->Widths.end() ? it->second : extras->DefaultWidth) / 1000;
    }
    const int64_t j = static_cast<int64_t>(code) - font_data_.first_char;
    if (j < 0 || j > 255 || !font_data_.width_defined[static_cast<std::size_t>(j)]) {
      // Symbol and ZapfDingbats, which files name without /Widths: their own widths.
      if (extras != nullptr && extras->SymbolCodes != nullptr && code < 256) {
        const uint16_t width = (*extras->SymbolCodes)[code].width;
        if (width > 0) return width / 1000.0;
      }
      return std::nullopt;
    }
    const double w = font_data_.widths[static_cast<std::size_t>(j)];
    // A Type 3 glyph's width is in its glyph space, which the font matrix turns into text space.
    return font_data_.is_type3 ? std::fabs(w * font_data_.font_matrix[0]) : w / 1000;
  }

  // The advance of characters that the font gives no width for, from the standard font its
  // name suggests, per unit of font size.
  std::optional<double> StandardAdvance(std::u32string_view text) const {
    if (text.empty() || font_data_.is_type3) return std::nullopt;
    double sum = 0;
    for (const char32_t c : text) {
      const auto code = c < 0x80 ? std::optional<unsigned char>(c) : UnicodeToCp1252(c);
      const auto width = code ? font_data_.standard_widths.Of(*code) : std::nullopt;
      if (!width) return std::nullopt;
      sum += *width;
    }
    return sum / 1000;
  }

  // Text shown by the modern reader: placed through the whole text matrix and CTM, with
  // horizontal scaling; a TJ jump of more than 3 em splits the run there.
  void ShowPlacedText(const std::string& op) {
    if (op == "'" || op == "\"") {
      NextLine();
      if (op == "\"" && OperandCount() >= 4) {
        tw_ = Number(OperandCount() - 4).value_or(tw_);
        tc_ = Number(OperandCount() - 3).value_or(tc_);
      }
    }
    const Matrix m = Multiply(tm_, ctm_);
    TextPlacement place;
    place.scale = std::hypot(m.a, m.b);
    place.sign = font_size_ * tz_ < 0 ? -1 : 1;
    // A Type 3 font's box is in glyph space: its height in text space comes through the matrix.
    const double box = font_data_.is_type3
                           ? font_data_.bbox_height * std::fabs(font_data_.font_matrix[3])
                           : font_data_.bbox_height;
    place.size = std::fabs(font_size_ * std::hypot(m.c, m.d) * box);
    place.matrix = m;
    TMeasureFont& font = *context_.font;
    font.SetSize(place.size);
    const double th = tz_ / 100;
    const TFontRec* current = context_.fonts ? context_.fonts->Current() : nullptr;
    const TEncodingId encoding = current ? current->Encoding : WinAnsiEncoding;

    Piece& piece = piece_;  // reused: its buffers keep their room from operator to operator
    piece.Clear();
    const bool tj = op == "TJ";
    // One code: its characters, then its advance (glyph width, Tc, Tw for a one-byte blank).
    const auto add = [&](std::optional<double> advance, std::u32string_view text, bool word_space) {
      double width = 0;
      if (!advance) advance = StandardAdvance(text);
      if (advance) {
        width = *advance * font_size_;
      } else if (!text.empty() && place.scale * th > 0) {
        width = font.MeasuredWidth(text) / (place.scale * th);  // back into text space
      }
      const double extra = tc_ + (word_space ? tw_ : 0);
      if (!text.empty()) {
        if (piece.text.empty()) piece.start = text_advance_;
        piece.text.append(text);
        const double share = width * th / static_cast<double>(text.size());
        for (std::size_t k = 1; k < text.size(); ++k) {
          piece.widths.push_back(share);
          piece.spacing.push_back(0.0);
        }
        piece.widths.push_back(share);
        piece.spacing.push_back(extra * th);
      } else if (!piece.text.empty()) {
        piece.spacing.back() += (width + extra) * th;  // an invisible glyph is a gap
      }
      text_advance_ += (width + extra) * th;
    };
    // The operator's own operands only: the string before it, or the array of a TJ. Strings
    // left in the list by other operators (a marked-content /ActualText) are not shown.
    std::size_t first = OperandCount() >= 2 ? OperandCount() - 2 : 0;
    if (tj) {
      first = 0;  // an array whose "[" the operand cap dropped: all that is left
      for (std::size_t i = OperandCount() - 1; i-- > 0;) {
        if (Operand(i) == "[") {
          first = i + 1;
          break;
        }
      }
    }
    for (std::size_t i = first; i + 1 < OperandCount(); ++i) {
      const std::string& u = Operand(i);
      std::string bytes;
      if (u.size() >= 2 && u[0] == '<') {
        bytes = DecodeHexBytes(std::string_view(u).substr(1));
      } else if (u.size() >= 2 && u[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(u).substr(1, u.size() - 2));
      } else {
        if (!tj) continue;
        const auto v = ParseNumber(u);
        if (!v || !std::isfinite(*v)) continue;
        const double jump = -*v / 1000 * font_size_ * th;
        if (std::fabs(*v) > kSplittingJump && !piece.text.empty()) {
          PlaceRun(piece, place);
          piece.Clear();
        } else if (!piece.text.empty()) {
          piece.spacing.back() += jump;
        }
        text_advance_ += jump;
        continue;
      }
      if (font_data_.extras) {
        EachCode(bytes, [&](uint32_t code, std::u32string_view text, bool one_byte) {
          add(CodeAdvance(code), text, one_byte && code == 32);
        });
      } else {
        // No mapping of the modern reader for this font: the classic one, code by code.
        for (const char byte : bytes) {
          const std::string r = MapToWinAnsi(std::string(1, byte), encoding, font_data_.diff_codes,
                                             font_data_.diff_defined);
          add(CodeAdvance(static_cast<uint8_t>(byte)), Cp1252ToUtf32(r), byte == ' ');
        }
      }
    }
    PlaceRun(piece, place);
  }

  // Where one text-showing operator puts its characters.
  struct TextPlacement {
    Matrix matrix;     // text space to user space
    double scale = 0;  // page units per unit of text space along the baseline
    double size = 0;   // the font size on the page
    double sign = 1;   // -1 where a negative font size or scaling makes advances run backwards
  };

  // Characters of one piece of shown text with their advances in text space.
  struct Piece {
    std::u32string text;
    std::vector<double> widths;
    std::vector<double> spacing;
    double start = 0;  // the text position of its first character

    void Clear() {
      text.clear();
      widths.clear();
      spacing.clear();
      start = 0;
    }
  };

  // The /ActualText of a BDC's property dictionary written inline, as the document's
  // characters; nothing when it has none.
  std::optional<std::u32string> ActualTextOperand() const {
    // From the operator back to the one before it: the tokens of this BDC's operands.
    for (std::size_t i = OperandCount() - 1; i-- > 0;) {
      if (Operand(i) == "BDC" || Operand(i) == "BMC" || Operand(i) == "EMC") break;
      if (Operand(i) != "/ActualText" || i + 2 >= OperandCount()) continue;
      const std::string& u = Operand(i + 1);
      std::string bytes;
      if (u.size() >= 2 && u[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(u).substr(1, u.size() - 2));
      } else if (u.size() >= 2 && u[0] == '<' && u[1] != '<') {
        bytes = DecodeHexBytes(std::string_view(u).substr(1));
      } else {
        return std::nullopt;
      }
      // A text string: UTF-16 with its byte order mark, else PDFDocEncoding.
      std::u32string text;
      if (bytes.starts_with("\xFE\xFF")) {
        text = OutputCharacters(Utf16BeToUnicode(std::string_view(bytes).substr(2)));
      } else {
        for (const char c : bytes) {
          text += Cp1252ToUnicode(
              ConvertCode(static_cast<uint8_t>(c), PDFDocEncoding, WinAnsiEncoding));
        }
      }
      if (context_.windows1252_text) {
        int unmapped = 0;
        return FoldToWindows1252(text, unmapped);
      }
      return text;
    }
    return std::nullopt;
  }

  // Inside a span with /ActualText (the outermost one counts) the span's glyphs give way to its
  // text: shown once, where the span's first glyphs stand, over their advance.
  bool ReplaceByActualText(Piece& piece) {
    for (std::size_t k = 0; k < marked_.size(); ++k) {
      if (!marked_[k]) continue;
      if (marked_shown_[k]) return false;  // shown already: the rest of the span is not
      marked_shown_[k] = true;
      const std::u32string& text = *marked_[k];
      if (text.empty()) return false;
      double advance = 0;
      for (std::size_t i = 0; i < piece.widths.size(); ++i)
        advance += piece.widths[i] + piece.spacing[i];
      piece.text = text;
      piece.widths.assign(text.size(), advance / static_cast<double>(text.size()));
      piece.spacing.assign(text.size(), 0.0);
      return true;
    }
    return true;  // no actual text: the glyphs stand
  }

  void PlaceRun(Piece& piece, const TextPlacement& place) {
    if (piece.text.empty() || !ReplaceByActualText(piece)) return;
    const Matrix& m = place.matrix;
    double length = 0;
    for (std::size_t i = 0; i < piece.widths.size(); ++i)
      length += piece.widths[i] + piece.spacing[i];
    const TPoint origin = context_.frame.ToView({piece.start * m.a + m.e, piece.start * m.b + m.f});
    const TPoint along = context_.frame.TurnDirection({m.a, m.b});  // per unit of text space
    const TPoint end{origin.x + along.x * length, origin.y + along.y * length};
    if (!std::isfinite(origin.x + origin.y + end.x + end.y + place.size)) return;
    if (OutsideThePage(origin, end, place.size) || OutsideTheForms(origin, end, place.size)) {
      return;
    }
    TMeasureFont& font = *context_.font;
    font.SetSize(place.size);
    const double line_height = font.MeasuredHeight();
    const bool upright = along.x > std::fabs(along.y);
    if (!upright && JoinTurnedRun(piece, place, origin, end, along, line_height)) return;
    TTextItem run;
    run.Text = piece.text;
    run.Size = place.size;
    run.LineHeight = line_height;
    run.Page = context_.page_number;
    // Text turned against the page becomes a line of its own, placed by its highest point.
    run.X = std::min(origin.x, end.x);
    run.Y = (upright ? origin.y : std::max(origin.y, end.y)) + line_height;
    run.CharWidths.reserve(piece.widths.size());
    run.Spacing.reserve(piece.spacing.size());
    for (std::size_t i = 0; i < piece.widths.size(); ++i) {
      run.CharWidths.push_back(piece.widths[i] * place.scale * place.sign);
      run.Spacing.push_back(piece.spacing[i] * place.scale * place.sign);
    }
    DropControlCharacters(run);
    if (upright) KeepWithinThePage(run);
    if (run.Text.empty() || (upright && RepeatsAShownRun(run))) return;
    if (!RunRoom()) return;
    const int index = runs_.Count();
    *runs_.Append() = std::move(run);
    if (upright) {
      shown_[piece.text].push_back(index);
      turned_.reset();
    } else {
      turned_ = TurnedRun{index, end, along};
    }
  }

  // A form's box on the page as shown: the corners through the CTM, as the smallest upright
  // rectangle around them (x0 y0 x1 y1).
  std::array<double, 4> ViewBox(const std::array<double, 4>& box) const {
    std::array<double, 4> view{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const double x : {box[0], box[2]}) {
      for (const double y : {box[1], box[3]}) {
        const TPoint p = context_.frame.ToView(
            {x * ctm_.a + y * ctm_.c + ctm_.e, x * ctm_.b + y * ctm_.d + ctm_.f});
        view = {std::min(view[0], p.x), std::min(view[1], p.y), std::max(view[2], p.x),
                std::max(view[3], p.y)};
      }
    }
    return view;
  }

  // Whether a run from origin to end lies wholly outside the box of a form being shown.
  bool OutsideTheForms(TPoint origin, TPoint end, double size) const {
    for (const auto& box : clips_) {
      if (!std::isfinite(box[0] + box[1] + box[2] + box[3])) continue;
      if (std::max(origin.x, end.x) < box[0] || std::min(origin.x, end.x) > box[2] ||
          std::max(origin.y, end.y) < box[1] - size || std::min(origin.y, end.y) > box[3]) {
        return true;
      }
    }
    return false;
  }

  // Whether a run from origin to end lies wholly outside the page as shown: beside it, below
  // it by more than its size, or with its baseline above it.
  bool OutsideThePage(TPoint origin, TPoint end, double size) const {
    const double width = context_.frame.ViewWidth();
    const double height = context_.frame.ViewHeight();
    if (!(width > 0 && height > 0)) return false;  // no box to judge by
    return std::max(origin.x, end.x) < 0 || std::min(origin.x, end.x) > width ||
           std::max(origin.y, end.y) < -size || std::min(origin.y, end.y) > height;
  }

  // A run that crosses the left or right edge of the page as shown keeps the characters that
  // start on it: what a viewer shows of the line.
  void KeepWithinThePage(TTextItem& run) const {
    const double width = context_.frame.ViewWidth();
    if (!(width > 0) || run.CharWidths.size() != run.Text.size() ||
        run.Spacing.size() != run.Text.size() ||
        std::any_of(run.CharWidths.begin(), run.CharWidths.end(), [](double w) { return w < 0; })) {
      return;  // text set backwards is left whole
    }
    std::size_t first = 0;
    std::size_t end = 0;  // one past the last character kept
    double x = run.X;
    double first_x = run.X;
    for (std::size_t i = 0; i < run.Text.size(); ++i) {
      const double next = x + run.CharWidths[i] + run.Spacing[i];
      if (x + run.CharWidths[i] <= 0) {  // wholly left of the page
        first = i + 1;
        first_x = next;
      } else if (x <= width) {
        end = i + 1;
      }
      x = next;
    }
    if (first == 0 && end == run.Text.size()) return;
    if (end <= first) {
      run.Text.clear();
      return;
    }
    const auto cut = [&](auto& items) {
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(end), items.end());
      items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(first));
    };
    cut(run.Text);
    cut(run.CharWidths);
    cut(run.Spacing);
    run.X = first_x;
  }

  // Overprinted text (fake bold, shadows): the same characters again at nearly the same place.
  bool RepeatsAShownRun(const TTextItem& run) const {
    const auto it = shown_.find(run.Text);
    if (it == shown_.end()) return false;
    // Along the line no further off than a tenth of the size: narrow letters such as "ll",
    // placed one by one, stand further apart.
    const double along = 0.1 * run.Size;
    const double across = 0.25 * run.Size;
    for (const int index : it->second) {
      const TTextItem& shown = runs_[index];
      if (std::fabs(shown.X - run.X) <= along && std::fabs(shown.Y - run.Y) <= across) return true;
    }
    return false;
  }

  // A turned run that continues the previous one (producers place such text glyph by glyph)
  // joins it, so that it reads as one word rather than one line per character.
  bool JoinTurnedRun(const Piece& piece, const TextPlacement& place, TPoint origin, TPoint end,
                     TPoint along, double line_height) {
    if (!turned_ || turned_->index != runs_.Count() - 1) return false;
    const double unit = std::hypot(along.x, along.y);
    const double previous_unit = std::hypot(turned_->along.x, turned_->along.y);
    if (!(unit > 0 && previous_unit > 0)) return false;
    const TPoint d{along.x / unit, along.y / unit};
    const TPoint previous_d{turned_->along.x / previous_unit, turned_->along.y / previous_unit};
    if (d.x * previous_d.x + d.y * previous_d.y < 0.99) return false;  // another direction
    const TPoint step{origin.x - turned_->end.x, origin.y - turned_->end.y};
    const double gap = step.x * d.x + step.y * d.y;
    const double aside = std::fabs(step.x * d.y - step.y * d.x);
    if (aside > 0.5 * place.size || gap < -place.size || gap > 3 * place.size) return false;
    TTextItem& run = runs_[turned_->index];
    if (!run.Spacing.empty()) run.Spacing.back() += gap;
    run.Text += piece.text;
    for (std::size_t i = 0; i < piece.widths.size(); ++i) {
      run.CharWidths.push_back(piece.widths[i] * place.scale * place.sign);
      run.Spacing.push_back(piece.spacing[i] * place.scale * place.sign);
    }
    turned_->end = end;
    run.X = std::min({run.X, origin.x, end.x});
    run.Y = std::max(run.Y, std::max(origin.y, end.y) + line_height);
    return true;
  }

  // Text shown as the classic reader places it: from the text position plus what the text
  // object has shown since, along x.
  void ShowText(const std::string& op) {
    if (op == "'" || op == "\"") {
      NextLine();
      if (OperandCount() > 3) tc_ = Number(OperandCount() - 3).value_or(tc_);
    }
    std::string s;
    extra_spacing_.clear();
    const TFontRec* current = context_.fonts ? context_.fonts->Current() : nullptr;
    const TEncodingId encoding = current ? current->Encoding : WinAnsiEncoding;
    const bool tj = op == "TJ";
    for (std::size_t i = 0; i + 1 < OperandCount(); ++i) {
      const std::string& u = Operand(i);
      std::string bytes;
      if (u.size() >= 2 && u[0] == '<') {
        bytes = DecodeHexString(std::string_view(u).substr(1));
      } else if (u.size() >= 2 && u[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(u).substr(1, u.size() - 2));
      } else {
        if (tj && !extra_spacing_.empty()) {
          if (const auto v = ParseNumber(u)) {
            extra_spacing_.back() -= *v * std::fabs(font_size_ * VerticalFactor()) / 1000;
          }
        }
        continue;
      }
      const std::string r =
          MapToWinAnsi(bytes, encoding, font_data_.diff_codes, font_data_.diff_defined);
      s += r;
      for (const char ch : r)
        extra_spacing_.push_back(ch == ' ' ? HorizontalScale() * tw_ : 0.0);
    }
    if (s.empty() || !RunRoom()) return;
    TMeasureFont& font = *context_.font;
    TTextItem* run = runs_.Append();
    run->Text = Cp1252ToUtf32(s);
    run->X = tm_.e * ctm_.a + tm_.f * ctm_.c + ctm_.e + line_offset_;
    run->Size =
        std::fabs((tm_.d + tm_.b) * (ctm_.d + ctm_.b) * font_size_ * font_data_.bbox_height);
    font.SetSize(run->Size);
    run->LineHeight = font.MeasuredHeight();
    run->Y = tm_.e * ctm_.b + tm_.f * ctm_.d + ctm_.f + run->LineHeight;
    run->Page = context_.page_number;
    run->CharWidths.resize(s.size());
    run->Spacing.resize(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
      // The width is looked up with the output code, after the mapping.
      const int j = static_cast<uint8_t>(s[i]) - font_data_.first_char;
      if (j >= 0 && j <= 255 && font_data_.width_defined[static_cast<std::size_t>(j)]) {
        const double w = font_data_.widths[static_cast<std::size_t>(j)];
        run->CharWidths[i] = font_data_.is_type3 ? std::fabs(font_size_ * VerticalFactor()) * w
                                                 : w / 1000 * font_size_ * VerticalFactor();
      } else {
        run->CharWidths[i] = font.MeasuredWidth(std::u32string_view(&run->Text[i], 1));
      }
      run->Spacing[i] = std::fabs(VerticalFactor()) * tc_ + extra_spacing_[i];
      line_offset_ += run->CharWidths[i] + run->Spacing[i];
    }
    DropControlCharacters(*run);
    if (run->Text.empty()) runs_.Delete(runs_.Count() - 1);
  }

  const TInterpreterContext& context_;
  const TCapLimits& limits_;
  TDynaArray<TTextItem>& runs_;
  const int first_run_;  // the runs before this one belong to earlier pages
  std::vector<std::string> operands_;
  Matrix ctm_;
  std::vector<Matrix> stack_;
  Matrix tm_;
  double tc_ = 0, tw_ = 0, tl_ = 0;
  double font_size_ = 1.0;
  double line_offset_ = 0;
  double tz_ = 100;          // horizontal scaling in percent (modern reader)
  double text_advance_ = 0;  // text space advance since the text position was set (modern)
  struct TurnedRun {
    int index;
    TPoint end;
    TPoint along;
  };
  std::optional<TurnedRun> turned_;  // the last run, when it reads against the page
  std::unordered_map<std::u32string, std::vector<int>> shown_;  // upright runs by their text
  Piece piece_;
  int tokens_ = 0;
  int array_depth_ = 0;  // arrays open in the operands (modern reader)
  // Marked-content spans open (modern reader): the /ActualText of each, and whether it has
  // been shown.
  std::vector<std::optional<std::u32string>> marked_;
  std::vector<bool> marked_shown_;
  std::chrono::steady_clock::time_point last_pump_ = std::chrono::steady_clock::now();
  int32_t resources_ = -1;                    // the resource dictionary in force: -1 for the page's
  std::vector<int32_t> open_forms_;           // the forms being shown, outermost first
  std::vector<std::array<double, 4>> clips_;  // their boxes on the page as shown
  CurrentFontData font_data_;
  std::vector<double> extra_spacing_;
};

}  // namespace

void InterpretPage(std::string content, const TInterpreterContext& context,
                   TDynaArray<TTextItem>& page_runs) {
  Interpreter(context, page_runs).Run(std::move(content));
}

}  // namespace paginor
