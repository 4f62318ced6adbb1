// TRichDocument: the rich text that a conversion produces, a sequence of lines of UTF-8 text in
// which every character carries its font attributes and every line its paragraph attributes,
// with a selection and an update counter for its view.
#pragma once

#include <compare>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace paginor {

// 0x00BBGGRR for an explicit colour; values with the top byte set name system colours.
using TColor = uint32_t;
// The automatic text colour: what text has unless an explicit colour was set.
inline constexpr TColor clWindowText = 0x80000008;

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles)
      Include(s);
  }
  constexpr bool Contains(TFontStyle s) const { return (bits_ & Bit(s)) != 0; }
  constexpr void Include(TFontStyle s) { bits_ = static_cast<uint8_t>(bits_ | Bit(s)); }
  constexpr void Exclude(TFontStyle s) { bits_ = static_cast<uint8_t>(bits_ & ~Bit(s)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr auto operator<=>(const TFontStyles&) const = default;

 private:
  static constexpr uint8_t Bit(TFontStyle s) { return static_cast<uint8_t>(1u << s); }
  uint8_t bits_ = 0;
};

inline constexpr std::size_t kMaxFontNameLength = 31;

struct TTextAttributes {
  std::string Name = "Arial";  // face name, at most kMaxFontNameLength characters
  int Size = 11;               // whole points
  TColor Color = clWindowText;
  TFontStyles Style;

  auto operator<=>(const TTextAttributes&) const = default;
};

enum class TAlignment : uint8_t { Left, Right, Center };
enum class TNumbering : uint8_t { None, Bullet };

struct TParaAttributes {
  TAlignment Alignment = TAlignment::Left;
  TNumbering Numbering = TNumbering::None;

  auto operator<=>(const TParaAttributes&) const = default;
};

// A maximal stretch of characters with equal attributes: positions [Start, End).
struct TAttributeRun {
  int64_t Start = 0;
  int64_t End = 0;
  TTextAttributes Attributes;
};

// Positions count the bytes of the UTF-8 text from 0; a line break is the character '\n' and
// occupies one position. Selections begin and end between characters (a position inside one
// moves to its edge), and inserted text that is not valid UTF-8 has each bad byte as "?".
// Attributes are kept as runs, so a look-up costs O(log runs) and appending at the end costs
// amortised O(length of the insertion); changes in the middle cost O(runs + lines).
class TRichDocument {
 public:
  TRichDocument();

  // The document becomes one empty line with default paragraph attributes; the insertion
  // attributes become DefaultFont; the selection an empty caret at 0.
  void Clear();
  // While the counter is above 0 the view neither repaints nor reports changes. Calls nest.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate() {
    if (update_count_ > 0) --update_count_;
  }
  int UpdateCount() const { return update_count_; }

  // Lines, not counting a last line that is empty.
  int LineCount() const;
  // The characters of line i without its break; empty for an index outside the lines.
  std::string Line(int i) const;
  // Appends a line holding s: a last empty line takes s and a break, otherwise the last line
  // is closed by a break and s starts the new one. The inserted characters take the insertion
  // attributes; the caret ends after them.
  void AddLine(std::string_view s);

  int64_t TextLength() const { return static_cast<int64_t>(text_.size()); }
  // The whole text; lines are separated by LF.
  const std::string& Text() const { return text_; }

  int64_t SelStart() const { return sel_start_; }
  int64_t SelLength() const { return sel_length_; }
  // The selection becomes empty at p, clamped to the text.
  void SetSelStart(int64_t p);
  // The selection becomes the n bytes from SelStart, its end clamped to the text.
  void SetSelLength(int64_t n);
  // The selected characters, line breaks included.
  std::string SelText() const;
  // Replaces the selection with s, whose characters take the insertion attributes; the caret
  // ends just after it.
  void SetSelText(std::string_view s);

  // An empty selection: the insertion attributes; otherwise those of the first selected
  // character.
  TTextAttributes SelAttributes() const;
  // An empty selection: the insertion attributes' Size; otherwise every selected character's.
  void SetSelAttributesSize(int n);
  // An empty selection: the insertion attributes; otherwise every selected character's.
  void SetSelAttributes(const TTextAttributes& a);

  // The attributes of the line that holds SelStart; a position inside or just before a line
  // break belongs to the line that the break ends.
  TParaAttributes Paragraph() const;
  // Every line that the selection touches (the line of SelStart at least).
  void SetParagraphAlignment(TAlignment a);
  void SetParagraphNumbering(TNumbering n);

  // Whether plain text keeps the image links (<img src="bild001.jpg" border=0>) that stand in
  // the text for pictures; a setting of the document, not changed by Clear.
  void SetImageLinksInPlainText(bool keep) { image_links_in_plain_text_ = keep; }
  bool ImageLinksInPlainText() const { return image_links_in_plain_text_; }
  // Whether rich text shows the pictures themselves where their links stand, when the
  // pictures can be had; a setting of the document like the one above.
  void SetPicturesInRichText(bool embed) { pictures_in_rich_text_ = embed; }
  bool PicturesInRichText() const { return pictures_in_rich_text_; }

  // Stored; the insertion attributes take it at the next Clear. Longer names are cut.
  void SetDefaultFont(const TTextAttributes& a);
  const TTextAttributes& DefaultFont() const { return default_font_; }

  // For the writers and the view: every line that exists, the empty last one included.
  int LineTotal() const { return static_cast<int>(breaks_.size()) + 1; }
  int64_t LineStart(int i) const;  // i in 0..LineTotal()-1
  // Line end position, before its break.
  int64_t LineEnd(int i) const;
  TParaAttributes LineParagraph(int i) const;
  // The line that holds position p (the rule of Paragraph).
  int LineOf(int64_t p) const;
  // The run that holds the character at p, 0 <= p < TextLength().
  TAttributeRun RunAt(int64_t p) const;
  // Valid until the document next changes.
  const TTextAttributes& AttributesAt(int64_t p) const;

 private:
  struct Run {
    int64_t start;
    uint32_t attr;  // index into attrs_
  };

  bool InsideACharacter(int64_t p) const;
  uint32_t Intern(const TTextAttributes& a);
  uint32_t InsertionId();
  std::size_t RunIndexAt(int64_t p) const;
  std::size_t SplitAt(int64_t p);
  void MergeRuns(std::size_t from, std::size_t to);
  void Insert(int64_t p, std::string_view s, uint32_t attr);
  void Erase(int64_t p, int64_t n);
  template <typename Change>
  void ChangeSelectedAttributes(Change change);
  template <typename Change>
  void ChangeSelectedParagraphs(Change change);

  std::string text_;
  std::vector<int64_t> breaks_;  // positions of '\n', ascending
  bool image_links_in_plain_text_ = true;
  bool pictures_in_rich_text_ = false;
  std::vector<TParaAttributes> paras_;  // one per line, breaks_.size() + 1
  std::vector<Run> runs_;               // ascending starts, first at 0, neighbours differ
  std::vector<TTextAttributes> attrs_;  // the distinct attribute values in use since Clear
  std::map<TTextAttributes, uint32_t> attr_ids_;
  TTextAttributes default_font_;
  TTextAttributes insertion_;
  int64_t insertion_id_ = -1;  // Intern(insertion_) once known
  int64_t sel_start_ = 0;
  int64_t sel_length_ = 0;
  int update_count_ = 0;
};

}  // namespace paginor
