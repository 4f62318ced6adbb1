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
#include "pdf/token_scanner.h"
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
      saved_ctms_.clear();
      operands_.clear();
      resources_ = -1;
      ShowForm(appearance);
    }
  }

 private:
  void RunTokens(std::string content) {
    if (context_.rules.PdfWhiteSpace) {
      TContentLexer lexer(content);
      std::string token;
      while (lexer.Next(token)) {
        Pump();
        Take(token);
      }
      return;
    }
    TTokenScanner scanner(std::move(content));
    scanner.SetPos(0);
    while (scanner.GetPos() < scanner.Size()) {
      Pump();
      Take(scanner.ReadToken());
    }
  }

  // The clock is read every few tokens; the user interface runs at most every ~20 ms.
  void Pump() {
    if (!context_.pump_and_cancel || ++token_count_ % 64 != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_pump_ >= std::chrono::milliseconds(20)) {
      context_.pump_and_cancel();
      last_pump_ = now;
    }
  }

  void Take(const std::string& token) {
    if (context_.rules.InterpreterExtensions) {
      // Inside an array every token is an operand: an operator written into a TJ array
      // (as some producers do) neither acts nor clears the strings before it.
      if (token == "[") ++array_depth_;
      if (token == "]" && array_depth_ > 0) --array_depth_;
      if (array_depth_ > 0 && IsStateOperator(token)) {
        Keep(token);
        return;
      }
      if (array_depth_ > 0 && IsOperatorWord(token)) array_depth_ = 0;  // an array never closed
    }
    Keep(token);
    Operator(token);
    if (!token.empty() && (token[0] == 'T' || token[0] == '\'' || token[0] == '"'))
      operands_.clear();
  }

  // Operators that set text or colour state, which producers write into TJ arrays.
  static bool IsStateOperator(const std::string& token) {
    static const std::array<std::string_view, 12> kState{"Tc", "Tw", "Tz", "TL", "Ts", "Tr",
                                                         "g",  "rg", "k",  "G",  "RG", "K"};
    return std::find(kState.begin(), kState.end(), token) != kState.end();
  }

  static bool IsOperatorWord(const std::string& token) {
    return !token.empty() &&
           ((token[0] >= 'A' && token[0] <= 'Z') || (token[0] >= 'a' && token[0] <= 'z') ||
            token[0] == '\'' || token[0] == '"');
  }

  // Adds a token to the operand list.
  void Keep(const std::string& token) {
    if (operands_.size() >= limits_.Operands) {
      // Operators take their operands from the end: the older half goes.
      Reached(TCap::Operands);
      operands_.erase(operands_.begin(),
                      operands_.begin() + static_cast<std::ptrdiff_t>(operands_.size() / 2));
    }
    operands_.push_back(token);
  }

  // A form XObject: its content with its matrix and resources, inside an implicit q/Q; nested
  // forms at most kFormDepth deep and never inside themselves.
  void ShowForm(const TFormXObject& form) {
    if (open_forms_.size() >= kFormDepth ||
        std::find(open_forms_.begin(), open_forms_.end(), form.Id) != open_forms_.end()) {
      return;
    }
    const Matrix ctm = ctm_;
    const std::size_t saved_states = saved_ctms_.size();
    std::vector<std::string> operands = std::move(operands_);
    operands_.clear();
    const int32_t resources = resources_;
    const CurrentFontData font = font_data_;
    const int font_index = context_.fonts != nullptr ? context_.fonts->Index() : -1;
    const double font_size = font_size_, char_spacing = char_spacing_, word_spacing = word_spacing_,
                 leading = leading_, horizontal_scaling = horizontal_scaling_;
    const Matrix text_matrix = text_matrix_;
    const double text_advance = text_advance_, line_offset = line_offset_;

    const auto& matrix = form.Matrix;
    ctm_ = Multiply({matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]}, ctm_);
    const std::size_t clips = clips_.size();
    if (form.BBox) clips_.push_back(ViewBox(*form.BBox));
    if (form.Resources >= 0) resources_ = form.Resources;
    open_forms_.push_back(form.Id);
    RunTokens(form.Content);
    open_forms_.pop_back();
    clips_.resize(clips);

    ctm_ = ctm;
    saved_ctms_.resize(std::min(saved_ctms_.size(), saved_states));
    operands_ = std::move(operands);
    resources_ = resources;
    font_data_ = font;
    if (font_index >= 0 && font_index < context_.fonts->Count()) context_.fonts->Select(font_index);
    font_size_ = font_size;
    char_spacing_ = char_spacing;
    word_spacing_ = word_spacing;
    leading_ = leading;
    horizontal_scaling_ = horizontal_scaling;
    text_matrix_ = text_matrix;
    text_advance_ = text_advance;
    line_offset_ = line_offset;
  }

  // The tokens since the list was last cleared, the operator itself last.
  std::size_t OperandCount() const { return operands_.size(); }
  const std::string& Operand(std::size_t i) const { return operands_[i]; }
  std::optional<double> Number(std::size_t i) const { return ParseNumber(operands_[i]); }
  // The text's horizontal scale and its signed vertical factor from the matrices.
  double HorizontalScale() const {
    return std::fabs(std::sqrt(text_matrix_.a * text_matrix_.a + text_matrix_.b * text_matrix_.b) *
                     std::sqrt(ctm_.a * ctm_.a + ctm_.b * ctm_.b));
  }
  double VerticalFactor() const { return text_matrix_.d * ctm_.d; }

  void NextLine() {
    text_matrix_.e -= leading_ * text_matrix_.c;
    text_matrix_.f -= leading_ * text_matrix_.d;
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

  void Operator(const std::string& op) {
    if (op == "q") {
      if (saved_ctms_.size() < limits_.SavedStates) {
        saved_ctms_.push_back(ctm_);
      } else {
        Reached(TCap::SavedStates);
      }
    } else if (op == "Q") {
      if (!saved_ctms_.empty()) {
        ctm_ = saved_ctms_.back();
        saved_ctms_.pop_back();
      }
    } else if (op == "Do") {
      if (OperandCount() < 2) return;
      if (context_.rules.InterpreterExtensions && context_.resources != nullptr) {
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
    } else if (op == "cm") {
      if (OperandCount() >= 7) {
        double values[6];
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(OperandCount() - 7 + k);
          if (!x) return;
          values[k] = *x;
        }
        ctm_ = Multiply({values[0], values[1], values[2], values[3], values[4], values[5]}, ctm_);
      }
    } else if (context_.rules.InterpreterExtensions && (op == "BDC" || op == "BMC")) {
      marked_texts_.push_back(op == "BDC" ? ActualTextOperand() : std::nullopt);
      marked_texts_shown_.push_back(false);
    } else if (context_.rules.InterpreterExtensions && op == "EMC") {
      if (!marked_texts_.empty()) {
        marked_texts_.pop_back();
        marked_texts_shown_.pop_back();
      }
    } else if (op == "BT") {
      operands_.clear();
      text_matrix_ = Matrix{};
      ResetLineOffset();
    } else if (op == "ET") {
      operands_.clear();
    } else if (op == "Tc") {
      if (OperandCount() >= 2) char_spacing_ = Number(OperandCount() - 2).value_or(char_spacing_);
    } else if (op == "Tw") {
      if (OperandCount() >= 2) word_spacing_ = Number(OperandCount() - 2).value_or(word_spacing_);
    } else if (op == "Tf") {
      if (OperandCount() >= 3) {
        const auto size = Number(OperandCount() - 2);
        if (!size) return;
        font_size_ = *size;
        SelectFont(Operand(OperandCount() - 3));
      }
    } else if (op == "Tz") {
      if (OperandCount() >= 2)
        horizontal_scaling_ = Number(OperandCount() - 2).value_or(horizontal_scaling_);
    } else if (op == "TL") {
      if (OperandCount() >= 2) leading_ = Number(OperandCount() - 2).value_or(leading_);
    } else if (op == "T*") {
      NextLine();
    } else if (op == "Td" || op == "TD") {
      if (OperandCount() >= 3) {
        const auto tx = Number(OperandCount() - 3);
        const auto ty = Number(OperandCount() - 2);
        if (tx && ty) {
          text_matrix_.e += *tx * text_matrix_.a + *ty * text_matrix_.c;
          text_matrix_.f += *tx * text_matrix_.b + *ty * text_matrix_.d;
          if (op == "TD") leading_ = -*ty;
        }
      }
      ResetLineOffset();
    } else if (op == "Tm") {
      if (OperandCount() >= 7) {
        double* fields[6] = {&text_matrix_.a, &text_matrix_.b, &text_matrix_.c,
                             &text_matrix_.d, &text_matrix_.e, &text_matrix_.f};
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(OperandCount() - 7 + k);
          if (!x) break;
          *fields[k] = *x;
        }
      }
      ResetLineOffset();
    } else if (op == "Tj" || op == "TJ" || op == "'" || op == "\"") {
      if (context_.rules.InterpreterExtensions) {
        ShowPlacedText(op);
      } else {
        ShowText(op);
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
    if (context_.rules.InterpreterExtensions) {
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

  // The current font's /Widths entry for a code: in glyph space for a Type 3 font, else in
  // thousandths of text space; nothing when the font gives none.
  std::optional<double> FontWidth(uint32_t code) const {
    const int64_t index = static_cast<int64_t>(code) - font_data_.first_char;
    if (index < 0 || index > 255 || !font_data_.width_defined[static_cast<std::size_t>(index)]) {
      return std::nullopt;
    }
    return font_data_.widths[static_cast<std::size_t>(index)];
  }

  // A code's advance in text space per unit of font size, or nothing when the font has none.
  std::optional<double> CodeAdvance(uint32_t code) const {
    const TFontExtras* extras = font_data_.extras.get();
    if (extras != nullptr && extras->Type0) {
      const auto it = extras->Widths.find(code);
      return (it != extras->Widths.end() ? it->second : extras->DefaultWidth) / 1000;
    }
    const auto width = FontWidth(code);
    if (!width) {
      // Symbol and ZapfDingbats, which files name without /Widths: their own widths.
      if (extras != nullptr && extras->SymbolCodes != nullptr && code < 256) {
        const uint16_t symbol_width = (*extras->SymbolCodes)[code].width;
        if (symbol_width > 0) return symbol_width / 1000.0;
      }
      return std::nullopt;
    }
    // A Type 3 glyph's width is in its glyph space, which the font matrix turns into text space.
    return font_data_.is_type3 ? std::fabs(*width * font_data_.font_matrix[0]) : *width / 1000;
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
        word_spacing_ = Number(OperandCount() - 4).value_or(word_spacing_);
        char_spacing_ = Number(OperandCount() - 3).value_or(char_spacing_);
      }
    }
    const Matrix matrix = Multiply(text_matrix_, ctm_);
    TextPlacement place;
    place.scale = std::hypot(matrix.a, matrix.b);
    place.sign = font_size_ * horizontal_scaling_ < 0 ? -1 : 1;
    // A Type 3 font's box is in glyph space: its height in text space comes through the matrix.
    const double box = font_data_.is_type3
                           ? font_data_.bbox_height * std::fabs(font_data_.font_matrix[3])
                           : font_data_.bbox_height;
    place.size = std::fabs(font_size_ * std::hypot(matrix.c, matrix.d) * box);
    place.matrix = matrix;
    TMeasureFont& font = *context_.font;
    font.SetSize(place.size);
    const double scaling = horizontal_scaling_ / 100;
    const TFontRec* current = context_.fonts ? context_.fonts->Current() : nullptr;
    const TEncodingId encoding = current ? current->Encoding : WinAnsiEncoding;

    Piece& piece = piece_buffer_;  // reused: its buffers keep their room from operator to operator
    piece.Clear();
    const bool tj = op == "TJ";
    // One code: its characters, then its advance (glyph width, Tc, Tw for a one-byte blank).
    const auto add = [&](std::optional<double> advance, std::u32string_view text, bool word_space) {
      double width = 0;
      if (!advance) advance = StandardAdvance(text);
      if (advance) {
        width = *advance * font_size_;
      } else if (!text.empty() && place.scale * scaling > 0) {
        width = font.MeasuredWidth(text) / (place.scale * scaling);  // back into text space
      }
      const double extra = char_spacing_ + (word_space ? word_spacing_ : 0);
      if (!text.empty()) {
        if (piece.text.empty()) piece.start = text_advance_;
        piece.text.append(text);
        const double share = width * scaling / static_cast<double>(text.size());
        for (std::size_t k = 1; k < text.size(); ++k) {
          piece.widths.push_back(share);
          piece.spacing.push_back(0.0);
        }
        piece.widths.push_back(share);
        piece.spacing.push_back(extra * scaling);
      } else if (!piece.text.empty()) {
        piece.spacing.back() += (width + extra) * scaling;  // an invisible glyph is a gap
      }
      text_advance_ += (width + extra) * scaling;
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
      const std::string& operand = Operand(i);
      std::string bytes;
      if (operand.size() >= 2 && operand[0] == '<') {
        bytes = DecodeHexBytes(std::string_view(operand).substr(1));
      } else if (operand.size() >= 2 && operand[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(operand).substr(1, operand.size() - 2));
      } else {
        if (!tj) continue;
        const auto number = ParseNumber(operand);
        if (!number || !std::isfinite(*number)) continue;
        const double jump = -*number / 1000 * font_size_ * scaling;
        if (std::fabs(*number) > kSplittingJump && !piece.text.empty()) {
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
          const std::string mapped = MapToWinAnsi(std::string(1, byte), encoding,
                                                  font_data_.diff_codes, font_data_.diff_defined);
          add(CodeAdvance(static_cast<uint8_t>(byte)), Cp1252ToUtf32(mapped), byte == ' ');
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
      const std::string& operand = Operand(i + 1);
      std::string bytes;
      if (operand.size() >= 2 && operand[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(operand).substr(1, operand.size() - 2));
      } else if (operand.size() >= 2 && operand[0] == '<' && operand[1] != '<') {
        bytes = DecodeHexBytes(std::string_view(operand).substr(1));
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
    for (std::size_t k = 0; k < marked_texts_.size(); ++k) {
      if (!marked_texts_[k]) continue;
      if (marked_texts_shown_[k]) return false;  // shown already: the rest of the span is not
      marked_texts_shown_[k] = true;
      const std::u32string& text = *marked_texts_[k];
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
    const Matrix& matrix = place.matrix;
    double length = 0;
    for (std::size_t i = 0; i < piece.widths.size(); ++i)
      length += piece.widths[i] + piece.spacing[i];
    const TPoint origin = context_.frame.ToView(
        {piece.start * matrix.a + matrix.e, piece.start * matrix.b + matrix.f});
    const TPoint along =
        context_.frame.TurnDirection({matrix.a, matrix.b});  // per unit of text space
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
      upright_runs_[piece.text].push_back(index);
      last_turned_run_.reset();
    } else {
      last_turned_run_ = TurnedRun{index, end, along};
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
    const auto it = upright_runs_.find(run.Text);
    if (it == upright_runs_.end()) return false;
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
    if (!last_turned_run_ || last_turned_run_->index != runs_.Count() - 1) return false;
    const double unit = std::hypot(along.x, along.y);
    const double previous_unit = std::hypot(last_turned_run_->along.x, last_turned_run_->along.y);
    if (!(unit > 0 && previous_unit > 0)) return false;
    const TPoint d{along.x / unit, along.y / unit};
    const TPoint previous_d{last_turned_run_->along.x / previous_unit,
                            last_turned_run_->along.y / previous_unit};
    if (d.x * previous_d.x + d.y * previous_d.y < 0.99) return false;  // another direction
    const TPoint step{origin.x - last_turned_run_->end.x, origin.y - last_turned_run_->end.y};
    const double gap = step.x * d.x + step.y * d.y;
    const double aside = std::fabs(step.x * d.y - step.y * d.x);
    if (aside > 0.5 * place.size || gap < -place.size || gap > 3 * place.size) return false;
    TTextItem& run = runs_[last_turned_run_->index];
    if (!run.Spacing.empty()) run.Spacing.back() += gap;
    run.Text += piece.text;
    for (std::size_t i = 0; i < piece.widths.size(); ++i) {
      run.CharWidths.push_back(piece.widths[i] * place.scale * place.sign);
      run.Spacing.push_back(piece.spacing[i] * place.scale * place.sign);
    }
    last_turned_run_->end = end;
    run.X = std::min({run.X, origin.x, end.x});
    run.Y = std::max(run.Y, std::max(origin.y, end.y) + line_height);
    return true;
  }

  // Text shown as the classic reader places it: from the text position plus what the text
  // object has shown since, along x.
  void ShowText(const std::string& op) {
    if (op == "'" || op == "\"") {
      NextLine();
      if (OperandCount() > 3) char_spacing_ = Number(OperandCount() - 3).value_or(char_spacing_);
    }
    std::string mapped_text;
    extra_spacing_.clear();
    const TFontRec* current = context_.fonts ? context_.fonts->Current() : nullptr;
    const TEncodingId encoding = current ? current->Encoding : WinAnsiEncoding;
    const bool tj = op == "TJ";
    for (std::size_t i = 0; i + 1 < OperandCount(); ++i) {
      const std::string& operand = Operand(i);
      std::string bytes;
      if (operand.size() >= 2 && operand[0] == '<') {
        bytes = DecodeHexString(std::string_view(operand).substr(1));
      } else if (operand.size() >= 2 && operand[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(operand).substr(1, operand.size() - 2));
      } else {
        if (tj && !extra_spacing_.empty()) {
          if (const auto number = ParseNumber(operand)) {
            extra_spacing_.back() -= *number * std::fabs(font_size_ * VerticalFactor()) / 1000;
          }
        }
        continue;
      }
      const std::string mapped =
          MapToWinAnsi(bytes, encoding, font_data_.diff_codes, font_data_.diff_defined);
      mapped_text += mapped;
      for (const char ch : mapped)
        extra_spacing_.push_back(ch == ' ' ? HorizontalScale() * word_spacing_ : 0.0);
    }
    if (mapped_text.empty() || !RunRoom()) return;
    TMeasureFont& font = *context_.font;
    TTextItem* run = runs_.Append();
    run->Text = Cp1252ToUtf32(mapped_text);
    run->X = text_matrix_.e * ctm_.a + text_matrix_.f * ctm_.c + ctm_.e + line_offset_;
    run->Size = std::fabs((text_matrix_.d + text_matrix_.b) * (ctm_.d + ctm_.b) * font_size_ *
                          font_data_.bbox_height);
    font.SetSize(run->Size);
    run->LineHeight = font.MeasuredHeight();
    run->Y = text_matrix_.e * ctm_.b + text_matrix_.f * ctm_.d + ctm_.f + run->LineHeight;
    run->Page = context_.page_number;
    run->CharWidths.resize(mapped_text.size());
    run->Spacing.resize(mapped_text.size());
    for (std::size_t i = 0; i < mapped_text.size(); ++i) {
      // The width is looked up with the output code, after the mapping; a Type 3 width is
      // taken as it stands, without the font matrix.
      if (const auto width = FontWidth(static_cast<uint8_t>(mapped_text[i]))) {
        run->CharWidths[i] = font_data_.is_type3 ? std::fabs(font_size_ * VerticalFactor()) * *width
                                                 : *width / 1000 * font_size_ * VerticalFactor();
      } else {
        run->CharWidths[i] = font.MeasuredWidth(std::u32string_view(&run->Text[i], 1));
      }
      run->Spacing[i] = std::fabs(VerticalFactor()) * char_spacing_ + extra_spacing_[i];
      line_offset_ += run->CharWidths[i] + run->Spacing[i];
    }
    DropControlCharacters(*run);
    if (run->Text.empty()) runs_.Delete(runs_.Count() - 1);
  }

  const TInterpreterContext& context_;
  const TCapLimits& limits_;
  TDynaArray<TTextItem>& runs_;
  const int first_run_;                // the runs before this one belong to earlier pages
  std::vector<std::string> operands_;  // the tokens since the last operator that clears them
  Matrix ctm_;                         // the current transformation matrix
  std::vector<Matrix> saved_ctms_;     // by q, for Q
  Matrix text_matrix_;
  // The text state of Tc, Tw, TL and Tf.
  double char_spacing_ = 0, word_spacing_ = 0, leading_ = 0;
  double font_size_ = 1.0;
  double line_offset_ = 0;  // what the text object has shown since the text position was set
  double horizontal_scaling_ = 100;  // Tz, in percent (modern reader)
  double text_advance_ = 0;          // text space advance since the text position was set (modern)
  struct TurnedRun {
    int index;
    TPoint end;
    TPoint along;
  };
  std::optional<TurnedRun> last_turned_run_;  // the last run, when it reads against the page
  std::unordered_map<std::u32string, std::vector<int>> upright_runs_;  // upright runs by their text
  Piece piece_buffer_;
  int token_count_ = 0;  // the clock is read every 64 tokens
  int array_depth_ = 0;  // arrays open in the operands (modern reader)
  // Marked-content spans open (modern reader): the /ActualText of each, and whether it has
  // been shown.
  std::vector<std::optional<std::u32string>> marked_texts_;
  std::vector<bool> marked_texts_shown_;
  std::chrono::steady_clock::time_point last_pump_ = std::chrono::steady_clock::now();
  int32_t resources_ = -1;                    // the resource dictionary in force: -1 for the page's
  std::vector<int32_t> open_forms_;           // the forms being shown, outermost first
  std::vector<std::array<double, 4>> clips_;  // their boxes on the page as shown
  CurrentFontData font_data_;
  std::vector<double> extra_spacing_;  // the classic reader's word and TJ spacing per character
};

}  // namespace

void InterpretPage(std::string content, const TInterpreterContext& context,
                   TDynaArray<TTextItem>& page_runs) {
  Interpreter(context, page_runs).Run(std::move(content));
}

}  // namespace paginor
