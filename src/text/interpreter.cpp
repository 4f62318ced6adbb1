#include "text/interpreter.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "pdf/doc_reader.h"
#include "pdf/literals.h"
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

// The data of the font selected by the last Tf on the page.
struct FontData {
  std::array<uint8_t, 256> diff_codes{};
  std::array<bool, 256> diff_defined{};
  std::array<double, 256> widths{};
  std::array<bool, 256> width_defined{};
  int32_t first_char = 0;
  bool is_type3 = false;
  double bbox_height = 1.0;
  std::shared_ptr<const TFontExtras> extras;  // the modern reader's mapping
};

const TCapLimits& LimitsOf(const TInterpreterContext& context) {
  static const TCapLimits defaults;
  return context.caps != nullptr ? context.caps->Limits : defaults;
}

class Interpreter {
 public:
  Interpreter(const TInterpreterContext& context, TDynaArray<TTextItem>& runs)
      : ctx_(context), limits_(LimitsOf(context)), runs_(runs), first_run_(runs.Count()) {}

  void Run(std::string content) {
    TDocReader reader(std::move(content));
    reader.SetPos(0);
    auto last_pump = std::chrono::steady_clock::now();
    int tokens = 0;
    while (reader.GetPos() < reader.Size()) {
      // The clock is read every few tokens; the user interface runs at most every ~20 ms.
      if (ctx_.process_events && ++tokens % 64 == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_pump >= std::chrono::milliseconds(20)) {
          ctx_.process_events();
          last_pump = now;
        }
      }
      std::string t = reader.ReadToken();
      if (ctx_.modern && t.size() > 1 && t[0] == '>' && t[1] != '>') t.erase(0, 1);
      if (list_.size() >= limits_.Operands) {
        // Operators take their operands from the end: the older half goes.
        Reached(TCap::Operands);
        list_.erase(list_.begin(), list_.begin() + static_cast<std::ptrdiff_t>(list_.size() / 2));
      }
      list_.push_back(t);
      Operator(t);
      if (!t.empty() && (t[0] == 'T' || t[0] == '\'' || t[0] == '"')) list_.clear();
    }
  }

 private:
  std::size_t n() const { return list_.size(); }
  const std::string& L(std::size_t i) const { return list_[i]; }
  std::optional<double> Number(std::size_t i) const { return ParseNumber(list_[i]); }
  double H() const {
    return std::fabs(std::sqrt(tm_.a * tm_.a + tm_.b * tm_.b) *
                     std::sqrt(ctm_.a * ctm_.a + ctm_.b * ctm_.b));
  }
  double V() const { return tm_.d * ctm_.d; }

  void NextLine() {
    tm_.e -= tl_ * tm_.c;
    tm_.f -= tl_ * tm_.d;
    line_offset_ = 0;
  }

  void Reached(TCap cap) const {
    if (ctx_.caps != nullptr) ctx_.caps->Reached(cap);
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
      if (n() >= 2 && ctx_.html_links) ImageRun(L(n() - 2));
    } else if (t == "cm") {
      if (n() >= 7) {
        double v[6];
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(n() - 7 + k);
          if (!x) return;
          v[k] = *x;
        }
        ctm_ = Multiply({v[0], v[1], v[2], v[3], v[4], v[5]}, ctm_);
      }
    } else if (t == "BT") {
      list_.clear();
      tm_ = Matrix{};
      line_offset_ = 0;
    } else if (t == "ET") {
      list_.clear();
    } else if (t == "Tc") {
      if (n() >= 2) tc_ = Number(n() - 2).value_or(tc_);
    } else if (t == "Tw") {
      if (n() >= 2) tw_ = Number(n() - 2).value_or(tw_);
    } else if (t == "Tf") {
      if (n() >= 3) {
        const auto size = Number(n() - 2);
        if (!size) return;
        font_size_ = *size;
        SelectFont(L(n() - 3));
      }
    } else if (t == "TL") {
      if (n() >= 2) tl_ = Number(n() - 2).value_or(tl_);
    } else if (t == "T*") {
      NextLine();
    } else if (t == "Td" || t == "TD") {
      if (n() >= 3) {
        const auto tx = Number(n() - 3);
        const auto ty = Number(n() - 2);
        if (tx && ty) {
          tm_.e += *tx * tm_.a + *ty * tm_.c;
          tm_.f += *tx * tm_.b + *ty * tm_.d;
          if (t == "TD") tl_ = -*ty;
        }
      }
      line_offset_ = 0;
    } else if (t == "Tm") {
      if (n() >= 7) {
        double* fields[6] = {&tm_.a, &tm_.b, &tm_.c, &tm_.d, &tm_.e, &tm_.f};
        for (std::size_t k = 0; k < 6; ++k) {
          const auto x = Number(n() - 7 + k);
          if (!x) break;
          *fields[k] = *x;
        }
      }
      line_offset_ = 0;
    } else if (t == "Tj" || t == "TJ" || t == "'" || t == "\"") {
      ShowText(t);
    }
  }

  // A name the page's /Font dictionary binds selects that font; any other name keeps the
  // current data and leaves the last record as the current font.
  void SelectFont(const std::string& name) {
    TDynaArray<TFontRec>& fonts = *ctx_.fonts;
    const int index = ctx_.page_fonts ? ctx_.page_fonts->Find(ctx_.page_number - 1, name) : -1;
    if (index < 0 || index >= fonts.Count()) {
      if (fonts.Count() > 0) fonts.Select(fonts.Count() - 1);
      return;
    }
    const TFontRec& font = *fonts.Select(index);
    data_.diff_codes = font.DiffCodes;
    data_.diff_defined = font.DiffDefined;
    data_.widths = font.Widths;
    data_.width_defined = font.WidthDefined;
    data_.bbox_height = font.BBoxHeight;
    data_.first_char = font.FirstChar;
    data_.is_type3 = font.IsType3;
    data_.extras = font.Extras;
  }

  void ImageRun(const std::string& name) {
    if (!ctx_.page_images || !ctx_.images) return;
    const int number = ctx_.page_images->ImageNumber(ctx_.page_number - 1, name);
    if (number <= 0 || number > ctx_.images->Count() || !RunRoom()) return;
    TTextItem* run = runs_.Append();
    run->Text = ImageLink(number, (*ctx_.images)[number - 1].Bitmap.BitCount());
    run->Size = 12;
    run->LineHeight = 12;
    run->X = ctm_.e;
    run->Y = ctm_.f + ctm_.d;
    run->Page = ctx_.page_number;
  }

  // The advance of a code from the font's widths, or nothing when the font has none for it.
  std::optional<double> CodeWidth(uint32_t code) const {
    const TFontExtras* extras = data_.extras.get();
    if (extras != nullptr && extras->Type0) {
      const auto it = extras->Widths.find(code);
      const double w = it != extras->Widths.end() ? it->second : extras->DefaultWidth;
      return w / 1000 * font_size_ * V();
    }
    const int64_t j = static_cast<int64_t>(code) - data_.first_char;
    if (j < 0 || j > 255 || !data_.width_defined[static_cast<std::size_t>(j)]) return std::nullopt;
    const double w = data_.widths[static_cast<std::size_t>(j)];
    return data_.is_type3 ? std::fabs(font_size_ * V()) * w : w / 1000 * font_size_ * V();
  }

  // The modern mapping: each code (one or two bytes) becomes the characters the font says;
  // its advance is shared by them, and character spacing follows the last.
  void AppendCodes(std::string_view bytes, std::string& s) {
    const TFontExtras& extras = *data_.extras;
    const std::size_t step = static_cast<std::size_t>(extras.CodeBytes);
    std::string mapped_text;  // a Type0 code's characters
    for (std::size_t i = 0; i + step <= bytes.size(); i += step) {
      uint32_t code = static_cast<uint8_t>(bytes[i]);
      if (step == 2) code = code << 8 | static_cast<uint8_t>(bytes[i + 1]);
      std::string_view text;
      int unmapped = 0;
      if (extras.Type0) {
        const auto mapped = extras.ToUnicode ? extras.ToUnicode->Lookup(code) : std::nullopt;
        if (mapped) {
          mapped_text = UnicodeToWinAnsi(*mapped, unmapped);
        } else {
          mapped_text = "?";  // a CID without characters: never raw bytes
          unmapped = 1;
        }
        text = mapped_text;
      } else {
        text = extras.Text[code & 0xFF];
        unmapped = extras.Unmapped[code & 0xFF];
      }
      if (unmapped != 0 && ctx_.unmapped_characters != nullptr) {
        *ctx_.unmapped_characters += unmapped;
      }
      if (text.empty()) continue;
      const std::optional<double> width = CodeWidth(code);
      const double share = width ? *width / static_cast<double>(text.size())
                                 : std::numeric_limits<double>::quiet_NaN();
      s.append(text);
      for (std::size_t k = 0; k < text.size(); ++k) {
        extra_.push_back(text[k] == ' ' && text.size() == 1 ? H() * tw_ : 0.0);
        shared_width_.push_back(share);
        spaced_.push_back(k + 1 == text.size());
      }
    }
  }

  void ShowText(const std::string& op) {
    if (op == "'" || op == "\"") {
      NextLine();
      if (n() > 3) tc_ = Number(n() - 3).value_or(tc_);
    }
    std::string s;
    extra_.clear();
    shared_width_.clear();
    spaced_.clear();
    const TFontRec* current = ctx_.fonts ? ctx_.fonts->Current() : nullptr;
    const TEncodingId encoding = current ? current->Encoding : WinAnsiEncoding;
    const bool modern = data_.extras != nullptr;
    const bool tj = op == "TJ";
    for (std::size_t i = 0; i + 1 < n(); ++i) {
      const std::string& u = L(i);
      std::string bytes;
      if (u.size() >= 2 && u[0] == '<') {
        // Two-byte codes keep their zero bytes, which the classic decoding drops.
        bytes = modern ? DecodeHexBytes(std::string_view(u).substr(1))
                       : DecodeHexString(std::string_view(u).substr(1));
      } else if (u.size() >= 2 && u[0] == '(') {
        bytes = UnescapeLiteral(std::string_view(u).substr(1, u.size() - 2));
      } else {
        if (tj && !extra_.empty()) {
          if (const auto v = ParseNumber(u)) {
            extra_.back() -= *v * std::fabs(font_size_ * V()) / 1000;
          }
        }
        continue;
      }
      if (modern) {
        AppendCodes(bytes, s);
        continue;
      }
      const std::string r = MapToWinAnsi(bytes, encoding, data_.diff_codes, data_.diff_defined);
      s += r;
      for (const char ch : r)
        extra_.push_back(ch == ' ' ? H() * tw_ : 0.0);
    }
    if (s.empty() || !RunRoom()) return;
    TMeasureFont& font = *ctx_.font;
    TTextItem* run = runs_.Append();
    run->Text = s;
    run->X = tm_.e * ctm_.a + tm_.f * ctm_.c + ctm_.e + line_offset_;
    run->Size = std::fabs((tm_.d + tm_.b) * (ctm_.d + ctm_.b) * font_size_ * data_.bbox_height);
    font.SetSize(run->Size);
    run->LineHeight = font.MeasuredHeight();
    run->Y = tm_.e * ctm_.b + tm_.f * ctm_.d + ctm_.f + run->LineHeight;
    run->Page = ctx_.page_number;
    run->CharWidths.resize(s.size());
    run->Spacing.resize(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (modern) {
        // The font's width of the code, shared among its characters; measured where it has none.
        run->CharWidths[i] = std::isnan(shared_width_[i])
                                 ? font.MeasuredWidth(std::string_view(&s[i], 1))
                                 : shared_width_[i];
        run->Spacing[i] = (spaced_[i] ? std::fabs(V()) * tc_ : 0.0) + extra_[i];
      } else {
        const int j = static_cast<uint8_t>(s[i]) - data_.first_char;
        if (j >= 0 && j <= 255 && data_.width_defined[static_cast<std::size_t>(j)]) {
          const double w = data_.widths[static_cast<std::size_t>(j)];
          run->CharWidths[i] =
              data_.is_type3 ? std::fabs(font_size_ * V()) * w : w / 1000 * font_size_ * V();
        } else {
          run->CharWidths[i] = font.MeasuredWidth(std::string_view(&s[i], 1));
        }
        run->Spacing[i] = std::fabs(V()) * tc_ + extra_[i];
      }
      line_offset_ += run->CharWidths[i] + run->Spacing[i];
    }
  }

  const TInterpreterContext& ctx_;
  const TCapLimits& limits_;
  TDynaArray<TTextItem>& runs_;
  const int first_run_;  // the runs before this one belong to earlier pages
  std::vector<std::string> list_;
  Matrix ctm_;
  std::vector<Matrix> stack_;
  Matrix tm_;
  double tc_ = 0, tw_ = 0, tl_ = 0;
  double font_size_ = 1.0;
  double line_offset_ = 0;
  FontData data_;
  std::vector<double> extra_;
  std::vector<double> shared_width_;  // modern mapping: each character's share of its advance
  std::vector<bool> spaced_;          // modern mapping: the last character of its code
};

}  // namespace

void InterpretPage(std::string content, const TInterpreterContext& context,
                   TDynaArray<TTextItem>& page_runs) {
  Interpreter(context, page_runs).Run(std::move(content));
}

}  // namespace paginor
