#include "platform/rich_text_bridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "output/cp1252.h"

namespace paginor {

QString Cp1252ToQString(std::string_view text) {
  const std::string utf8 = Cp1252ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QStringToCp1252(const QString& text) {
  return Utf8ToCp1252(text.toStdString());
}

namespace {

QTextCharFormat CharFormat(const TTextAttributes& a) {
  QTextCharFormat format;
  format.setFontFamilies({Cp1252ToQString(a.Name)});
  format.setFontPointSize(a.Size > 0 ? a.Size : 1);
  format.setFontWeight(a.Style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
  format.setFontItalic(a.Style.Contains(fsItalic));
  format.setFontUnderline(a.Style.Contains(fsUnderline));
  format.setFontStrikeOut(a.Style.Contains(fsStrikeOut));
  // The automatic colour is the view's own text colour: no foreground of its own.
  if ((a.Color & 0xFF000000u) == 0) {
    format.setForeground(QColor(static_cast<int>(a.Color & 0xFF),
                                static_cast<int>((a.Color >> 8) & 0xFF),
                                static_cast<int>((a.Color >> 16) & 0xFF)));
  }
  return format;
}

TTextAttributes Attributes(const QTextCharFormat& format, const TTextAttributes& fallback) {
  TTextAttributes a = fallback;
  const QStringList families = format.fontFamilies().toStringList();
  if (!families.isEmpty()) a.Name = QStringToCp1252(families.first()).substr(0, kMaxFontNameLength);
  if (format.hasProperty(QTextFormat::FontPointSize)) {
    a.Size = static_cast<int>(format.fontPointSize() + 0.5);
  }
  a.Style = TFontStyles();
  if (format.fontWeight() >= QFont::Bold) a.Style.Include(fsBold);
  if (format.fontItalic()) a.Style.Include(fsItalic);
  if (format.fontUnderline()) a.Style.Include(fsUnderline);
  if (format.fontStrikeOut()) a.Style.Include(fsStrikeOut);
  if (format.hasProperty(QTextFormat::ForegroundBrush)) {
    const QColor c = format.foreground().color();
    a.Color = static_cast<TColor>(c.red() | c.green() << 8 | c.blue() << 16);
  } else {
    a.Color = clWindowText;
  }
  return a;
}

Qt::Alignment QtAlignment(TAlignment a) {
  switch (a) {
    case TAlignment::Right:
      return Qt::AlignRight;
    case TAlignment::Center:
      return Qt::AlignHCenter;
    case TAlignment::Left:
      break;
  }
  return Qt::AlignLeft;
}

}  // namespace

void FillTextDocument(QTextDocument& view, const TRichDocument& document,
                      const std::function<void()>& between_chunks) {
  constexpr int kChunkLines = 256;
  view.clear();
  QTextCursor cursor(&view);
  cursor.beginEditBlock();
  const QTextCharFormat default_format = CharFormat(document.DefaultFont());
  for (int line = 0; line < document.LineTotal(); ++line) {
    const TParaAttributes para = document.LineParagraph(line);
    QTextBlockFormat block;
    block.setAlignment(QtAlignment(para.Alignment));
    if (line == 0) {
      cursor.setBlockFormat(block);
      cursor.setBlockCharFormat(default_format);
    } else {
      cursor.insertBlock(block, default_format);
    }
    if (para.Numbering == TNumbering::Bullet) cursor.createList(QTextListFormat::ListDisc);
    int64_t p = document.LineStart(line);
    const int64_t end = document.LineEnd(line);
    while (p < end) {
      const TAttributeRun run = document.RunAt(p);
      const int64_t stop = std::min(run.End, end);
      const std::string_view text =
          std::string_view(document.Text())
              .substr(static_cast<std::size_t>(p), static_cast<std::size_t>(stop - p));
      cursor.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                        CharFormat(run.Attributes));
      p = stop;
    }
    if (between_chunks && line % kChunkLines == kChunkLines - 1) between_chunks();
  }
  cursor.endEditBlock();
}

void ReadTextDocument(const QTextDocument& view, TRichDocument& document) {
  const TTextAttributes fallback = document.DefaultFont();
  document.Clear();
  bool first = true;
  for (QTextBlock block = view.begin(); block.isValid(); block = block.next()) {
    if (!first) {
      document.SetSelAttributes(Attributes(block.charFormat(), fallback));
      document.SetSelText("\n");
    }
    first = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, QChar('\n'));
      text.replace(QChar::ParagraphSeparator, QChar('\n'));
      document.SetSelAttributes(Attributes(fragment.charFormat(), fallback));
      document.SetSelText(text.toStdString());
    }
    const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    document.SetParagraphAlignment(align & Qt::AlignRight     ? TAlignment::Right
                                   : align & Qt::AlignHCenter ? TAlignment::Center
                                                              : TAlignment::Left);
    document.SetParagraphNumbering(block.textList() != nullptr ? TNumbering::Bullet
                                                               : TNumbering::None);
  }
  document.SetSelStart(0);
}

}  // namespace paginor
